#include "view/ScaleTexts.h"

#include "app/NumberText.h"
#include "app/Printf.h"
#include "document/Composer.h"

#include <cctype>
#include <cmath>

namespace tw {

namespace {

bool IsPointUnit(const std::string& unit) {
    return !unit.empty() && std::tolower(static_cast<unsigned char>(unit[0])) == 'p';
}

} // namespace

PlotUnits UnitsForComposer(const Composer& composer, int voltInd) {
    return {composer.horizontalUnit(), composer.verticalUnit(), voltInd};
}

std::string ScaleLine(bool vertical, double range, const std::string& unit, int voltInd) {
    const char* suffix = "";
    if (IsPointUnit(unit)) {
        range += 1;
        const long long whole = static_cast<long long>(range);
        if (whole != 0 && whole % 1024 == 0) {
            range /= 1024;
            suffix = "k";
        }
    } else if (vertical) {
        range *= std::pow(10.0, 3 * voltInd);
        if (voltInd == 1)
            suffix = "m";
    }
    const double divisions = vertical ? 8 : 10;
    const std::string whole = EngNumberText(range, 9) + suffix;
    const std::string perDiv = EngNumberText(range / divisions, 9) + suffix;
    return vertical ? strprintf("Vertical Scale: %s%s  [%s%s/Div]", whole.c_str(), unit.c_str(),
                                perDiv.c_str(), unit.c_str())
                    : strprintf("Horizontal Scale: %s%s [%s%s/Div]", whole.c_str(), unit.c_str(),
                                perDiv.c_str(), unit.c_str());
}

std::string MidValueText(double ymin, double ymax, const std::string& verticalUnit) {
    const double p = IsPointUnit(verticalUnit) ? 1 : 0;
    return EngNumberText((ymin + ymax + p) * 0.5, 9);
}

ScaleTexts MakeScaleTexts(double xmin, double xmax, double ymin, double ymax,
                          const PlotUnits& units) {
    return {ScaleLine(true, ymax - ymin, units.vertical, units.voltInd),
            ScaleLine(false, xmax - xmin, units.horizontal),
            MidValueText(ymin, ymax, units.vertical)};
}

} // namespace tw
