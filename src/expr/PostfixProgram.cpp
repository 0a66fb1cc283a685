#include "expr/PostfixProgram.h"

#include <charconv>
#include <limits>

namespace tw {

namespace {

constexpr std::size_t kNoIndex = std::numeric_limits<std::size_t>::max();

bool AllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::size_t IndexOf(std::string_view digits) {
    std::size_t n = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size() ? n : kNoIndex;
}

bool IsOperatorSymbol(char c) {
    return std::string_view("+-*/%^&|<>=").find(c) != std::string_view::npos;
}

} // namespace

PostfixProgram PostfixProgram::Compile(std::string_view text) {
    PostfixProgram program;
    std::size_t depth = 0;
    bool failed = false;
    ForEachPostfixToken(text, [&](std::string_view token) {
        if (failed)
            return;
        Step step{};
        if (std::size_t n = expr::ScanNumber(token); n > 0) {
            step.op = Op::Number;
            step.value = expr::NumberValue(token.substr(0, n));
        } else if (token.size() == 1 && token[0] == 'p') {
            step.op = Op::Point;
        } else if (token.size() == 1) {
            if (!IsOperatorSymbol(token[0]) || depth == 0) {
                failed = true;
                return;
            }
            step.symbol = token[0];
            step.op = token[0] == '+'   ? Op::Add
                      : token[0] == '-' ? Op::Sub
                      : token[0] == '*' ? Op::Mul
                                        : Op::Binary;
            step.zeroLeft = depth == 1;
            depth = depth == 1 ? 1 : depth - 1;
            program.steps_.push_back(step);
            return;
        } else if (token.starts_with("wh") && AllDigits(token.substr(2))) {
            step.op = Op::Wave;
            step.index = IndexOf(token.substr(2));
        } else if (token[0] == 'r' && AllDigits(token.substr(1))) {
            step.op = Op::Alias;
            step.index = IndexOf(token.substr(1));
        } else {
            step.function = expr::FunctionNamed(token);
            if (step.function == expr::Function::Unknown || depth == 0) {
                failed = true;
                return;
            }
            step.op = Op::Function;
            program.steps_.push_back(step);
            return;
        }
        program.steps_.push_back(step);
        if (++depth > program.maxDepth_)
            program.maxDepth_ = depth;
    });
    program.failsAfterSteps_ = failed || depth != 1;
    return program;
}

EvalResult PostfixProgram::Run(long point, const ExprOperands& operands) const {
    double local[64];
    std::vector<double> heap;
    double* st = local;
    if (maxDepth_ > std::size(local)) {
        heap.resize(maxDepth_);
        st = heap.data();
    }
    std::size_t sp = 0;
    int error = 0;
    for (const Step& s : steps_) {
        switch (s.op) {
        case Op::Number:
            st[sp++] = s.value;
            break;
        case Op::Point:
            st[sp++] = static_cast<double>(point);
            break;
        case Op::Wave:
            st[sp++] = operands.wave(s.index, point);
            break;
        case Op::Alias:
            st[sp++] = operands.alias(s.index, point);
            break;
        case Op::Function:
            st[sp - 1] = expr::ApplyFunction(s.function, st[sp - 1], error);
            if (error)
                return {expr::kFailValue, error};
            break;
        default: {
            double r = st[--sp];
            double l = s.zeroLeft ? 0.0 : st[--sp];
            double v;
            if (s.op == Op::Add) {
                v = l + r;
            } else if (s.op == Op::Sub) {
                v = l - r;
            } else if (s.op == Op::Mul) {
                v = l * r;
            } else {
                v = expr::ApplyBinary(s.symbol, l, r, error);
                if (error)
                    return {expr::kFailValue, error};
            }
            st[sp++] = v;
        }
        }
    }
    if (failsAfterSteps_)
        return {expr::kFailValue, expr::kStackFailure};
    return {st[0], 0};
}

} // namespace tw
