#pragma once
#include <memory>

class QComboBox;

namespace tw {

class MainFrame;
class PulseComposer;
class QtPulseWindows;

// The pulse-train composer inside the frame: the composer and its windows, its menu commands,
// and the section drop-down list ("Full Train", "Section 1" ...).
class QtPulseFrame {
  public:
    explicit QtPulseFrame(MainFrame& frame);
    ~QtPulseFrame();

    PulseComposer& composer() { return *composer_; }
    void close(); // the view closes: stores the view mode

  private:
    void fillSectionList();
    void showViewMode(); // the list shows "Full Train" or the section drawn alone

    MainFrame& frame_;
    std::unique_ptr<PulseComposer> composer_;
    std::unique_ptr<QtPulseWindows> windows_;
    QComboBox* sections_;
};

} // namespace tw
