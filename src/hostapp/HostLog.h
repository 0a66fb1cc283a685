#pragma once
#include "app/FileUtil.h"

#include <functional>
#include <string>
#include <vector>

namespace tw {

// The host's log: each message a composer sent, what went to the instrument, its replies and
// the errors, in order. Views follow it through the listener.
class HostLog {
  public:
    enum class Kind { Note, Message, Sent, Reply, Error };
    struct Line {
        Kind kind;
        std::string text;
    };

    void add(Kind kind, std::string text);
    const std::vector<Line>& lines() const { return lines_; }
    // Called with each line as it is added.
    void setListener(std::function<void(const Line&)> listener) { listener_ = std::move(listener); }

    // The log as text: one line per line of text, each prefixed by what it is.
    std::string text() const;
    FileResult save(const std::string& path) const;

    static const char* Prefix(Kind kind);

  private:
    // The oldest lines go first beyond this many, so a long session stays small.
    static constexpr std::size_t kMostLines = 20000;
    std::vector<Line> lines_;
    std::function<void(const Line&)> listener_;
};

} // namespace tw
