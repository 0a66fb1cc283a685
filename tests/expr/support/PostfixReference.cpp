#include "expr/support/PostfixReference.h"

#include "expr/ExprMath.h"

#include <cstdlib>
#include <forward_list>
#include <locale>
#include <sstream>
#include <string>

namespace tw {

EvalResult EvalPostfixText(std::string_view program, long point, const ExprOperands& operands) {
    const EvalResult failure{expr::kFailValue, expr::kStackFailure};
    std::forward_list<double> stack;
    auto pop = [&] {
        double v = stack.front();
        stack.pop_front();
        return v;
    };
    std::size_t tokens = 0;
    for (char c : program)
        tokens += c == ' ';
    std::size_t at = 0;
    for (std::size_t t = 0; t < tokens; ++t) {
        while (at < program.size() && program[at] == ' ')
            ++at;
        std::size_t end = program.find(' ', at);
        if (end == std::string_view::npos)
            break;
        std::string token(program.substr(at, end - at));
        at = end + 1;
        if (std::size_t n = expr::ScanNumber(token); n > 0) {
            std::istringstream in(token.substr(0, n));
            in.imbue(std::locale::classic());
            double v = 0;
            in >> v;
            stack.push_front(v);
            continue;
        }
        int error = 0;
        if (token.size() == 1) {
            if (token[0] == 'p') {
                stack.push_front(static_cast<double>(point));
                continue;
            }
            if (stack.empty())
                return failure;
            double r = pop();
            double l = stack.empty() ? 0.0 : pop();
            double v = expr::ApplyBinary(token[0], l, r, error);
            if (error)
                return {expr::kFailValue, error};
            stack.push_front(v);
            continue;
        }
        auto digitsAfter = [&](std::size_t from) {
            return token.size() > from &&
                   token.find_first_not_of("0123456789", from) == std::string::npos;
        };
        if (token.starts_with("wh") && digitsAfter(2)) {
            stack.push_front(operands.wave(std::strtoull(token.c_str() + 2, nullptr, 10), point));
            continue;
        }
        if (token[0] == 'r' && digitsAfter(1)) {
            stack.push_front(operands.alias(std::strtoull(token.c_str() + 1, nullptr, 10), point));
            continue;
        }
        if (stack.empty())
            return failure;
        double v = expr::ApplyFunction(expr::FunctionNamed(token), pop(), error);
        if (error)
            return {expr::kFailValue, error};
        stack.push_front(v);
    }
    if (stack.empty())
        return failure;
    double result = pop();
    if (!stack.empty())
        return failure;
    return {result, 0};
}

} // namespace tw
