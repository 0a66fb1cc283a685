#pragma once
#include "app/LaunchState.h"
#include "document/ChannelQuestion.h"
#include "document/DimensionQuestion.h"
#include "document/WaveFormats.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tw {

struct OpenRequest;

// Who answers Open's questions: the GUI's dialogs, or a test's script.
struct OpenQuestions {
    DimensionAsker dimension;
    ChannelAsker channel;
    // The variable to take from a MATLAB file of several; nullopt when cancelled.
    std::function<std::optional<std::string>(const std::vector<std::string>& names)> variable;
};

// Asks what the request's file and format call for, in this order, and puts the answers into the
// request: the dimension of a column file, the channel of a multi-channel audio file, the variable
// of a MATLAB file of several. False when the user cancelled the channel or the variable: nothing
// is to be opened.
bool AnswerOpenQuestions(const LaunchState& session, PointLayout layout, OpenRequest& request,
                         const OpenQuestions& questions);

} // namespace tw
