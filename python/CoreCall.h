#pragma once
#include "app/Prompter.h"
#include "app/Result.h"

#include <pybind11/pybind11.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace tw::python {

// A message box the core showed during a call.
struct Message {
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::Ok;
};

// The prompter of a call: records every message and answers it with its default button, as the
// program does with TIDEWRIGHT_NONINTERACTIVE=1.
class MessageRecorder : public Prompter {
  public:
    Answer ask(std::string_view caption, std::string_view text, Buttons buttons,
               Icon icon) override;
    std::vector<Message> messages;
};

// Asks through the recorder of the core call running at the time: handed to what a call runs and
// the reporter of the sessions the module builds, which outlive a single call.
Prompter& CallPrompter();
void SetCallRecorder(MessageRecorder* recorder); // by RunOnCore

// A call the core refused: the messages it showed, or `fallback` when it showed none. Thrown
// inside a core call and raised in Python as tidewright.Error.
struct Refusal {
    std::vector<Message> messages;
    std::string fallback;
};

// The profile cache of the core and the call's recorder are process-wide: core calls run one at a
// time under this lock.
std::mutex& CoreLock();

// Runs f on the core with the GIL released, so that other Python threads run meanwhile, and
// with `recorder` answering the core's messages. f must not touch Python objects. A Refusal
// thrown without messages of its own takes the recorder's.
template <class F> decltype(auto) RunOnCore(MessageRecorder& recorder, F&& f) {
    pybind11::gil_scoped_release release;
    std::lock_guard lock(CoreLock());
    struct Installed {
        explicit Installed(MessageRecorder* r) { SetCallRecorder(r); }
        ~Installed() { SetCallRecorder(nullptr); }
    } installed(&recorder);
    try {
        return std::forward<F>(f)();
    } catch (Refusal& refusal) {
        if (refusal.messages.empty())
            refusal.messages = recorder.messages;
        throw;
    }
}

// Messages of a call that went on regardless (a recommendation, a question answered with its
// default) become Python warnings of the category tidewright.Warning.
void WarnAbout(const std::vector<Message>& messages);

// RunOnCore with a recorder of its own, whose messages become warnings when f returns.
template <class F> decltype(auto) CallCore(F&& f) {
    MessageRecorder recorder;
    if constexpr (std::is_void_v<decltype(f())>) {
        RunOnCore(recorder, std::forward<F>(f));
        WarnAbout(recorder.messages);
    } else {
        auto result = RunOnCore(recorder, std::forward<F>(f));
        WarnAbout(recorder.messages);
        return result;
    }
}

// Ends a core call with a refusal: the messages the call showed, or `text` when it showed none.
[[noreturn]] inline void Fail(std::string text) {
    throw Refusal{{}, std::move(text)};
}

// Ends a core call with a core operation's failure: its messages, or `text` when it has none.
inline void FailUnless(const Result& result, std::string text) {
    if (result)
        return;
    Refusal refusal{{}, std::move(text)};
    for (const Notice& n : result.messages())
        refusal.messages.push_back({n.caption, n.text, n.buttons});
    throw refusal;
}

// A file the system refused, raised in Python as tidewright.MissingFileError (a
// FileNotFoundError), tidewright.FileAccessError (a PermissionError) or tidewright.FileError (an
// OSError), each a tidewright.Error too, with the errno, its text and the path.
struct FileRefusal {
    int error = 0;
    std::string path;
};

// A read's points clipped to the code range: a tidewright.ClipWarning with the program's text,
// its `count` the number of points.
void WarnClipped(std::size_t count);

// Registers tidewright.Error, tidewright.Warning, the file errors and tidewright.ClipWarning, and
// the translation of Refusal and FileRefusal.
void RegisterErrors(pybind11::module_& m);

} // namespace tw::python
