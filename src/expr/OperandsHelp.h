#pragma once
#include <string>
#include <vector>

namespace tw {

// The text of the Operands help dialog.
const char* OperandsHelpText();

// The example formulas the help text shows, each of which the engine accepts.
std::vector<std::string> OperandsHelpExamples();

} // namespace tw
