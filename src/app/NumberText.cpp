#include "app/NumberText.h"

#include "app/Printf.h"

#include <cmath>
#include <sstream>

namespace tw {

std::string EngNumberText(double value, int decimals) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf";
    double sign = value < 0 ? -1.0 : 1.0;
    double m = sign * value;
    if (m < 1e-14)
        return "0";
    int t = static_cast<int>(std::log10(m)); // truncated toward zero, also for negatives
    int k = t / 3;
    m = m / std::pow(10.0, 3 * k);
    if (m < 1.0) {
        m = m * 1000.0;
        k = k - 1;
    } else if (m > 999.999) {
        m = m * 0.001;
        k = k + 1;
    }
    std::string format = strprintf("%%.%df", decimals);
    std::string text = vformat(format.c_str(), sign * m);
    TrimNumberText(text);
    if (k != 0)
        text += strprintf("e%d", 3 * k);
    return text;
}

std::string PrefixedNumberText(double value, std::string_view unit, int decimals) {
    static const char* const kPrefixes[] = {"f", "p", "n", "µ", "m", "", "k", "M", "G", "T"};
    std::string text = EngNumberText(value, decimals);
    const std::size_t e = text.find('e');
    std::string prefix;
    if (e != std::string::npos) {
        const int index = std::stoi(text.substr(e + 1)) / 3 + 5;
        if (index < 0 || index > 9)
            return text + (unit.empty() ? "" : " ") + std::string(unit);
        prefix = kPrefixes[index];
        text.erase(e);
    }
    if (unit.empty())
        return text + prefix;
    return text + " " + prefix + std::string(unit);
}

void TrimNumberText(std::string& text) {
    if (text.find('.') == std::string::npos)
        return;
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    while (!text.empty() && text.back() == '.')
        text.pop_back();
}

void CompactExponent(std::string& text) {
    auto plus = text.find("+00");
    if (plus != std::string::npos)
        text.erase(plus, 3);
    auto minus = text.find("-00");
    if (minus != std::string::npos)
        text.erase(minus + 1, 2);
}

std::string StreamNumberText(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

} // namespace tw
