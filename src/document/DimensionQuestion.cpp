#include "document/DimensionQuestion.h"

#include "app/ProfileStore.h"

namespace tw {

namespace {
constexpr const char* kSection = "StartUp";
}

DimensionChoice StoredDimensionChoice(const LaunchState& session) {
    const std::string& ini = session.generalIni;
    DimensionChoice choice;
    const double is2dim = ProfileNumberIn(session, ini, "Is2dim", 0, kSection, kAbsent);
    choice.twoDimensional = IsAbsent(is2dim) || is2dim == 1 ? 1 : 0;
    const double always = ProfileNumberIn(session, ini, "askDimDlg", 0, kSection, 0);
    choice.always = !IsAbsent(always) && always != 0;
    const double fullScale = ProfileNumberIn(session, ini, "FullScale", 0, kSection, 0);
    choice.fullScale = !IsAbsent(fullScale) && fullScale != 0;
    return choice;
}

int AskDimension(const LaunchState& session, const DimensionAsker& asker) {
    DimensionChoice choice = StoredDimensionChoice(session);
    if (!choice.always) {
        std::optional<DimensionChoice> answer = asker ? asker(choice) : std::nullopt;
        if (!answer)
            return 0;
        choice = *answer;
    }
    WriteGeneralSetting(session, "Is2dim", choice.twoDimensional ? "1" : "0", kSection);
    WriteGeneralSetting(session, "askDimDlg", choice.always ? "1" : "0", kSection);
    WriteGeneralSetting(session, "FullScale", choice.fullScale ? "1" : "0", kSection);
    return choice.twoDimensional;
}

} // namespace tw
