#include "view/MarkedAreaOps.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

template <class Sample> bool ValidArea(std::span<Sample> samples, long L, long R) {
    return L >= 0 && L <= R && R < static_cast<long>(samples.size());
}

// Truncated toward zero into 32 bits.
std::int32_t Truncated(double v) {
    return static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

double Det3(const double m[3][3]) {
    return m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0] + m[0][2] * m[1][0] * m[2][1] -
           m[0][2] * m[1][1] * m[2][0] - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
}

template <class Sample> bool Filter(std::span<Sample> samples, long L, long R, double xmax) {
    if (!ValidArea(samples, L, R))
        return false;
    const long n = (R - L) / 15;
    if (n == 0)
        return false;
    const long h = n / 2;
    const long size = static_cast<long>(samples.size());
    double sum = 0;
    for (long i = L - h; i <= L + h; ++i) {
        long k = i < 0 ? static_cast<long>(i + xmax) : i;
        k = std::clamp(k, 0L, size - 1);
        sum += samples[static_cast<std::size_t>(k)];
    }
    double a = sum / static_cast<double>(n);
    // Each step follows the previous output as computed, before 16-bit storage cuts it.
    std::int32_t previous = Truncated(a);
    samples[static_cast<std::size_t>(L)] = ToStored<Sample>(previous);
    for (long i = L + 1; i <= R - 1; ++i) {
        const long long d = static_cast<long long>(samples[static_cast<std::size_t>(i)]) - previous;
        // The step is the integer quotient, as the smoothing has always taken it.
        a += static_cast<double>(d / n); // NOLINT(bugprone-integer-division)
        previous = Truncated(a);
        samples[static_cast<std::size_t>(i)] = ToStored<Sample>(previous);
    }
    return true;
}

template <class Sample>
bool Smooth(std::span<Sample> samples, long L, long R, SampleLimits limits) {
    if (!ValidArea(samples, L, R))
        return false;
    const long size = static_cast<long>(samples.size());
    const double n = static_cast<double>(R - L + 1);
    const double y0 = samples[static_cast<std::size_t>(L)];
    const double t[3] = {1, n - 1, n};
    double d[3];
    for (int k = 0; k < 3; ++k) {
        const long index = std::min(L + static_cast<long>(t[k]), size - 1);
        d[k] = samples[static_cast<std::size_t>(index)] - y0;
    }
    double m[3][3];
    for (int k = 0; k < 3; ++k) {
        m[k][0] = t[k] * t[k] * t[k];
        m[k][1] = t[k] * t[k];
        m[k][2] = t[k];
    }
    const double det = Det3(m);
    if (det == 0)
        return false;
    double coefficient[3];
    for (int j = 0; j < 3; ++j) {
        double mj[3][3];
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 3; ++c)
                mj[k][c] = c == j ? d[k] : m[k][c];
        coefficient[j] = Det3(mj) / det;
    }
    const auto [a, b, c] = coefficient;
    for (long step = 0; step <= static_cast<long>(n) && L + step < size; ++step) {
        const double tt = static_cast<double>(step);
        const double p = std::clamp(((a * tt + b) * tt + c) * tt + y0, limits.lower, limits.upper);
        samples[static_cast<std::size_t>(L + step)] = ToStored<Sample>(Truncated(p));
    }
    return true;
}

template <class Sample>
bool Invert(std::span<Sample> samples, long L, long R, InvertMirror mirror, double centre,
            SampleLimits limits) {
    if (!ValidArea(samples, L, R) || R - L + 1 < 2)
        return false;
    for (long i = L; i <= R; ++i) {
        const double s = samples[static_cast<std::size_t>(i)];
        double v = -s;
        if (mirror == InvertMirror::FmAbstract)
            v = 1.0e9 - s;
        else if (mirror == InvertMirror::AboutCentre)
            v = 2 * centre - s;
        samples[static_cast<std::size_t>(i)] =
            ToStored<Sample>(Truncated(std::clamp(v, limits.lower, limits.upper)));
    }
    return true;
}

} // namespace

bool FilterArea(SampleSpan samples, long L, long R, double xmax) {
    return std::visit([&](auto s) { return Filter(s, L, R, xmax); }, samples);
}

bool SmoothArea(SampleSpan samples, long L, long R, SampleLimits limits) {
    return std::visit([&](auto s) { return Smooth(s, L, R, limits); }, samples);
}

bool InvertArea(SampleSpan samples, long L, long R, InvertMirror mirror, double centre,
                SampleLimits limits) {
    return std::visit([&](auto s) { return Invert(s, L, R, mirror, centre, limits); }, samples);
}

AreaCommandState AreaCommandsEnabled(bool toolsAllowed, long L, long R, double wavelength) {
    AreaCommandState s;
    s.filter = s.smooth = s.invert = s.unmark = toolsAllowed;
    s.trimLeft = L >= 1;
    s.trimRight = R < wavelength - 1;
    return s;
}

} // namespace tw
