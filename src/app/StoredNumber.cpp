#include "app/StoredNumber.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/Prompter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace tw {

std::optional<double> StoredNumber(std::string_view text) {
    std::string s(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (end == begin)
        return std::nullopt;
    return v;
}

std::optional<double> LeadingValue(std::string_view text) {
    auto v = StoredNumber(text);
    if (v && !std::isfinite(*v))
        return std::nullopt;
    return v;
}

int ClampedInt(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, double(INT_MIN), double(INT_MAX)));
}

int StoredWhole(std::string_view text, int fallback) {
    auto v = LeadingValue(text);
    return v ? ClampedInt(*v) : fallback;
}

void ReportStoredValue(const LaunchState& session, const StoredKey& where,
                       std::string_view problem) {
    Reports(session).ask(session.appName,
                         "File " + where.file + "\nSect=" + where.section + "\nKey=" + where.key +
                             "\n" + std::string(problem),
                         Buttons::Ok, Icon::Exclamation);
}

void ReportOutOfRange(const LaunchState& session, const StoredKey& where, double value, double low,
                      double high, std::string_view used) {
    ReportStoredValue(session, where,
                      strprintf("Value %.15g is out of range %.15g..%.15g; ", value, low, high) +
                          std::string(used) + " is used.");
}

long long CheckedWhole(const LaunchState& session, double value, long long low, long long high,
                       long long fallback, const StoredKey& where) {
    double whole = std::trunc(value);
    if (std::isfinite(whole) && whole >= static_cast<double>(low) &&
        whole <= static_cast<double>(high))
        return static_cast<long long>(whole);
    ReportOutOfRange(session, where, value, static_cast<double>(low), static_cast<double>(high),
                     strprintf("%lld", fallback));
    return fallback;
}

bool CheckedRange(const LaunchState& session, double value, double low, double high,
                  const StoredKey& where, std::string_view used) {
    if (std::isfinite(value) && value >= low && value <= high)
        return true;
    ReportOutOfRange(session, where, value, low, high, used);
    return false;
}

} // namespace tw
