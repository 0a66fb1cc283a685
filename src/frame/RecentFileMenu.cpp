#include "frame/RecentFileMenu.h"

#include "app/Commands.h"
#include "app/Prompter.h"
#include "app/qt/AppProfile.h"
#include "document/Composer.h"
#include "frame/MainFrame.h"

#include <QAction>

namespace tw {

namespace {

QString EntryKey(std::size_t index) {
    return QString("File%1").arg(index + 1);
}

} // namespace

RecentFileMenu::RecentFileMenu(MainFrame& frame, std::string section,
                               std::function<void(const std::string&)> open)
    : frame_(frame), section_(std::move(section)), open_(std::move(open)),
      files_(prompter(), frame.composer().session().appName) {
    for (std::size_t i = 0; i < RecentFiles::kMax; ++i)
        frame_.setCommand(
            kCmdRecentFile1 + static_cast<int>(i),
            {[this, i] { choose(i); }, [this, i] { return i < files_.entries().size(); }, {}});
    load();
    show();
}

void RecentFileMenu::add(const std::string& path) {
    load(); // another run of the same composer may have added files meanwhile
    if (files_.Add(path))
        save();
    show();
}

void RecentFileMenu::choose(std::size_t index) {
    const std::size_t before = files_.entries().size();
    const std::string path = files_.Choose(index);
    if (files_.entries().size() != before) {
        save();
        show();
    }
    if (!path.empty())
        open_(path);
}

void RecentFileMenu::load() {
    const auto profile = OpenAppProfile();
    profile->beginGroup(QString::fromStdString(section_));
    std::vector<std::string> stored;
    for (std::size_t i = 0; i < RecentFiles::kMax; ++i)
        stored.push_back(profile->value(EntryKey(i)).toString().toStdString());
    files_.Restore(stored);
}

void RecentFileMenu::save() const {
    const auto profile = OpenAppProfile();
    profile->beginGroup(QString::fromStdString(section_));
    profile->remove("");
    const auto& entries = files_.entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        profile->setValue(EntryKey(i), QString::fromStdString(entries[i]));
}

// An empty list shows one disabled "Recent File" item, as the menu reserves its place.
void RecentFileMenu::show() {
    const auto& entries = files_.entries();
    for (std::size_t i = 0; i < RecentFiles::kMax; ++i) {
        QAction* a = frame_.action(kCmdRecentFile1 + static_cast<int>(i));
        a->setText(i < entries.size() ? QString::fromStdString(RecentFileMenuText(i, entries[i]))
                                      : QString("Recent File"));
        a->setVisible(i < entries.size() || i == 0);
    }
    frame_.updateCommands();
}

} // namespace tw
