#include "fm/FmMarkers.h"

#include "app/FileUtil.h"
#include "app/MessageIds.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "fm/FmNumberText.h"
#include "host/FmExchange.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tw {

namespace {
std::int32_t toInt32(double v) {
    v = std::trunc(v);
    if (!(v >= INT32_MIN))
        return INT32_MIN;
    return v > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(v);
}
} // namespace

std::vector<double> ReadFmMarkerValues(const LaunchState& session, int fmFuncMode) {
    std::vector<double> values;
    for (const std::string& text : FmExchange(session).MarkerTexts(fmFuncMode))
        if (auto v = LeadingValue(text))
            values.push_back(*v);
    return values;
}

FmMarkerPoints ComputeFmMarkerPoints(std::span<const std::int32_t> points,
                                     std::span<const double> values, double vMin, double vMax,
                                     bool abstract) {
    double scale = 1, offset = 0;
    if (abstract) {
        scale = 1e9 / (vMax - vMin);
        offset = -scale * vMin;
    }
    std::vector<double> kept;
    for (double m : values)
        if (vMin <= m && m <= vMax)
            kept.push_back(std::trunc(m * scale + offset));

    FmMarkerPoints result;
    result.valuesInRange = static_cast<int>(kept.size());
    if (kept.empty()) {
        result.indices.push_back(0);
        return result;
    }
    for (std::size_t p = 1; p < points.size(); ++p) {
        double cur = points[p], prev = points[p - 1];
        for (double m : kept) {
            if ((prev - m) * (cur - m) <= 0 && cur != m) {
                bool prevNearer = std::fabs(cur - m) > std::fabs(prev - m);
                result.indices.push_back(static_cast<std::int32_t>(prevNearer ? p - 1 : p));
                break;
            }
        }
    }
    return result;
}

void FmMarkerTable::load(int fmFuncMode) {
    ascending_ = true;
    if (auto sort = FmExchange(session_).MarkerSort(fmFuncMode))
        ascending_ = std::strtod(sort->c_str(), nullptr) != 0;
    values_.clear();
    for (const std::string& text : FmExchange(session_).MarkerTexts(fmFuncMode))
        values_.push_back(toInt32(static_cast<double>(std::strtol(text.c_str(), nullptr, 10))));
    modified_ = false;
}

void FmMarkerTable::store(int fmFuncMode) {
    FmExchange(session_).StoreMarkers(fmFuncMode, ascending_, values_);
    modified_ = false;
}

std::size_t FmMarkerTable::valueIndex(int listPosition) const {
    const auto position = static_cast<std::size_t>(listPosition);
    return ascending_ ? position : values_.size() - 1 - position;
}

std::string FmMarkerTable::displayText(int listPosition) const {
    if (listPosition < 0 || listPosition >= size())
        return {};
    return FmScientificText(values_[valueIndex(listPosition)], 8);
}

FmMarkerTable::AddResult FmMarkerTable::add(std::string_view text, double vMin, double vMax) {
    std::string typed(text.substr(0, 20));
    if (typed.empty())
        return AddResult::Ignored;
    std::int32_t value = toInt32(std::strtod(typed.c_str(), nullptr));
    if (value < vMin || value > vMax)
        ask(prompts_, "Warning", StringText(kMsgFmMarkerOutOfRange), Buttons::Ok,
            Icon::Exclamation);
    auto at = std::lower_bound(values_.begin(), values_.end(), value);
    if (at != values_.end() && *at == value)
        return AddResult::Duplicate;
    values_.insert(at, value);
    modified_ = true;
    return AddResult::Added;
}

void FmMarkerTable::removeAt(int listPosition) {
    if (listPosition < 0 || listPosition >= size())
        return;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(valueIndex(listPosition)));
    modified_ = true;
}

void FmMarkerTable::close(int fmFuncMode) {
    if (modified_ && ask(prompts_, "Data is modified", "Do you want to save changes ?",
                         Buttons::YesNo, Icon::Question) == Answer::Yes)
        store(fmFuncMode);
}

} // namespace tw
