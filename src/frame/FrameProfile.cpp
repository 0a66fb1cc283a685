#include "frame/FrameProfile.h"

namespace tw {

int FrameProfile::instrumentButtons(double channels) const {
    return channels < 2 ? 2 : channels < 3 ? 4 : 6;
}

} // namespace tw
