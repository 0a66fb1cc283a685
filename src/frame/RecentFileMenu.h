#pragma once
#include "app/RecentFiles.h"

#include <functional>
#include <string>

namespace tw {

class MainFrame;

// The File menu's recent files of one composer: kept in the application profile under the
// composer's section, shown in the items kCmdRecentFile1..4. Choosing one hands its path to
// `open`, the composer's own Open.
class RecentFileMenu {
  public:
    RecentFileMenu(MainFrame& frame, std::string section,
                   std::function<void(const std::string&)> open);

    void add(const std::string& path);
    const RecentFiles& files() const { return files_; }

  private:
    void load();
    void save() const;
    void show();
    void choose(std::size_t index);

    MainFrame& frame_;
    std::string section_;
    std::function<void(const std::string&)> open_;
    RecentFiles files_;
};

} // namespace tw
