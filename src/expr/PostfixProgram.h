#pragma once
#include "expr/ExprMath.h"
#include "expr/ExprOperands.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// A block loop built for the widest vectors the processor has, chosen when the program starts;
// + - * / and the conversions round the same at every width.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TW_WIDEST_VECTORS __attribute__((target_clones("default", "avx2", "arch=x86-64-v4")))
#else
#define TW_WIDEST_VECTORS
#endif

namespace tw {

// The points of a block: those listed, or, with no list, first, first + 1, ... (count of them).
struct BlockPoints {
    const long* list = nullptr;
    long first = 0;
    std::size_t count = 0;
    std::size_t size() const { return count; }
    long operator[](std::size_t k) const { return list ? list[k] : first + static_cast<long>(k); }
};

// A postfix program text turned once into steps: numbers converted, operators and functions
// resolved, the stack depth of every step known. Running it gives exactly what evaluating the
// text token by token gives.
//
// It also runs over a block of points at a time: every step is one loop over the block, the
// steps of constants alone are done once when compiling, and each point still sees the same
// operations on the same values in the same order, so the values are the same to the bit.
class PostfixProgram {
  public:
    // The most points RunBlock takes: a block's working values stay in the first-level cache.
    static constexpr std::size_t kBlock = 1024;
    // Registers lie this far apart in the scratch, off a multiple of 4 KiB, so that a loop over
    // two of them does not stall on their addresses aliasing in the cache.
    static constexpr std::size_t kStride = kBlock + 8;

    enum class Op : std::uint8_t {
        Number,
        Point,
        Wave,
        Alias,
        Add,
        Sub,
        Mul,
        Binary, // any other operator, by symbol
        Function
    };
    struct Step {
        Op op;
        bool zeroLeft = false; // a binary operator whose left operand is the missing one: 0
        expr::Function function = expr::Function::Unknown;
        char symbol = 0;
        std::size_t index = 0;
        double value = 0;
    };

    PostfixProgram() = default;
    static PostfixProgram Compile(std::string_view text);

    EvalResult Run(long point, const ExprOperands& operands) const;

    // A block's values, and where it failed: the position of its first failing point and the
    // error; failedAt is the block's size when every point gave a value. When bounded, distance
    // bounds how far every value may lie from Run's (infinity or NaN: unknown); otherwise the
    // values are Run's to the bit.
    struct BlockResult {
        const double* values;
        std::size_t failedAt = 0;
        int error = 0;
        bool bounded = false;
        double distance = 0;
    };
    // How a block may be run: to Run's bits, or through the vector functions (VectorMath.h)
    // with the distance of the values bounded, for a caller that needs only the code each value
    // rounds to and recomputes the values whose bounds straddle two codes; Coarse for codes so far
    // apart (16 bits) that looser vector functions raise the recomputes by next to nothing.
    enum class Precision : std::uint8_t { Bits, Bounded, Coarse };
    // Evaluates the program at each of points (at most kBlock) as Run would at each point in
    // turn, up to and not past the first failing one. The values are left in scratch, which
    // holds scratchSize() doubles of the caller's (so that blocks run on several threads at
    // once), or in spare, which holds kBlock. A point that fails only through a bounded value's
    // distance is not reported: its distance is unknown, and Run finds the failure.
    BlockResult RunBlock(BlockPoints points, const ExprOperands& operands,
                         std::span<double> scratch, double* spare,
                         Precision precision = Precision::Bits) const;
    std::size_t scratchSize() const { return registers_ * kStride + registers_; }

    const std::vector<Step>& steps() const { return steps_; }
    // False when the program fails at every point (after running its steps for domain errors).
    bool wellFormed() const { return !failsAfterSteps_; }
    // False when no point can fail: it divides by no value but constants other than 0 and takes
    // no function with a domain (tan, ctn, ln, log).
    bool mayFail() const { return mayFail_; }

  private:
    // One step of the block program: an operand loaded into a register, or an operation on one
    // register (in place) and a constant or a second register, or the points and a constant.
    enum class BlockOp : std::uint8_t {
        Point,
        PointWithConstant,
        ConstantWithPoint,
        Wave,
        Alias,
        Function,
        WithRegister,
        WithConstant,
        ConstantWith
    };
    struct BlockStep {
        BlockOp op;
        char symbol = 0;
        expr::Function function = expr::Function::Unknown;
        std::uint32_t target = 0; // the register written
        std::uint32_t other = 0;  // the right operand's register of WithRegister
        double constant = 0;      // right operand of WithConstant, left of ConstantWith
        std::size_t index = 0;    // wave or alias number
        // Bounded runs: whether the target and the other register hold values with distances
        // before the step, and the target after it; whether a function runs its vector variant.
        bool targetBounded = false, otherBounded = false, resultBounded = false;
        bool vector = false;
    };

    std::vector<Step> steps_;
    std::size_t maxDepth_ = 0;
    bool failsAfterSteps_ = true;
    bool mayFail_ = true;

    std::vector<BlockStep> blockSteps_;
    std::size_t registers_ = 0;
    bool blocks_ = false;         // false: every block runs point by point (it fails at once)
    bool constantResult_ = false; // the value is resultConstant_ at every point
    double resultConstant_ = 0;
    std::uint32_t resultRegister_ = 0;
    // Some function has a vector variant, and every operation on its values has a bound.
    bool vectorMath_ = false;
    bool resultBounded_ = false;
    bool boundedQuotients_ = false; // some quotient of points by a constant is bounded

    // quotients: whether a quotient of points by a constant may be bounded (see the .cpp).
    void CompileBlocks(bool quotients);
    BlockResult RunPointByPoint(BlockPoints points, const ExprOperands& operands,
                                double* values) const;
};

// Calls f(token) for each blank-terminated word of a program; text after the last blank is no
// token, and runs of blanks hold no empty ones.
template <class F> void ForEachPostfixToken(std::string_view text, F&& f) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ')
            continue;
        if (i > start)
            f(text.substr(start, i - start));
        start = i + 1;
    }
}

} // namespace tw
