#include "CoreCall.h"

#include "document/PointMapping.h"

#include <pybind11/stl.h>

#include <cerrno>
#include <cstring>

namespace py = pybind11;
using namespace pybind11::literals;

namespace tw::python {

namespace {

PyObject* errorType = nullptr;
PyObject* warningType = nullptr;
PyObject* clipWarningType = nullptr;
PyObject* fileErrorType = nullptr;
PyObject* missingFileType = nullptr;
PyObject* fileAccessType = nullptr;

void SetFileError(const FileRefusal& refusal) {
    PyObject* type = refusal.error == ENOENT                             ? missingFileType
                     : refusal.error == EACCES || refusal.error == EPERM ? fileAccessType
                                                                         : fileErrorType;
    py::object error = py::reinterpret_borrow<py::object>(type)(
        refusal.error, std::strerror(refusal.error), refusal.path);
    PyErr_SetObject(type, error.ptr());
}

// A class of this module over the given bases, with its documentation.
PyObject* NewClass(const char* name, const char* doc, py::tuple bases) {
    PyObject* type = PyErr_NewExceptionWithDoc(name, doc, bases.ptr(), nullptr);
    if (!type)
        throw py::error_already_set();
    return type;
}

void SetError(const Refusal& refusal) {
    py::list messages;
    for (const Message& m : refusal.messages)
        messages.append(py::make_tuple(m.caption, m.text));
    const bool shown = !refusal.messages.empty();
    py::object error = py::reinterpret_borrow<py::object>(errorType)(
        shown ? refusal.messages.front().text : refusal.fallback);
    error.attr("caption") = shown ? py::str(refusal.messages.front().caption) : py::str("");
    error.attr("messages") = messages;
    PyErr_SetObject(errorType, error.ptr());
}

} // namespace

Answer MessageRecorder::ask(std::string_view caption, std::string_view text, Buttons buttons,
                            Icon) {
    messages.push_back({std::string(caption), std::string(text), buttons});
    return defaultAnswer(buttons);
}

namespace {
MessageRecorder* callRecorder = nullptr; // the running call's, under CoreLock
} // namespace

void SetCallRecorder(MessageRecorder* recorder) {
    callRecorder = recorder;
}

Prompter& CallPrompter() {
    struct Forward : Prompter {
        Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
                   Icon icon) override {
            if (!callRecorder)
                return defaultAnswer(buttons);
            return callRecorder->ask(caption, text, buttons, icon);
        }
    };
    static Forward forward;
    return forward;
}

std::mutex& CoreLock() {
    static std::mutex lock;
    return lock;
}

void WarnAbout(const std::vector<Message>& messages) {
    for (const Message& m : messages) {
        const std::string text = m.caption + ": " + m.text;
        if (PyErr_WarnEx(warningType, text.c_str(), 2) < 0)
            throw py::error_already_set();
    }
}

void WarnClipped(std::size_t count) {
    py::object warning = py::reinterpret_borrow<py::object>(clipWarningType)(ClippedMessage(count));
    warning.attr("count") = count;
    py::module_::import("warnings").attr("warn")(warning, "stacklevel"_a = 1);
}

void RegisterErrors(py::module_& m) {
    errorType = PyErr_NewExceptionWithDoc(
        "tidewright.Error",
        "A refusal of the core, with the text the program shows.\n\n"
        "str(error) is the text of the first message the call showed; error.caption is its\n"
        "caption and error.messages every (caption, text) pair the call showed, in order.",
        PyExc_Exception, nullptr);
    warningType = PyErr_NewExceptionWithDoc(
        "tidewright.Warning",
        "A message of the core that did not stop the call (\"caption: text\").", PyExc_UserWarning,
        nullptr);
    const auto error = py::reinterpret_borrow<py::object>(errorType);
    const auto warning = py::reinterpret_borrow<py::object>(warningType);
    clipWarningType =
        NewClass("tidewright.ClipWarning",
                 "Points of a read lay outside the code range and were clipped to it (an infinity\n"
                 "among them); `count` is their number, the text the program's.",
                 py::make_tuple(warning));
    const auto builtins = py::module_::import("builtins");
    fileErrorType = NewClass("tidewright.FileError",
                             "A file the system refused: an OSError with errno, strerror and\n"
                             "filename, and a tidewright.Error.",
                             py::make_tuple(error, builtins.attr("OSError")));
    const auto fileError = py::reinterpret_borrow<py::object>(fileErrorType);
    missingFileType = NewClass("tidewright.MissingFileError",
                               "No file of that name: a FileNotFoundError and a tidewright.Error.",
                               py::make_tuple(fileError, builtins.attr("FileNotFoundError")));
    fileAccessType = NewClass("tidewright.FileAccessError",
                              "The file may not be read or written: a PermissionError and a "
                              "tidewright.Error.",
                              py::make_tuple(fileError, builtins.attr("PermissionError")));
    m.attr("Error") = error;
    m.attr("Warning") = warning;
    m.attr("ClipWarning") = py::reinterpret_borrow<py::object>(clipWarningType);
    m.attr("FileError") = fileError;
    m.attr("MissingFileError") = py::reinterpret_borrow<py::object>(missingFileType);
    m.attr("FileAccessError") = py::reinterpret_borrow<py::object>(fileAccessType);
    // pybind11's translator type takes the pointer by value.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const Refusal& refusal) {
            SetError(refusal);
        } catch (const FileRefusal& refusal) {
            SetFileError(refusal);
        }
    });
}

} // namespace tw::python
