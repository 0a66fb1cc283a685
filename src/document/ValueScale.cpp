#include "document/ValueScale.h"

#include <cmath>

namespace tw {

double ValueScale::defaultLevel(double lower, double upper) const {
    return centredCodes() ? 0 : std::trunc((lower + upper) / 2);
}

double ValueScale::equationFactor(double lower, double upper) const {
    const double span = upper - lower;
    if (span == 0)
        return 1;
    switch (unit_) {
    case Unit::Code:
        return std::trunc(span) / span;
    case Unit::Hertz:
        return 1;
    case Unit::Scale:
        break;
    }
    return kFullScale / span;
}

} // namespace tw
