#include "expr/VectorMath.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>

#if defined(TW_LIBMVEC)
#include <immintrin.h>

// glibc's vector logarithms, by their vector-ABI names: 4 lanes with AVX2, 8 with AVX-512. GCC
// wants the target for the declarations too; clang only for the callers.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
extern "C" __m256d _ZGVdN4v_log(__m256d);   // NOLINT(bugprone-reserved-identifier): glibc's name
extern "C" __m256d _ZGVdN4v_log10(__m256d); // NOLINT(bugprone-reserved-identifier): glibc's name
#if !defined(__clang__)
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
extern "C" __m512d _ZGVeN8v_log(__m512d);   // NOLINT(bugprone-reserved-identifier): glibc's name
extern "C" __m512d _ZGVeN8v_log10(__m512d); // NOLINT(bugprone-reserved-identifier): glibc's name
#if !defined(__clang__)
#pragma GCC pop_options
#endif
#endif

namespace tw::expr {

namespace {

// As integers, the bits of absolute values order as the values do, and a NaN's exceed
// infinity's, so a NaN among them is never lost.
constexpr std::uint64_t kMagnitudeBits = 0x7fffffffffffffff;
inline std::uint64_t MagnitudeBits(double v) {
    return std::bit_cast<std::uint64_t>(v) & kMagnitudeBits;
}

// A logarithm of a block through log(x, n), with the check and least magnitude of its arguments
// before it and the largest magnitude of its values after it.
template <class Log>
[[gnu::always_inline]] inline LogBlock WithBounds(double* x, std::size_t n, Log log) {
    int failed = 0;
    std::uint64_t least = kMagnitudeBits;
    for (std::size_t k = 0; k < n; ++k) {
        failed |= !(x[k] > 0);
        least = std::min(least, MagnitudeBits(x[k]));
    }
    if (failed)
        return {};
    log(x, n);
    std::uint64_t largest = 0;
    for (std::size_t k = 0; k < n; ++k)
        largest = std::max(largest, MagnitudeBits(x[k]));
    return {true, std::bit_cast<double>(least), std::bit_cast<double>(largest)};
}

// libm's ln or log.
void LibmLog(Function f, double* x, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        x[k] = f == Function::Ln ? std::log(x[k]) : std::log10(x[k]);
}

#if defined(TW_LIBMVEC)
// sin and cos of our own, somewhat faster than libmvec's: the engine's formulas mostly take them,
// and their bound (kTrigDistance, absolute) is all the engine asks of them. The argument is
// reduced by a multiple m of pi (sin) or an odd multiple of pi/2 (cos x = sin(x + pi/2)) to r in
// [-pi/2, pi/2], where one odd Taylor polynomial to r^19 gives sin r within 3e-16 (its remainder
// is below (pi/2)^21/21!). pi in two parts, taken in fused multiply-adds, leaves r within a few
// ulps plus |m| times pi's remainder (3e-33): below 1e-23 up to kReducedUpTo, beyond which
// arguments, infinities and NaN go to libm.
constexpr double kPi1 = 3.141592653589793116;   // pi, rounded
constexpr double kPi2 = 1.2246467991473532e-16; // pi - kPi1, rounded
constexpr double kRound = 0x1.8p52;             // adding it rounds to an integer in the low bits
// 1/(2k+1)! with alternating signs, for the Horner steps from r^19 down to r^3.
constexpr double kSinTerms[] = {-1.0 / 121645100408832000.0,
                                1.0 / 355687428096000.0,
                                -1.0 / 1307674368000.0,
                                1.0 / 6227020800.0,
                                -1.0 / 39916800.0,
                                1.0 / 362880.0,
                                -1.0 / 5040.0,
                                1.0 / 120.0,
                                -1.0 / 6.0};

// For 16-bit codes, whose distances need only be small against a code step: an odd polynomial
// to r^11 fitted to sin on [-pi/2, pi/2] (within 1.8e-11 of it), four multiply-adds fewer.
constexpr double kCoarseSinTerms[] = {-0x1.99aedeca40000p-26, 0x1.7166ff927e800p-19,
                                      -0x1.a017816e941b0p-13, 0x1.11110af90b78dp-7,
                                      -0x1.55555540a61b0p-3};

// The loop body both targets inline: vectorised by the compiler at their widths, and the same
// operations at every width, so every level gives the same bits.
template <bool Cos, const auto& terms>
[[gnu::always_inline]] inline void SinCos(double* x, std::size_t n, double scale) {
    std::uint64_t large = 0;
    for (std::size_t k = 0; k < n; ++k) {
        // j: the integer nearest x/pi (sin) or x/pi - 1/2 (cos), its parity in the low bit of t
        const double t = x[k] * (1 / kPi1) - (Cos ? 0.5 : 0.0) + kRound;
        const double j = t - kRound;
        const double m = Cos ? j + 0.5 : j;
        double r = __builtin_fma(-m, kPi1, x[k]);
        r = __builtin_fma(-m, kPi2, r);
        const double r2 = r * r;
        double s = terms[0];
        for (std::size_t i = 1; i < std::size(terms); ++i)
            s = __builtin_fma(s, r2, terms[i]);
        s = __builtin_fma(r * r2, s, r);
        // sin(r + j pi) = (-1)^j sin r; cos x = sin(r + (j + 1) pi)
        const std::uint64_t odd = (std::bit_cast<std::uint64_t>(t) ^ (Cos ? 1 : 0)) << 63;
        // an argument out of reach stays, to be told from the values (within kLargestScale); a
        // select of bits, which the compiler vectorises where it would not a conditional
        const std::uint64_t keep = std::uint64_t{std::fabs(x[k]) <= kReducedUpTo} - 1;
        large |= keep;
        const double value = std::bit_cast<double>(std::bit_cast<std::uint64_t>(s) ^ odd) * scale;
        x[k] = std::bit_cast<double>((std::bit_cast<std::uint64_t>(value) & ~keep) |
                                     (std::bit_cast<std::uint64_t>(x[k]) & keep));
    }
    if (large) // rare: libm's reduction covers every argument
        for (std::size_t k = 0; k < n; ++k)
            if (!(std::fabs(x[k]) <= kReducedUpTo))
                x[k] = (Cos ? std::cos(x[k]) : std::sin(x[k])) * scale;
}

[[gnu::always_inline]] inline void SinCos(bool cos, bool coarse, double* x, std::size_t n,
                                          double scale) {
    if (coarse)
        return cos ? SinCos<true, kCoarseSinTerms>(x, n, scale)
                   : SinCos<false, kCoarseSinTerms>(x, n, scale);
    return cos ? SinCos<true, kSinTerms>(x, n, scale) : SinCos<false, kSinTerms>(x, n, scale);
}

__attribute__((target("avx2,fma"))) void SinCos4(bool cos, bool coarse, double* x, std::size_t n,
                                                 double scale) {
    SinCos(cos, coarse, x, n, scale);
}

__attribute__((target("avx512f,fma"))) void SinCos8(bool cos, bool coarse, double* x, std::size_t n,
                                                    double scale) {
    SinCos(cos, coarse, x, n, scale);
}

// For 16-bit codes, ln and log of our own, looser than glibc's and cheaper: x = 2^e m with m in
// [sqrt(1/2), sqrt(2)), f = m - 1 exact, ln m = f + f^2 q(f) with q of degree 9 fitted on that
// interval (within 3.1e-10 of ln m), ln x = e ln2 + ln m. Arguments outside the normal positive
// numbers send the whole block to libm.
constexpr double kLogTerms[] = {0x1.1b415c3110143p-4,  -0x1.e2e96d8c71f36p-4, 0x1.e65116b359d7fp-4,
                                -0x1.fb4336bb5cf6cp-4, 0x1.2332b86aa9773p-3,  -0x1.5562e2e094a5bp-3,
                                0x1.99a5461cffb11p-3,  -0x1.ffffedf7cbbdep-3, 0x1.555545f836e76p-2,
                                -0x1.0000000009fdep-1};
constexpr double kLn2 = 0x1.62e42fefa39efp-1;
constexpr double kInvLn10 = 0x1.bcb7b1526e50ep-2;
constexpr std::uint64_t kExponentOne = 0x3ff0000000000000;
// Added to the bits of x, moves the exponent's step from 1 to sqrt(1/2) (and biases it by 1023).
constexpr std::uint64_t kToHalfRoot = kExponentOne - 0x3fe6a09e667f3bcd;
constexpr std::uint64_t kLeastNormal = 0x0010000000000000, kInfinity = 0x7ff0000000000000;

template <bool Log10> [[gnu::always_inline]] inline LogBlock CoarseLog(double* x, std::size_t n) {
    // the least argument as the least bits, which order as the values where all are positive
    std::uint64_t outside = 0, least = kInfinity;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(x[k]);
        outside |= bits - kLeastNormal >= kInfinity - kLeastNormal;
        least = std::min(least, bits);
    }
    if (outside) // rare: zeros, subnormals, infinities, NaN, negative numbers
        return WithBounds(x, n, [](double* y, std::size_t m) {
            LibmLog(Log10 ? Function::Log : Function::Ln, y, m);
        });
    std::uint64_t largest = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint64_t bits = std::bit_cast<std::uint64_t>(x[k]);
        const std::uint64_t u = bits + kToHalfRoot;
        const double m = std::bit_cast<double>(bits - (u & ~(kLeastNormal - 1)) + kExponentOne);
        // the exponent e + 1023 in the low bits of 2^52's mantissa: exact
        const double e = std::bit_cast<double>((u >> 52) | 0x4330000000000000) - (0x1p52 + 1023);
        const double f = m - 1;
        double q = kLogTerms[0];
        for (std::size_t i = 1; i < std::size(kLogTerms); ++i)
            q = __builtin_fma(q, f, kLogTerms[i]);
        double y = __builtin_fma(e, kLn2, __builtin_fma(f * f, q, f));
        y = Log10 ? y * kInvLn10 : y;
        x[k] = y;
        largest = std::max(largest, MagnitudeBits(y));
    }
    return {true, std::bit_cast<double>(least), std::bit_cast<double>(largest)};
}

[[gnu::always_inline]] inline LogBlock CoarseLog(Function f, double* x, std::size_t n) {
    return f == Function::Ln ? CoarseLog<false>(x, n) : CoarseLog<true>(x, n);
}

// glibc's ln and log.
__attribute__((target("avx2,fma"))) void Libmvec4(Function f, double* x, std::size_t n) {
    __m256d (*g)(__m256d) = f == Function::Ln ? _ZGVdN4v_log : _ZGVdN4v_log10;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        _mm256_storeu_pd(x + k, g(_mm256_loadu_pd(x + k)));
    if (k < n) { // the last lanes padded with 1, which both take
        alignas(32) double lanes[4] = {1, 1, 1, 1};
        std::copy(x + k, x + n, lanes);
        _mm256_store_pd(lanes, g(_mm256_load_pd(lanes)));
        std::copy(lanes, lanes + (n - k), x + k);
    }
}

__attribute__((target("avx512f"))) void Libmvec8(Function f, double* x, std::size_t n) {
    __m512d (*g)(__m512d) = f == Function::Ln ? _ZGVeN8v_log : _ZGVeN8v_log10;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8)
        _mm512_storeu_pd(x + k, g(_mm512_loadu_pd(x + k)));
    if (k < n) {
        alignas(64) double lanes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
        std::copy(x + k, x + n, lanes);
        _mm512_store_pd(lanes, g(_mm512_load_pd(lanes)));
        std::copy(lanes, lanes + (n - k), x + k);
    }
}

__attribute__((target("avx2,fma"))) LogBlock Log4(Function f, double* x, std::size_t n,
                                                  bool coarse) {
    if (coarse)
        return CoarseLog(f, x, n);
    return WithBounds(x, n, [f](double* y, std::size_t m) { Libmvec4(f, y, m); });
}

__attribute__((target("avx512f,fma"))) LogBlock Log8(Function f, double* x, std::size_t n,
                                                     bool coarse) {
    if (coarse)
        return CoarseLog(f, x, n);
    return WithBounds(x, n, [f](double* y, std::size_t m) { Libmvec8(f, y, m); });
}
#endif

VectorLevel Detect() {
#if defined(TW_LIBMVEC)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
        return VectorLevel::Avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return VectorLevel::Avx2;
#endif
    return VectorLevel::Scalar;
}

std::atomic<VectorLevel>& Active() {
    static std::atomic<VectorLevel> level{BestVectorLevel()};
    return level;
}

} // namespace

VectorLevel BestVectorLevel() {
    static const VectorLevel best = Detect();
    return best;
}

VectorLevel ActiveVectorLevel() {
    return Active().load(std::memory_order_relaxed);
}

VectorLevel SetVectorLevel(VectorLevel wanted) {
    const VectorLevel level = std::min(wanted, BestVectorLevel());
    Active().store(level, std::memory_order_relaxed);
    return level;
}

const char* VectorLevelName(VectorLevel level) {
    switch (level) {
    case VectorLevel::Avx512:
        return "AVX-512";
    case VectorLevel::Avx2:
        return "AVX2";
    case VectorLevel::Scalar:
        break;
    }
    return "scalar";
}

void ApplyVector(Function f, double* x, std::size_t n, bool coarse, double scale) {
    if (!IsSinOrCos(f)) {
        ApplyLog(f, x, n, coarse);
        return;
    }
    switch (ActiveVectorLevel()) {
#if defined(TW_LIBMVEC)
    case VectorLevel::Avx512:
        return SinCos8(f == Function::Cos, coarse, x, n, scale);
    case VectorLevel::Avx2:
        return SinCos4(f == Function::Cos, coarse, x, n, scale);
#endif
    default:
        break;
    }
    for (std::size_t k = 0; k < n; ++k)
        x[k] = (f == Function::Sin ? std::sin(x[k]) : std::cos(x[k])) * scale;
}

LogBlock ApplyLog(Function f, double* x, std::size_t n, [[maybe_unused]] bool coarse) {
    switch (ActiveVectorLevel()) {
#if defined(TW_LIBMVEC)
    case VectorLevel::Avx512:
        return Log8(f, x, n, coarse);
    case VectorLevel::Avx2:
        return Log4(f, x, n, coarse);
#endif
    default:
        break;
    }
    return WithBounds(x, n, [f](double* y, std::size_t m) { LibmLog(f, y, m); });
}

} // namespace tw::expr
