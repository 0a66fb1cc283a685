#pragma once
#include "app/Prompter.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tw {

// The File menu's recently used files, newest first. Opening a file, a committed edit and a
// wavelength change put the document's file at the top; the list keeps each file once.
class RecentFiles {
  public:
    static constexpr std::size_t kMax = 4;

    // A file that is gone is reported through `prompts`, captioned `caption`.
    RecentFiles(Prompter& prompts, std::string caption)
        : prompts_(prompts), caption_(std::move(caption)) {}

    const std::vector<std::string>& entries() const { return entries_; }
    // Takes stored entries as they come: blanks and repeats are dropped, at most kMax kept.
    void Restore(const std::vector<std::string>& stored);
    // True when the list changed.
    bool Add(const std::string& path);
    bool Remove(const std::string& path);

    // Choosing entry `index`: the path to open, or "" when there is none. A file that is gone
    // is taken off the list and the user is told why.
    std::string Choose(std::size_t index);

  private:
    Prompter& prompts_;
    std::string caption_;
    std::vector<std::string> entries_;
};

// The menu text of an entry: "&1 " and the path, '&' doubled, a long folder shortened in its
// middle so the file's name always shows.
std::string RecentFileMenuText(std::size_t index, const std::string& path);

} // namespace tw
