#pragma once
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

namespace tw {

// A running picture of a pulse train: a window of a few pulses slides along the segment at
// a given number of pulses per second, once or round and round.
class PwmPreviewWidget : public QWidget {
    Q_OBJECT
  public:
    explicit PwmPreviewWidget(QWidget* parent = nullptr);

    void SetTrain(std::vector<std::int32_t> points, long long pulses);
    void Run(double pulsesPerSecond, bool continuous);
    void Stop();
    bool running() const { return timer_.isActive(); }
    double position() const { return position_; } // the first point shown

  signals:
    void stopped();

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    void Step();

    std::vector<std::int32_t> points_;
    double low_ = 0, span_ = 1;
    double pointsPerPulse_ = 1;
    double pointsPerTick_ = 0;
    double position_ = 0;
    bool continuous_ = false;
    QTimer timer_;
};

} // namespace tw
