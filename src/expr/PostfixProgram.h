#pragma once
#include "expr/ExprMath.h"
#include "expr/ExprOperands.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tw {

// A postfix program text turned once into steps: numbers converted, operators and functions
// resolved, the stack depth of every step known. Running it gives exactly what evaluating the
// text token by token gives.
class PostfixProgram {
  public:
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

    const std::vector<Step>& steps() const { return steps_; }
    // False when the program fails at every point (after running its steps for domain errors).
    bool wellFormed() const { return !failsAfterSteps_; }

  private:
    std::vector<Step> steps_;
    std::size_t maxDepth_ = 0;
    bool failsAfterSteps_ = true;
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
