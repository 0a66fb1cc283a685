#pragma once
#include "expr/ExprOperands.h"

#include <string_view>

namespace tw {

// The postfix program evaluated the slow, literal way: the text scanned token by token for one
// point, numbers read by a string stream, operands on a linked stack. It is the yardstick the
// compiled program is measured and checked against.
EvalResult EvalPostfixText(std::string_view program, long point, const ExprOperands& operands);

} // namespace tw
