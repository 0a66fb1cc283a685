#include "expr/PostfixProgram.h"

#include <algorithm>
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

// The operands of a block step: the register written itself, another register, a constant.
struct Self {
    double operator()(const double* x, std::size_t k) const { return x[k]; }
};
struct Register {
    const double* values;
    double operator()(const double*, std::size_t k) const { return values[k]; }
};
struct Constant {
    double value;
    double operator()(const double*, std::size_t) const { return value; }
};

// One operator over a block through the very function a single point uses; true when a point
// failed. With the operator known here, the loops of the plain operators vectorise.
template <char C, class L, class R> bool Combine(double* x, L l, R r, std::size_t n) {
    int failed = 0;
    for (std::size_t k = 0; k < n; ++k) {
        int error = 0;
        x[k] = expr::ApplyBinary(C, l(x, k), r(x, k), error);
        failed |= error;
    }
    return failed != 0;
}

template <class L, class R> bool Combine(char symbol, double* x, L l, R r, std::size_t n) {
    switch (symbol) {
    case '+':
        return Combine<'+'>(x, l, r, n);
    case '-':
        return Combine<'-'>(x, l, r, n);
    case '*':
        return Combine<'*'>(x, l, r, n);
    case '/':
        return Combine<'/'>(x, l, r, n);
    case '%':
        return Combine<'%'>(x, l, r, n);
    case '^':
        return Combine<'^'>(x, l, r, n);
    case '&':
        return Combine<'&'>(x, l, r, n);
    case '|':
        return Combine<'|'>(x, l, r, n);
    case '<':
        return Combine<'<'>(x, l, r, n);
    case '>':
        return Combine<'>'>(x, l, r, n);
    case '=':
        return Combine<'='>(x, l, r, n);
    default:
        return true;
    }
}

template <expr::Function F> bool Apply(double* x, std::size_t n) {
    int failed = 0;
    for (std::size_t k = 0; k < n; ++k) {
        int error = 0;
        x[k] = expr::ApplyFunction(F, x[k], error);
        failed |= error;
    }
    return failed != 0;
}

bool Apply(expr::Function f, double* x, std::size_t n) {
    using expr::Function;
    switch (f) {
    case Function::Abs:
        return Apply<Function::Abs>(x, n);
    case Function::Sin:
        return Apply<Function::Sin>(x, n);
    case Function::Cos:
        return Apply<Function::Cos>(x, n);
    case Function::Tan:
        return Apply<Function::Tan>(x, n);
    case Function::Ctn:
        return Apply<Function::Ctn>(x, n);
    case Function::Ln:
        return Apply<Function::Ln>(x, n);
    case Function::Log:
        return Apply<Function::Log>(x, n);
    case Function::Unknown:
        break;
    }
    return true;
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
    program.CompileBlocks();
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

// Replays the stack machine once with the kind of every stack entry: operations on constants
// alone are done here, the others become steps over registers of kBlock values.
void PostfixProgram::CompileBlocks() {
    if (failsAfterSteps_)
        return; // every point fails, so the first one ends any run
    struct Entry {
        bool constant;
        double value;
        std::uint32_t reg;
    };
    std::vector<Entry> stack;
    std::vector<std::uint32_t> freeRegisters;
    std::uint32_t registers = 0;
    auto takeRegister = [&] {
        if (freeRegisters.empty())
            return registers++;
        std::uint32_t r = freeRegisters.back();
        freeRegisters.pop_back();
        return r;
    };
    std::vector<BlockStep> blockSteps;
    for (const Step& s : steps_) {
        BlockStep b{};
        switch (s.op) {
        case Op::Number:
            stack.push_back({true, s.value, 0});
            continue;
        case Op::Point:
        case Op::Wave:
        case Op::Alias:
            b.op = s.op == Op::Point  ? BlockOp::Point
                   : s.op == Op::Wave ? BlockOp::Wave
                                      : BlockOp::Alias;
            b.index = s.index;
            b.target = takeRegister();
            stack.push_back({false, 0, b.target});
            break;
        case Op::Function: {
            Entry& x = stack.back();
            if (x.constant) {
                int error = 0;
                x.value = expr::ApplyFunction(s.function, x.value, error);
                if (error)
                    return; // fails at every point that gets this far: the first one does
                continue;
            }
            b.op = BlockOp::Function;
            b.function = s.function;
            b.target = x.reg;
            break;
        }
        default: {
            const Entry r = stack.back();
            stack.pop_back();
            Entry l{true, 0.0, 0};
            if (!s.zeroLeft) {
                l = stack.back();
                stack.pop_back();
            }
            b.symbol = s.symbol;
            if (l.constant && r.constant) {
                int error = 0;
                const double v = expr::ApplyBinary(s.symbol, l.value, r.value, error);
                if (error)
                    return;
                stack.push_back({true, v, 0});
                continue;
            }
            if (r.constant) {
                b.op = BlockOp::WithConstant;
                b.target = l.reg;
                b.constant = r.value;
            } else if (l.constant) {
                b.op = BlockOp::ConstantWith;
                b.target = r.reg;
                b.constant = l.value;
            } else {
                b.op = BlockOp::WithRegister;
                b.target = l.reg;
                b.other = r.reg;
                freeRegisters.push_back(r.reg);
            }
            stack.push_back({false, 0, b.target});
        }
        }
        blockSteps.push_back(b);
    }
    blockSteps_ = std::move(blockSteps);
    registers_ = registers;
    constantResult_ = stack.back().constant;
    resultConstant_ = stack.back().value;
    resultRegister_ = stack.back().reg;
    blocks_ = true;
}

PostfixProgram::BlockResult PostfixProgram::RunPointByPoint(std::span<const long> points,
                                                            const ExprOperands& operands,
                                                            double* values) const {
    for (std::size_t k = 0; k < points.size(); ++k) {
        const EvalResult r = Run(points[k], operands);
        if (r.error)
            return {values, k, r.error};
        values[k] = r.value;
    }
    return {values, points.size(), 0};
}

PostfixProgram::BlockResult PostfixProgram::RunBlock(std::span<const long> points,
                                                     const ExprOperands& operands,
                                                     std::span<double> scratch,
                                                     double* spare) const {
    const std::size_t n = std::min(points.size(), kBlock);
    points = points.first(n);
    if (!blocks_ || scratch.size() < scratchSize())
        return RunPointByPoint(points, operands, spare);
    auto registerAt = [&](std::uint32_t r) { return scratch.data() + r * kBlock; };
    for (const BlockStep& b : blockSteps_) {
        double* x = registerAt(b.target);
        bool failed = false;
        switch (b.op) {
        case BlockOp::Point:
            for (std::size_t k = 0; k < n; ++k)
                x[k] = static_cast<double>(points[k]);
            break;
        case BlockOp::Wave:
            for (std::size_t k = 0; k < n; ++k)
                x[k] = operands.wave(b.index, points[k]);
            break;
        case BlockOp::Alias:
            for (std::size_t k = 0; k < n; ++k)
                x[k] = operands.alias(b.index, points[k]);
            break;
        case BlockOp::Function:
            failed = Apply(b.function, x, n);
            break;
        case BlockOp::WithRegister:
            failed = Combine(b.symbol, x, Self{}, Register{registerAt(b.other)}, n);
            break;
        case BlockOp::WithConstant:
            failed = Combine(b.symbol, x, Self{}, Constant{b.constant}, n);
            break;
        case BlockOp::ConstantWith:
            failed = Combine(b.symbol, x, Constant{b.constant}, Self{}, n);
            break;
        }
        // Some point failed: which one first, and at which step, is what Run finds.
        if (failed)
            return RunPointByPoint(points, operands, spare);
    }
    if (!constantResult_)
        return {registerAt(resultRegister_), n, 0};
    std::fill(spare, spare + n, resultConstant_);
    return {spare, n, 0};
}

} // namespace tw
