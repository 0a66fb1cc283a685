#pragma once
#include <QObject>

namespace tw {

// While it lives, the user's input to the windows that stand is dropped (not queued for later),
// and everything else (repaints, timers, sockets) goes on. A dialog that a handler opens
// meanwhile runs its own event loop and takes input as usual.
class InputHold : public QObject {
  public:
    InputHold();
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int loopLevel_; // the event loops running when the hold began
};

} // namespace tw
