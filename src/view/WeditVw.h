#pragma once
#include <QWidget>

namespace tw {

// The waveform view. Every paint publishes the window title to the host and the log.
class WeditVw : public QWidget {
    Q_OBJECT
  public:
    explicit WeditVw(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tw
