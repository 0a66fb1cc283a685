#include "CoreCall.h"

#include <pybind11/stl.h>

namespace py = pybind11;

namespace tw::python {

namespace {

PyObject* errorType = nullptr;
PyObject* warningType = nullptr;

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
    m.attr("Error") = py::reinterpret_borrow<py::object>(errorType);
    m.attr("Warning") = py::reinterpret_borrow<py::object>(warningType);
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const Refusal& refusal) {
            SetError(refusal);
        }
    });
}

} // namespace tw::python
