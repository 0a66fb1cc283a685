#pragma once
#include "app/LaunchState.h"
#include "document/Composer.h"
#include "frame/FrameProfile.h"

#include <memory>

namespace tw {

class PulseComposer;

// The run's composer and its frame profile, built once from the launch state when the main
// frame is created: besides start-up, the one place that tells the composers apart by their id.
// `pulse` is the same object as `composer` when it is the pulse-train composer, whose windows
// use more of it than the shared interface.
struct ComposerChoice {
    std::unique_ptr<Composer> composer;
    std::unique_ptr<FrameProfile> profile;
    PulseComposer* pulse = nullptr;
};

ComposerChoice MakeComposer(const LaunchState& state);

} // namespace tw
