#pragma once
#include "host/HostEvents.h"

#include <QWidget>

class QProgressBar;

namespace tw {

class PulseComposer;

// The one view of the frame. Every paint builds the window title, sets it on the frame and
// publishes it to the host and the log. In the pulse-train composer it draws the train.
class WeditVw : public QWidget {
    Q_OBJECT
  public:
    explicit WeditVw(QWidget* parent = nullptr);

    void setPulseComposer(PulseComposer* composer) { pulse_ = composer; }
    // The host's progress notice: a bar along the bottom edge while `show` is 1. Returns 11.
    int progressNotice(long position, long show);
    QProgressBar* progressBar() const { return bar_; }
    const ProgressState& progress() const { return progress_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeProgressBar();
    void drawPulseTrain();

    PulseComposer* pulse_ = nullptr;
    ProgressState progress_;
    QProgressBar* bar_ = nullptr;
};

} // namespace tw
