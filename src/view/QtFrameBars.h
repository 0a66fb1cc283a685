#pragma once
#include "view/BarVisibility.h"

#include <vector>

class QToolBar;

namespace tw {

class MainFrame;

// The frame's bars in their band order: file operations, wave editing (not in the pulse-train
// composer), parameters, instrument control. Their visibility follows the flags, which the
// View menu toggles and which are stored again when the bars go.
class QtFrameBars {
  public:
    explicit QtFrameBars(MainFrame& frame);
    ~QtFrameBars(); // stores the flags

    void apply(); // shows and hides the bands by the flags
    const BarFlags& flags() const { return flags_; }
    QToolBar* fileBar() const { return file_; }
    QToolBar* waveEditBar() const { return waveEdit_; }
    QToolBar* parameterBar() const { return parameter_; }
    QToolBar* instrumentBar() const { return instrument_; }

  private:
    QToolBar* addBar(const char* name, const std::vector<int>& ids);
    void toggle(int id, bool BarFlags::*flag);

    MainFrame& frame_;
    BarFlags flags_;
    QToolBar* file_ = nullptr;
    QToolBar* waveEdit_ = nullptr;
    QToolBar* parameter_ = nullptr;
    QToolBar* instrument_ = nullptr;
};

} // namespace tw
