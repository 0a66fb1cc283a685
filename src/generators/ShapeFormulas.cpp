#include "generators/ShapeFormulas.h"

#include "app/Progress.h"
#include "app/SharedWork.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tw {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = 0.017453292519943295;

// Common terms of every shape over the range start..end.
struct Frame {
    std::int64_t first = 0; // index of point S
    std::int64_t count = 0; // N
    double period = 0;      // q
    double half = 0;        // A
    double centre = 0;      // C
};

Frame MakeFrame(const ShapeRequest& r) {
    Frame f;
    f.first = static_cast<std::int64_t>(r.start);
    f.count = static_cast<std::int64_t>(std::trunc(r.end - r.start + 1));
    f.period = static_cast<double>(f.count) / r.p[0];
    f.half = (r.max - r.min) * r.level.k * 0.5;
    f.centre = (r.max + r.min) * r.level.k * 0.5 + r.level.o;
    return f;
}

double IntPower(double x, int n) {
    double v = x;
    for (int i = 1; i < n; ++i)
        v *= x;
    return v;
}

int PowerOf(double& p) {
    double n = std::max(1.0, std::trunc(p));
    p = n;
    return static_cast<int>(std::min(n, 1.0e6));
}

// Stores value(i) + bias at every point of the range that lies inside the wave, in slabs with
// the progress told between them; false when it was cancelled (the points are partly written).
// A value that depends on i alone lets a slab be shared among the cores; inOrder keeps one pass.
template <class Sample, class F>
bool Fill(std::span<Sample> wave, const Frame& f, F value, double bias, Progress& progress,
          bool inOrder = false) {
    constexpr std::int64_t kSlab = 1 << 20;
    const auto size = static_cast<std::int64_t>(wave.size());
    const std::int64_t lo = std::max<std::int64_t>(0, -f.first);
    const std::int64_t hi = std::min<std::int64_t>(f.count, size - f.first);
    auto fill = [&](std::int64_t from, std::int64_t to) {
        for (std::int64_t i = from; i < to; ++i)
            wave[static_cast<size_t>(f.first + i)] =
                ToStored<Sample>(TruncToPoint(value(i) + bias));
    };
    for (std::int64_t from = lo; from < hi; from += kSlab) {
        const std::int64_t to = std::min(hi, from + kSlab);
        if (inOrder)
            fill(from, to);
        else
            ForPieces(from, to, fill);
        if (!progress.advance(static_cast<std::uint64_t>(to - lo),
                              static_cast<std::uint64_t>(hi - lo)))
            return false;
    }
    return true;
}

double Phase(const Frame& f, std::int64_t i) {
    return std::fmod(static_cast<double>(i), f.period);
}

double TriangleLine(double t, double x1, double q) {
    const double x[4] = {0, x1, q - x1, q};
    const double y[4] = {0, 1, -1, 0};
    for (int j = 0; j < 3; ++j) {
        if (x[j] <= t && t <= x[j + 1]) {
            if (x[j + 1] <= x[j])
                return y[j];
            return y[j] + (t - x[j]) * (y[j + 1] - y[j]) / (x[j + 1] - x[j]);
        }
    }
    return 0; // beyond the last breakpoint only through rounding of fmod
}

double PulseLevel(double t, const double* b, double lowV, double highV) {
    int seg = 4;
    for (int j = 0; j < 4; ++j) {
        if (b[j] <= t && t <= b[j + 1]) {
            seg = j;
            break;
        }
    }
    const double span = highV - lowV;
    const double d2 = b[2] - b[1];
    const double d4 = b[4] - b[3];
    switch (seg) {
    case 1:
        return std::fabs(d2) < 1e-05 ? highV : span / d2 * t + lowV - b[1] * span / d2;
    case 2:
        return highV;
    case 3:
        return std::fabs(d4) < 1e-05 ? lowV : -span / d4 * t + highV + b[3] * span / d4;
    default:
        return lowV;
    }
}

template <class Sample> bool Generate(std::span<Sample> wave, ShapeRequest& r) {
    const Frame f = MakeFrame(r);
    if (f.count <= 0)
        return true;
    Progress& progress = r.progress ? *r.progress : NoProgress();
    const double highV = r.max * r.level.k + r.level.o;
    const double lowV = r.min * r.level.k + r.level.o;
    switch (r.shape) {
    case Shape::Sine: {
        const int n = PowerOf(r.p[2]);
        const double step = 2 * kPi * r.p[0] / static_cast<double>(f.count);
        const double phase = r.p[1] * kDegree;
        const double bias = r.fm ? 0 : 0.5;
        return Fill(
            wave, f,
            [&](std::int64_t i) {
                return IntPower(std::sin(static_cast<double>(i) * step + phase), n) * f.half +
                       f.centre;
            },
            bias, progress);
    }
    case Shape::Triangle: {
        const int n = PowerOf(r.p[2]);
        const double x1 = r.p[1] * 0.01 * f.period * 0.5;
        return Fill(
            wave, f,
            [&](std::int64_t i) {
                return IntPower(TriangleLine(Phase(f, i), x1, f.period), n) * f.half + f.centre;
            },
            0, progress);
    }
    case Shape::Square: {
        const double high = r.p[1] * 0.01 * f.period;
        return Fill(
            wave, f, [&](std::int64_t i) { return Phase(f, i) < high ? highV : lowV; }, 0,
            progress);
    }
    case Shape::Sinc: {
        const double a = std::trunc(f.half);
        const double c = std::trunc(f.centre);
        return Fill(
            wave, f,
            [&](std::int64_t i) {
                const double m = std::trunc(Phase(f, i) - f.period * 0.5);
                if (m == 0)
                    return a + c;
                const double x = m * r.p[1] * kPi / f.period;
                return std::trunc(f.half * std::sin(x) / x) + c;
            },
            0, progress);
    }
    case Shape::Gaussian:
        return Fill(
            wave, f,
            [&](std::int64_t i) {
                const double x = (Phase(f, i) - f.period * 0.5) / r.p[1];
                return (2 * std::exp(-x * x) - 1) * f.half + f.centre;
            },
            0, progress);
    case Shape::Exponent: {
        const double b = r.p[1] > 0 ? 1 : 0;
        const bool invert = r.p[2] != 0;
        return Fill(
            wave, f,
            [&](std::int64_t i) {
                const double x = Phase(f, i) / r.p[1];
                double v = (2 * (std::exp(x) - b) - 1) * f.half;
                v = std::clamp(v, -std::fabs(f.half), std::fabs(f.half));
                return (invert ? -v : v) + f.centre;
            },
            0, progress);
    }
    case Shape::Pulse: {
        for (int j = 1; j <= 4; ++j)
            r.p[j] = r.p[j] * f.period * 0.01;
        const double b[5] = {0, r.p[1], r.p[1] + r.p[2], r.p[1] + r.p[2] + r.p[3],
                             r.p[1] + r.p[2] + r.p[3] + r.p[4]};
        return Fill(
            wave, f, [&](std::int64_t i) { return PulseLevel(Phase(f, i), b, lowV, highV); }, 0,
            progress);
    }
    case Shape::Noise: {
        std::srand(r.noiseSeed);
        const double span = (r.max - r.min) * r.level.k;
        const double mid = (r.max + r.min) * 0.5;
        const double shift = r.fm ? 0 : 0.5;
        return Fill(
            wave, f,
            [&](std::int64_t) {
                const double rnd = (std::rand() % 32768) * 3.051850947599719e-05;
                return (rnd - shift) * span + mid;
            },
            0, progress, true);
    }
    }
    return true;
}

} // namespace

LevelConversion AbstractLevelConversion(double docLower, double docUpper) {
    LevelConversion c;
    c.k = 1000000000.0 / (docUpper - docLower + 1);
    c.o = 0 - c.k * docLower;
    return c;
}

std::int32_t TruncToPoint(double v) {
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (!(v >= lo)) // also NaN
        return v != v ? 0 : std::numeric_limits<std::int32_t>::min();
    if (v > hi)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

bool GenerateShape(SampleSpan wave, ShapeRequest& r) {
    return std::visit([&r](auto points) { return Generate(points, r); }, wave);
}

} // namespace tw
