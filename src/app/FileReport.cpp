#include "app/FileReport.h"

#include "app/LaunchState.h"
#include "app/Prompter.h"

namespace tw {

void ReportFileFailure(const FileResult& result) {
    if (!result && !result.cancelled())
        ask(launch().appName, result.message(), Buttons::Ok, Icon::Exclamation);
}

} // namespace tw
