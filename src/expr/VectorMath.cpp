#include "expr/VectorMath.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#if defined(TW_LIBMVEC)
#include <immintrin.h>

// glibc's vector variants, by their vector-ABI names: 4 lanes with AVX2, 8 with AVX-512. GCC
// wants the target for the declarations too; clang only for the callers.
#if !defined(__clang__)
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
extern "C" __m256d _ZGVdN4v_sin(__m256d);
extern "C" __m256d _ZGVdN4v_cos(__m256d);
extern "C" __m256d _ZGVdN4v_log(__m256d);
extern "C" __m256d _ZGVdN4v_log10(__m256d);
#if !defined(__clang__)
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
extern "C" __m512d _ZGVeN8v_sin(__m512d);
extern "C" __m512d _ZGVeN8v_cos(__m512d);
extern "C" __m512d _ZGVeN8v_log(__m512d);
extern "C" __m512d _ZGVeN8v_log10(__m512d);
#if !defined(__clang__)
#pragma GCC pop_options
#endif
#endif

namespace tw::expr {

namespace {

#if defined(TW_LIBMVEC)
__attribute__((target("avx2,fma"))) void Apply4(Function f, double* x, std::size_t n) {
    __m256d (*g)(__m256d) = f == Function::Sin   ? _ZGVdN4v_sin
                            : f == Function::Cos ? _ZGVdN4v_cos
                            : f == Function::Ln  ? _ZGVdN4v_log
                                                 : _ZGVdN4v_log10;
    std::size_t k = 0;
    for (; k + 4 <= n; k += 4)
        _mm256_storeu_pd(x + k, g(_mm256_loadu_pd(x + k)));
    if (k < n) { // the last lanes padded with 1, which every variant takes
        alignas(32) double lanes[4] = {1, 1, 1, 1};
        std::copy(x + k, x + n, lanes);
        _mm256_store_pd(lanes, g(_mm256_load_pd(lanes)));
        std::copy(lanes, lanes + (n - k), x + k);
    }
}

__attribute__((target("avx512f"))) void Apply8(Function f, double* x, std::size_t n) {
    __m512d (*g)(__m512d) = f == Function::Sin   ? _ZGVeN8v_sin
                            : f == Function::Cos ? _ZGVeN8v_cos
                            : f == Function::Ln  ? _ZGVeN8v_log
                                                 : _ZGVeN8v_log10;
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

void ApplyVector(Function f, double* x, std::size_t n) {
    switch (ActiveVectorLevel()) {
#if defined(TW_LIBMVEC)
    case VectorLevel::Avx512:
        return Apply8(f, x, n);
    case VectorLevel::Avx2:
        return Apply4(f, x, n);
#endif
    default:
        break;
    }
    double (*g)(double) = f == Function::Sin   ? static_cast<double (*)(double)>(std::sin)
                          : f == Function::Cos ? static_cast<double (*)(double)>(std::cos)
                          : f == Function::Ln  ? static_cast<double (*)(double)>(std::log)
                                               : static_cast<double (*)(double)>(std::log10);
    for (std::size_t k = 0; k < n; ++k)
        x[k] = g(x[k]);
}

} // namespace tw::expr
