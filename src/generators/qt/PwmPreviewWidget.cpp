#include "generators/qt/PwmPreviewWidget.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tw {
namespace {

constexpr int kTickMs = 40;
constexpr double kPulsesShown = 4;

} // namespace

PwmPreviewWidget::PwmPreviewWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 90);
    connect(&timer_, &QTimer::timeout, this, &PwmPreviewWidget::Step);
}

void PwmPreviewWidget::SetTrain(std::vector<std::int32_t> points, long long pulses) {
    points_ = std::move(points);
    pointsPerPulse_ =
        pulses > 0 ? static_cast<double>(points_.size()) / static_cast<double>(pulses) : 1;
    position_ = 0;
    if (!points_.empty()) {
        const auto [lo, hi] = std::minmax_element(points_.begin(), points_.end());
        low_ = *lo;
        span_ = std::max(1.0, static_cast<double>(*hi) - low_);
    }
    update();
}

void PwmPreviewWidget::Run(double pulsesPerSecond, bool continuous) {
    if (points_.empty() || !(pulsesPerSecond > 0))
        return;
    continuous_ = continuous;
    pointsPerTick_ = pulsesPerSecond * pointsPerPulse_ * kTickMs / 1000.0;
    timer_.start(kTickMs);
}

void PwmPreviewWidget::Stop() {
    if (!timer_.isActive())
        return;
    timer_.stop();
    emit stopped();
}

void PwmPreviewWidget::Step() {
    position_ += pointsPerTick_;
    const auto size = static_cast<double>(points_.size());
    if (position_ >= size) {
        if (!continuous_) {
            position_ = 0;
            Stop();
        } else {
            position_ = std::fmod(position_, size);
        }
    }
    update();
}

void PwmPreviewWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (points_.empty())
        return;
    const double shown =
        std::min(static_cast<double>(points_.size()), kPulsesShown * pointsPerPulse_);
    const int w = std::max(1, width() - 1);
    const double top = 8, bottom = height() - 8;
    QPolygonF line;
    for (int x = 0; x <= w; ++x) {
        const auto i = static_cast<size_t>(position_ + shown * x / w) % points_.size();
        const double y = bottom - (points_[i] - low_) / span_ * (bottom - top);
        if (!line.isEmpty() && line.back().y() != y)
            line << QPointF(x, line.back().y());
        line << QPointF(x, y);
    }
    p.setPen(QPen(Qt::green, 1.5));
    p.drawPolyline(line);
}

} // namespace tw
