#include "app/FileReport.h"

#include "app/LaunchState.h"

namespace tw {

void ReportFileFailure(Prompter& prompts, const FileResult& result) {
    if (!result && !result.cancelled())
        prompts.ask(launch().appName, result.message(), Buttons::Ok, Icon::Exclamation);
}

void ReportFileFailure(const FileResult& result) {
    ReportFileFailure(prompter(), result);
}

} // namespace tw
