#include "frame/ComposerFactory.h"

#include "fm/FmComposer.h"
#include "pulse/PulseComposer.h"

namespace tw {

ComposerChoice MakeComposer(const LaunchState& state) {
    ComposerChoice choice;
    switch (state.composerId) {
    case kFmComposer:
        choice.composer = std::make_unique<FmComposer>();
        choice.profile = std::make_unique<FmFrameProfile>();
        break;
    case kPulseComposer: {
        auto pulse = std::make_unique<PulseComposer>();
        choice.pulse = pulse.get();
        choice.composer = std::move(pulse);
        choice.profile = std::make_unique<PulseFrameProfile>();
        break;
    }
    default:
        choice.composer = std::make_unique<Composer>();
        choice.profile = std::make_unique<FrameProfile>();
        break;
    }
    return choice;
}

} // namespace tw
