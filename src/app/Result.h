#pragma once
#include "app/Prompter.h"

#include <string>
#include <utility>
#include <vector>

namespace tw {

// One box a core operation has for the user: its number in the string table where it has one
// (0 for a text of its own), its caption, text, buttons and icon.
struct Notice {
    int id = 0;
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::Exclamation;
};

// What a core operation answers instead of raising boxes itself: success or failure, and the
// messages its caller shows, in this order. A failure may have none (cancelled, or already told).
class [[nodiscard]] Result {
  public:
    Result() = default; // success, nothing to tell
    Result(Notice failure) : ok_(false) { messages_.push_back(std::move(failure)); }
    static Result Failed() {
        Result o;
        o.ok_ = false;
        return o;
    }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::vector<Notice>& messages() const { return messages_; }

    // One more message after those already there; a failure stays one.
    Result& then(Notice m) {
        messages_.push_back(std::move(m));
        return *this;
    }
    // Another outcome's messages after these; failed when either failed.
    Result& then(const Result& next) {
        messages_.insert(messages_.end(), next.messages_.begin(), next.messages_.end());
        ok_ = ok_ && next.ok_;
        return *this;
    }
    Result& fail() {
        ok_ = false;
        return *this;
    }

  private:
    bool ok_ = true;
    std::vector<Notice> messages_;
};

// Shows a message through the prompter the caller was handed; the user's answer.
inline Answer Show(Prompter& prompter, const Notice& m) {
    return prompter.ask(m.caption, m.text, m.buttons, m.icon);
}

// Shows every message of an outcome in order; whether it succeeded.
inline bool Show(Prompter& prompter, const Result& outcome) {
    for (const Notice& m : outcome.messages())
        Show(prompter, m);
    return outcome.ok();
}

} // namespace tw
