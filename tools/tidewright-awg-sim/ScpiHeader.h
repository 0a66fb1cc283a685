#pragma once
#include <string>
#include <string_view>

namespace tw::sim {

// A command header in one spelling: upper case, no leading ':', every node in its short form
// ("TRACe:DEFine" and ":trac:def" both give "TRAC:DEF"), default nodes left out ("OUTP:STAT"
// gives "OUTP", "SYST:ERR:NEXT?" gives "SYST:ERR?"). A query keeps its '?'.
std::string CanonicalHeader(std::string_view header);

} // namespace tw::sim
