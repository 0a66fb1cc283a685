#include "expr/PostfixProgram.h"

#include "expr/VectorMath.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

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
struct Points {
    const long* points;
    double operator()(const double*, std::size_t k) const { return static_cast<double>(points[k]); }
};
struct Consecutive {
    long first;
    double operator()(const double*, std::size_t k) const {
        return static_cast<double>(first + static_cast<long>(k));
    }
};
// f called with the operand that reads a block's points: listed or consecutive.
template <class F> auto WithPoints(const BlockPoints& points, F f) {
    return points.list ? f(Points{points.list}) : f(Consecutive{points.first});
}

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

// Bounded runs: how far the values of a register's block may lie from the ones Run computes, one
// distance for the whole block. An operation on values with distances grows them by its own
// rounding on both sides (kRounding of the largest result, generously) and a little more for the
// rounding of the bound itself; kFloor keeps a distance from vanishing in an underflow. An
// unknown distance is infinity (or NaN, which every test takes as unknown).
constexpr double kGrowth = 1 + 0x1p-40;
constexpr double kRounding = 0x1p-50;
constexpr double kFloor = 1e-300;
constexpr double kUnknown = std::numeric_limits<double>::infinity();

// The magnitudes a bound needs are found in the loop of the operation itself, as the bits of
// absolute values: as integers they order as the values do (which vectorises without the rules
// of floating-point maxima), and a NaN's exceed infinity's, so a NaN among them is never lost.
constexpr std::uint64_t kMagnitudeBits = 0x7fffffffffffffff;
inline std::uint64_t MagnitudeBits(double x) {
    return std::bit_cast<std::uint64_t>(x) & kMagnitudeBits;
}
inline double Magnitude(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// The largest operands and result of a block, and the least divisor or gap between compared
// values.
struct Extremes {
    std::uint64_t l = 0, r = 0, v = 0, least = kMagnitudeBits;
};

template <char C> constexpr bool kComparison = C == '<' || C == '>' || C == '=';
template <char C> constexpr bool kDivision = C == '/' || C == '%';

// The distance of l C r from Run's for a whole block, given the distances of l and r (an unknown
// one is infinite, so is a product with an infinite magnitude, and so it stays unknown).
template <char C> double Distance(double dl, double dr, const Extremes& e) {
    const double ml = Magnitude(e.l), mr = Magnitude(e.r);
    double d;
    if constexpr (C == '+' || C == '-') {
        d = dl + dr;
    } else if constexpr (C == '*') {
        d = ml * dr + mr * dl + dl * dr;
    } else if constexpr (kDivision<C>) {
        const double m = Magnitude(e.least);
        if (!(m > 2 * dr)) // Run's divisor may be 0, or the quotient unbounded
            return kUnknown;
        d = (dl * m + ml * dr) / (m * (m - dr));
    } else { // comparisons give 0 or 1, the same as Run's unless some operands are too close
        return Magnitude(e.least) > 2 * (dl + dr) ? 0 : kUnknown;
    }
    return d * kGrowth + kRounding * Magnitude(e.v) + kFloor;
}

// Combine, finding the magnitudes the distance of C needs; the distance of the results in d.
// A constant's is known; in a product the other operand's multiplies the constant's distance,
// 0, so it is left out (an infinite one shows in the result's magnitude).
template <char C, class L, class R>
bool CombineBounded(double* x, L l, R r, std::size_t n, double dl, double dr, double& d) {
    constexpr bool constantL = std::is_same_v<L, Constant>, constantR = std::is_same_v<R, Constant>;
    int failed = 0;
    Extremes e;
    if constexpr (constantL)
        e.l = MagnitudeBits(l(x, 0));
    if constexpr (constantR)
        e.r = e.least = MagnitudeBits(r(x, 0));
    for (std::size_t k = 0; k < n; ++k) {
        int error = 0;
        const double a = l(x, k), b = r(x, k);
        const double v = expr::ApplyBinary(C, a, b, error);
        failed |= error;
        x[k] = v;
        if constexpr (!constantL && !constantR && (C == '*' || kDivision<C>))
            e.l = std::max(e.l, MagnitudeBits(a));
        if constexpr (C == '*' && !constantL && !constantR)
            e.r = std::max(e.r, MagnitudeBits(b));
        if constexpr (kDivision<C> && !constantR)
            e.least = std::min(e.least, MagnitudeBits(b));
        if constexpr (kComparison<C>)
            e.least = std::min(e.least, MagnitudeBits(a - b));
        else
            e.v = std::max(e.v, MagnitudeBits(v));
    }
    d = Distance<C>(dl, dr, e);
    return failed != 0;
}

template <class L, class R>
bool CombineBounded(char symbol, double* x, L l, R r, std::size_t n, double dl, double dr,
                    double& d) {
    switch (symbol) {
    case '+':
        return CombineBounded<'+'>(x, l, r, n, dl, dr, d);
    case '-':
        return CombineBounded<'-'>(x, l, r, n, dl, dr, d);
    case '*':
        return CombineBounded<'*'>(x, l, r, n, dl, dr, d);
    case '/':
        return CombineBounded<'/'>(x, l, r, n, dl, dr, d);
    case '%':
        return CombineBounded<'%'>(x, l, r, n, dl, dr, d);
    case '<':
        return CombineBounded<'<'>(x, l, r, n, dl, dr, d);
    case '>':
        return CombineBounded<'>'>(x, l, r, n, dl, dr, d);
    case '=':
        return CombineBounded<'='>(x, l, r, n, dl, dr, d);
    default: // the others never see a bounded value (CompileBlocks)
        return true;
    }
}

// Points over a constant as the points times its reciprocal (normal, as CompileBlocks checks):
// each product lies within three roundings of the quotient; its distance is returned.
template <class P> double QuotientBounded(double* x, P points, double divisor, std::size_t n) {
    const double reciprocal = 1 / divisor;
    std::uint64_t largest = 0;
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = points(x, k) * reciprocal;
        largest = std::max(largest, MagnitudeBits(x[k]));
    }
    return kRounding * Magnitude(largest) + kFloor;
}

// A function's vector variant over a block, given its arguments' distance dIn (0: Run's bits);
// the distance of its values in d. sin and cos take a multiplication by scale along.
bool ApplyVector(expr::Function f, double* x, std::size_t n, bool coarse, double scale, double dIn,
                 double& d) {
    using expr::Function;
    if (expr::IsSinOrCos(f)) { // both move by at most the argument's distance
        expr::ApplyVector(f, x, n, coarse, scale);
        const double m = std::fabs(scale);
        d = dIn * kGrowth + (coarse ? expr::kTrigCoarseDistance : expr::kTrigDistance);
        if (scale != 1) // the product's values lie within m (1 + d)
            d = m * d * kGrowth + kRounding * (m * (1 + d) * kGrowth) + kFloor;
        return false;
    }
    // ln and log: a domain error as Run finds it; a bound from the argument's distance at the
    // least argument (log10 moves less than ln), and the variant's own relative one.
    const expr::LogBlock block = expr::ApplyLog(f, x, n, coarse);
    if (!block.positive)
        return true;
    const double m = block.leastArgument;
    const double dArg = dIn == 0 ? 0 : m > 2 * dIn ? dIn / (m - dIn) * kGrowth : kUnknown;
    d = dArg + (expr::kLogDistance * block.largestValue + kFloor) +
        (coarse ? expr::kLogCoarseDistance : 0);
    return false;
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
    // Quotients of points by constants are bounded where that costs no vector function.
    program.CompileBlocks(true);
    if (program.blocks_ && !program.vectorMath_ && program.boundedQuotients_)
        program.CompileBlocks(false);
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
void PostfixProgram::CompileBlocks(bool quotients) {
    if (failsAfterSteps_)
        return; // every point fails, so the first one ends any run
    struct Entry {
        bool constant;
        double value;
        std::uint32_t reg;
        bool bounded = false; // its values may come from a vector function
    };
    bool anyVector = false, unbounded = false, mayFail = false, boundedQuotients = false;
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
            mayFail |= s.function != expr::Function::Abs && !expr::IsSinOrCos(s.function);
            b.target = x.reg;
            b.targetBounded = x.bounded;
            b.vector = expr::HasVectorVariant(s.function);
            anyVector |= b.vector;
            // tan and ctn have no bound on their values' distances
            unbounded |= x.bounded && !b.vector && s.function != expr::Function::Abs;
            x.bounded = b.vector || x.bounded;
            b.resultBounded = x.bounded;
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
            mayFail |= (s.symbol == '/' || s.symbol == '%') && !(r.constant && r.value != 0);
            if (r.constant) {
                b.op = BlockOp::WithConstant;
                b.target = l.reg;
                b.constant = r.value;
                b.targetBounded = l.bounded;
            } else if (l.constant) {
                b.op = BlockOp::ConstantWith;
                b.target = r.reg;
                b.constant = l.value;
                b.targetBounded = r.bounded;
            } else {
                b.op = BlockOp::WithRegister;
                b.target = l.reg;
                b.other = r.reg;
                b.targetBounded = l.bounded;
                b.otherBounded = r.bounded;
                freeRegisters.push_back(r.reg);
            }
            b.resultBounded = l.bounded || r.bounded;
            // ^, & and | have no bound on their values' distances
            unbounded |= b.resultBounded &&
                         std::string_view("+-*/%<>=").find(s.symbol) == std::string_view::npos;
            stack.push_back({false, 0, b.target, b.resultBounded});
        }
        }
        // The points and a constant in one loop: a point is an exact value. A quotient by a
        // constant (which GCC leaves scalar) is, in a bounded run, the product with the
        // constant's reciprocal, within a few roundings of the quotient, so bounded itself.
        const bool withConstant =
            (b.op == BlockOp::WithConstant || b.op == BlockOp::ConstantWith) &&
            (b.symbol == '+' || b.symbol == '-' || b.symbol == '*');
        const bool quotient =
            b.op == BlockOp::WithConstant && b.symbol == '/' && std::isnormal(1 / b.constant);
        if ((withConstant || quotient) && !blockSteps.empty() &&
            blockSteps.back().op == BlockOp::Point && blockSteps.back().target == b.target) {
            b.op = b.op == BlockOp::WithConstant ? BlockOp::PointWithConstant
                                                 : BlockOp::ConstantWithPoint;
            if (quotient && quotients) {
                b.resultBounded = stack.back().bounded = true;
                boundedQuotients = true;
            }
            blockSteps.back() = b;
            continue;
        }
        // sin or cos and a product with a constant in one loop (a product commutes to the bit).
        if (withConstant && b.symbol == '*' && !blockSteps.empty() &&
            blockSteps.back().op == BlockOp::Function && blockSteps.back().target == b.target &&
            blockSteps.back().symbol == 0 && expr::IsSinOrCos(blockSteps.back().function) &&
            std::fabs(b.constant) <= expr::kLargestScale) {
            blockSteps.back().symbol = '*';
            blockSteps.back().constant = b.constant;
            blockSteps.back().resultBounded = b.resultBounded;
            continue;
        }
        blockSteps.push_back(b);
    }
    blockSteps_ = std::move(blockSteps);
    registers_ = registers;
    constantResult_ = stack.back().constant;
    resultConstant_ = stack.back().value;
    resultRegister_ = stack.back().reg;
    blocks_ = true;
    mayFail_ = mayFail;
    vectorMath_ = anyVector && !unbounded && !constantResult_;
    boundedQuotients_ = boundedQuotients;
    resultBounded_ = stack.back().bounded;
}

PostfixProgram::BlockResult PostfixProgram::RunPointByPoint(BlockPoints points,
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

TW_WIDEST_VECTORS __attribute__((flatten)) PostfixProgram::BlockResult
PostfixProgram::RunBlock(BlockPoints points, const ExprOperands& operands,
                         std::span<double> scratch, double* spare, Precision precision) const {
    const std::size_t n = std::min(points.size(), kBlock);
    points.count = n;
    if (!blocks_ || scratch.size() < scratchSize())
        return RunPointByPoint(points, operands, spare);
    auto registerAt = [&](std::uint32_t r) { return scratch.data() + r * kStride; };
    const bool bounded = precision != Precision::Bits && vectorMath_ &&
                         expr::ActiveVectorLevel() != expr::VectorLevel::Scalar;
    const bool coarse = precision == Precision::Coarse;
    // The distance of each register's values follows all the registers in scratch.
    double* distance = registerAt(registers_);
    auto distanceOf = [&](bool has, std::uint32_t r) { return has ? distance[r] : 0.0; };
    for (const BlockStep& b : blockSteps_) {
        double* x = registerAt(b.target);
        bool failed = false;
        if (bounded && b.resultBounded && b.op == BlockOp::PointWithConstant) {
            distance[b.target] =
                WithPoints(points, [&](auto at) { return QuotientBounded(x, at, b.constant, n); });
            continue;
        }
        if (bounded && b.resultBounded && b.op != BlockOp::Function) {
            const double dt = distanceOf(b.targetBounded, b.target);
            double& d = distance[b.target];
            if (b.op == BlockOp::WithRegister)
                failed = CombineBounded(b.symbol, x, Self{}, Register{registerAt(b.other)}, n, dt,
                                        distanceOf(b.otherBounded, b.other), d);
            else if (b.op == BlockOp::WithConstant)
                failed = CombineBounded(b.symbol, x, Self{}, Constant{b.constant}, n, dt, 0, d);
            else
                failed = CombineBounded(b.symbol, x, Constant{b.constant}, Self{}, n, 0, dt, d);
            if (failed)
                return RunPointByPoint(points, operands, spare);
            continue;
        }
        if (bounded && b.vector) {
            if (ApplyVector(b.function, x, n, coarse, b.symbol == '*' ? b.constant : 1,
                            distanceOf(b.targetBounded, b.target), distance[b.target]))
                return RunPointByPoint(points, operands, spare);
            continue;
        }
        switch (b.op) {
        case BlockOp::Point:
            WithPoints(points, [&](auto at) {
                for (std::size_t k = 0; k < n; ++k)
                    x[k] = at(x, k);
            });
            break;
        case BlockOp::PointWithConstant:
            failed = WithPoints(
                points, [&](auto at) { return Combine(b.symbol, x, at, Constant{b.constant}, n); });
            break;
        case BlockOp::ConstantWithPoint:
            failed = WithPoints(
                points, [&](auto at) { return Combine(b.symbol, x, Constant{b.constant}, at, n); });
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
            if (b.symbol == '*')
                Combine('*', x, Self{}, Constant{b.constant}, n);
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
        return {registerAt(resultRegister_), n, 0, bounded && resultBounded_,
                bounded && resultBounded_ ? distance[resultRegister_] : 0};
    std::fill(spare, spare + n, resultConstant_);
    return {spare, n, 0};
}

} // namespace tw
