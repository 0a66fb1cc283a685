#include "view/MarkedAreaOps.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

bool ValidArea(std::span<std::int32_t> samples, long L, long R) {
    return L >= 0 && L <= R && R < static_cast<long>(samples.size());
}

std::int32_t Stored(double v) {
    return static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

double Det3(const double m[3][3]) {
    return m[0][0] * m[1][1] * m[2][2] + m[0][1] * m[1][2] * m[2][0] + m[0][2] * m[1][0] * m[2][1] -
           m[0][2] * m[1][1] * m[2][0] - m[0][0] * m[1][2] * m[2][1] - m[0][1] * m[1][0] * m[2][2];
}

} // namespace

bool FilterArea(std::span<std::int32_t> samples, long L, long R, double xmax) {
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
    samples[static_cast<std::size_t>(L)] = Stored(a);
    for (long i = L + 1; i <= R - 1; ++i) {
        const long long d = static_cast<long long>(samples[static_cast<std::size_t>(i)]) -
                            samples[static_cast<std::size_t>(i - 1)];
        a += static_cast<double>(d / n);
        samples[static_cast<std::size_t>(i)] = Stored(a);
    }
    return true;
}

bool SmoothArea(std::span<std::int32_t> samples, long L, long R, SampleLimits limits) {
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
        samples[static_cast<std::size_t>(L + step)] = Stored(p);
    }
    return true;
}

bool InvertArea(std::span<std::int32_t> samples, long L, long R, InvertMirror mirror, double centre,
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
        samples[static_cast<std::size_t>(i)] = Stored(std::clamp(v, limits.lower, limits.upper));
    }
    return true;
}

long TrimLeftLength(double wavelength, long L) {
    return static_cast<long>(wavelength - static_cast<double>(L));
}

void ShiftForTrimLeft(std::span<std::int32_t> samples, double wavelength, long newLength) {
    const long from = static_cast<long>(wavelength) - newLength;
    if (from <= 0 || newLength <= 0 || from + newLength > static_cast<long>(samples.size()))
        return;
    std::copy(samples.begin() + from, samples.begin() + from + newLength, samples.begin());
}

AreaCommandState AreaCommandsEnabled(bool toolsAllowed, long L, long R, double wavelength) {
    AreaCommandState s;
    s.filter = s.smooth = s.invert = s.unmark = toolsAllowed;
    s.trimLeft = L >= 1;
    s.trimRight = R < wavelength - 1;
    return s;
}

} // namespace tw
