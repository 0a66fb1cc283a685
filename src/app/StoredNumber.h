#pragma once
#include "app/LaunchState.h"

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// The number a stored text begins with, read as the C library reads it; nothing when the text
// begins with no number or with one that is not finite ("inf", "nan", "1e999"). No number from
// a file reaches the program as an infinity.
std::optional<double> LeadingValue(std::string_view text);
// The same, finite or not, for the range checks below to refuse with a message; nothing when
// the text begins with no number.
std::optional<double> StoredNumber(std::string_view text);

// A stored whole number clamped into int (0 for not a number), for callers that bound the
// result themselves.
int ClampedInt(double value);
// The whole number a stored text begins with, clamped into int; `fallback` when it begins with
// no finite number. What atoi does, without its undefined overflow.
int StoredWhole(std::string_view text, int fallback = 0);

// Where a stored number lives, as the message that refuses it names it.
struct StoredKey {
    std::string file;
    std::string section;
    std::string key;
};

// Tells the user, through the session's reporter and in its name, what is wrong with the value
// stored under `where`: the file, the section and the key on three lines, then `problem`. The
// checks below tell the user the same way.
void ReportStoredValue(const LaunchState& session, const StoredKey& where,
                       std::string_view problem);

// Tells the user that `where` holds `value`, which lies outside low..high, and that `used` is
// used instead.
void ReportOutOfRange(const LaunchState& session, const StoredKey& where, double value, double low,
                      double high, std::string_view used);

// The whole part of `value` when it is finite and lies within low..high; otherwise the user is
// told and `fallback` is returned.
long long CheckedWhole(const LaunchState& session, double value, long long low, long long high,
                       long long fallback, const StoredKey& where);

// True when `value` is finite and lies within low..high; otherwise the user is told that
// `used` is used instead.
bool CheckedRange(const LaunchState& session, double value, double low, double high,
                  const StoredKey& where, std::string_view used);

} // namespace tw
