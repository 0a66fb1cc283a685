#include "frame/ComposerFactory.h"

#include "app/Prompter.h"
#include "fm/FmComposer.h"
#include "pulse/PulseComposer.h"

namespace tw {

ComposerChoice MakeComposer(const LaunchState& state) {
    ComposerChoice choice;
    switch (state.composerId) {
    case kFmComposer:
        choice.composer = std::make_unique<FmComposer>(state);
        choice.profile = std::make_unique<FmFrameProfile>(state.fpSegMode);
        break;
    case kPulseComposer: {
        auto pulse = std::make_unique<PulseComposer>(state, prompter());
        choice.pulse = pulse.get();
        choice.composer = std::move(pulse);
        choice.profile = std::make_unique<PulseFrameProfile>();
        break;
    }
    default:
        choice.composer = std::make_unique<Composer>(state);
        choice.profile = std::make_unique<FrameProfile>();
        break;
    }
    return choice;
}

} // namespace tw
