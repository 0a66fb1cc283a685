#include "fm/FmNumberText.h"

#include "app/NumberText.h"
#include "app/Printf.h"

#include <cctype>
#include <sstream>

namespace tw {

std::string WidenExponent(std::string text) {
    auto e = text.find_first_of("eE");
    if (e == std::string::npos || e + 1 >= text.size())
        return text;
    std::size_t digits = e + 1;
    if (text[digits] == '+' || text[digits] == '-')
        ++digits;
    std::size_t count = text.size() - digits;
    if (count < 3)
        text.insert(digits, 3 - count, '0');
    return text;
}

std::string FmStreamText(double value) {
    return WidenExponent(StreamNumberText(value));
}

std::string FmGeneralText(double value) {
    std::string text = FmStreamText(value);
    CompactExponent(text);
    return text;
}

std::string FmScientificText(double value, int decimals) {
    std::ostringstream out;
    out.setf(std::ios::scientific, std::ios::floatfield);
    out.precision(decimals);
    out << value;
    std::string text = WidenExponent(out.str());
    CompactExponent(text);
    return text;
}

} // namespace tw
