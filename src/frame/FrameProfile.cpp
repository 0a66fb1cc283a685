#include "frame/FrameProfile.h"

#include "app/LaunchState.h"

namespace tw {

int FrameProfile::instrumentButtons(double channels) const {
    return channels < 2 ? 2 : channels < 3 ? 4 : 6;
}

int FmFrameProfile::parameterTemplate() const {
    return launch().fpSegMode ? 1343 : 1341;
}

} // namespace tw
