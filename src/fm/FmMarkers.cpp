#include "fm/FmMarkers.h"

#include "app/FileUtil.h"
#include "app/LaunchState.h"
#include "app/ProfileFile.h"
#include "app/ProfileStore.h"
#include "app/Prompter.h"
#include "app/StoredNumber.h"
#include "app/StringTable.h"
#include "fm/FmNumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tw {

namespace {
// Each stored "Mrk<i>" text, in order, up to the first missing key.
std::vector<std::string> readMarkTexts(int fmFuncMode) {
    std::vector<std::string> texts;
    std::string section = FmMarkSection(fmFuncMode);
    for (int i = 0;; ++i) {
        std::string key = "Mrk" + std::to_string(i), text;
        if (!ProfileRecord(section, key.c_str(), text, 40, launch().exchangeFile, true))
            return texts;
        texts.push_back(text);
    }
}

std::int32_t toInt32(double v) {
    v = std::trunc(v);
    if (!(v >= INT32_MIN))
        return INT32_MIN;
    return v > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(v);
}
} // namespace

std::string FmMarkSection(int fmFuncMode) {
    return "FmMark" + std::to_string(fmFuncMode);
}

std::vector<double> ReadFmMarkerValues(int fmFuncMode) {
    std::vector<double> values;
    for (const std::string& text : readMarkTexts(fmFuncMode))
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
    std::string section = FmMarkSection(fmFuncMode), sort;
    ascending_ = true;
    if (ProfileRecord(section, "FmSort", sort, 40, launch().exchangeFile, true))
        ascending_ = std::strtod(sort.c_str(), nullptr) != 0;
    values_.clear();
    for (const std::string& text : readMarkTexts(fmFuncMode))
        values_.push_back(toInt32(static_cast<double>(std::strtol(text.c_str(), nullptr, 10))));
    modified_ = false;
}

void FmMarkerTable::store(int fmFuncMode) {
    std::vector<std::string> lines{std::string("FmSort=") + (ascending_ ? "1" : "0")};
    for (std::size_t i = 0; i < values_.size(); ++i)
        lines.push_back("Mrk" + std::to_string(i) + "=" + std::to_string(values_[i]));
    profile::Transaction tx(launch().exchangeFile);
    tx.deleteSection(FmMarkSection(fmFuncMode));
    tx.writeSection(FmMarkSection(fmFuncMode), lines);
    tx.commit();
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
        ask("Warning", StringText(3016), Buttons::Ok, Icon::Exclamation);
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
    if (modified_ && ask("Data is modified", "Do you want to save changes ?", Buttons::YesNo,
                         Icon::Question) == Answer::Yes)
        store(fmFuncMode);
}

} // namespace tw
