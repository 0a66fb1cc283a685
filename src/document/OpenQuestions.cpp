#include "document/OpenQuestions.h"

#include "document/FormatRegistry.h"
#include "document/MatFormat.h"
#include "document/WeDoc.h"

namespace tw {

namespace {

bool answerChannel(const LaunchState& session, PointLayout layout, OpenRequest& request,
                   const ChannelAsker& asker) {
    const FileFormat* format = FindFileFormat(layout, request.code);
    if (!format || format->reading.open != OpenRole::Native)
        return true;
    const std::optional<int> channels = AudioChannelsOfFile(request.path);
    if (!channels || *channels < 2)
        return true;
    const std::optional<int> channel = AskChannel(session, *channels, asker);
    if (!channel)
        return false;
    request.audioChannel = *channel;
    return true;
}

bool answerVariable(PointLayout layout, OpenRequest& request, const OpenQuestions& questions) {
    if (layout != PointLayout::Int16 || request.code != kMatCode)
        return true;
    const std::vector<std::string> names = MatVariablesOfFile(request.path);
    if (names.size() < 2)
        return true;
    const std::optional<std::string> name =
        questions.variable ? questions.variable(names) : std::nullopt;
    if (!name)
        return false;
    request.matVariable = *name;
    return true;
}

} // namespace

bool AnswerOpenQuestions(const LaunchState& session, PointLayout layout, OpenRequest& request,
                         const OpenQuestions& questions) {
    if (AsksDimension(layout, request.code))
        request.dimension = AskDimension(session, questions.dimension);
    return answerChannel(session, layout, request, questions.channel) &&
           answerVariable(layout, request, questions);
}

} // namespace tw
