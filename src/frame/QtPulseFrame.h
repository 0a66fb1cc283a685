#pragma once
#include <memory>

class QComboBox;

namespace tw {

class MainFrame;
class PulseComposer;
class PulseTrainView;
class QtPulseWindows;
class RecentFileMenu;

// The pulse-train composer inside the frame: its windows, its menu commands, and the section
// drop-down list ("Full Train", "Section 1" ...). It hands the view the train to draw and, as
// the composer has no document, posts its composer-closed notice when it ends.
class QtPulseFrame {
  public:
    QtPulseFrame(MainFrame& frame, PulseComposer& composer);
    ~QtPulseFrame();

    PulseComposer& composer() { return composer_; }
    const RecentFileMenu& recentFiles() const { return *recent_; }
    void close(); // the view closes: stores the view mode
    // The parameter bar's text: the train's file name, its duration and, once compiled, its
    // segments ("train.pls — 12 ms — 3 segments").
    void showTrainText();

  private:
    void fillSectionList();
    void showViewMode(); // the list shows "Full Train" or the section drawn alone

    MainFrame& frame_;
    PulseComposer& composer_;
    PulseTrainView* view_; // the frame's central widget, deleted with this part
    std::unique_ptr<QtPulseWindows> windows_;
    std::unique_ptr<RecentFileMenu> recent_;
    QComboBox* sections_;
};

} // namespace tw
