#include "generators/GeneratorSettings.h"

#include "app/LaunchState.h"
#include "app/Printf.h"
#include "app/ProfileFile.h"
#include "document/Composer.h"
#include "host/ExchangeFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tw {

bool ReadDialogPosition(const Composer& composer, DialogPosition& pos) {
    auto stored = ExchangeFile::Dialogs(composer.session()).Position(composer.dialogSection());
    if (!stored)
        return false;
    pos.left = stored->first;
    pos.top = stored->second;
    return true;
}

void StoreDialogPosition(const Composer& composer, DialogPosition pos) {
    ExchangeFile::Dialogs(composer.session())
        .StorePosition(composer.dialogSection(), std::clamp(pos.left, 0, 1000),
                       std::clamp(pos.top, 0, 700));
}

void MoveRangeOn(double& start, double& end, double wavelength) {
    if (end < wavelength - 3) {
        start = end + 1;
        end = wavelength - 1;
    }
}

std::string SettingNumber(double v) {
    return strprintf("%.15g", v);
}

std::vector<double> DescribedNumbers(const std::string& descr, const char* section,
                                     const char* key) {
    std::vector<double> numbers;
    auto line = profile::GetValue(descr, section, key);
    if (!line)
        return numbers;
    std::istringstream in(*line);
    for (std::string word; in >> word;) {
        char* end = nullptr;
        const double v = std::strtod(word.c_str(), &end);
        if (end != word.c_str() && *end == '\0' && std::isfinite(v))
            numbers.push_back(v);
        else if (!numbers.empty())
            break;
    }
    return numbers;
}

double DescribedNumber(const std::string& descr, const char* section, const char* key, size_t index,
                       double def) {
    auto numbers = DescribedNumbers(descr, section, key);
    return index < numbers.size() ? numbers[index] : def;
}

} // namespace tw
