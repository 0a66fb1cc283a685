#pragma once
#include "expr/ExprMath.h"

#include <cstddef>

namespace tw::expr {

// Vector variants of sin and cos (our own) and of ln and log (glibc's libmvec), chosen at run
// time by what the processor has. They are not libm's scalar functions to the bit, so the engine
// uses them only where it bounds the difference and recomputes, one point at a time, every value
// too near a code boundary (PostfixProgram, RunProgram).
enum class VectorLevel : unsigned char { Scalar, Avx2, Avx512 };

// The widest level this processor runs.
VectorLevel BestVectorLevel();
// The level the engine uses: the best, unless SetVectorLevel chose a lower one.
VectorLevel ActiveVectorLevel();
// Uses wanted, or the best level below it that this processor runs; returns the level now in
// use. For tests and benchmarks, which compare the levels.
VectorLevel SetVectorLevel(VectorLevel wanted);
const char* VectorLevelName(VectorLevel level);

// sin and cos: the engine's own variants, which may take a product along (the others are libm's).
constexpr bool IsSinOrCos(Function f) {
    return f == Function::Sin || f == Function::Cos;
}

// Whether f has a vector variant.
constexpr bool HasVectorVariant(Function f) {
    return IsSinOrCos(f) || f == Function::Ln || f == Function::Log;
}

// x[k] = f(x[k]) for k < n through the active level's vector variant of f (which has one); the
// plain libm function at the scalar level. No domain checks: the caller makes them. coarse
// allows sin and cos kTrigCoarseDistance, and ln and log kLogCoarseDistance more, for codes whose
// steps are far wider than that. The values of sin and cos are multiplied by scale in the same
// loop (a multiplication of its own, as Run does it), which must lie within kLargestScale so that
// no value looks like an argument out of reach.
void ApplyVector(Function f, double* x, std::size_t n, bool coarse = false, double scale = 1);

// What a bounded run needs of a block of ln or log besides its values, found in their loops:
// whether every argument was above 0 (if not, neither the values nor the rest are of use), the
// least argument and the largest magnitude of the values.
struct LogBlock {
    bool positive = false;
    double leastArgument = 0, largestValue = 0;
};
// ApplyVector for ln or log, with the block's LogBlock.
LogBlock ApplyLog(Function f, double* x, std::size_t n, bool coarse = false);

// How far a vector variant's value may lie from libm's scalar one for the same argument, with a
// wide margin (the tests measure the real distance): absolute for sin and cos, relative to the
// value for ln and log, and for coarse ln and log kLogCoarseDistance, absolute, on top.
inline constexpr double kTrigDistance = 0x1p-44;
inline constexpr double kLogDistance = 0x1p-44;
inline constexpr double kTrigCoarseDistance = 0x1p-34;
inline constexpr double kLogCoarseDistance = 0x1p-30;
// The vector sin and cos reduce arguments up to this size themselves; larger ones, infinities
// and NaN get libm's values.
inline constexpr double kReducedUpTo = 0x1p30;
inline constexpr double kLargestScale = 0x1p29;

} // namespace tw::expr
