#include "app/FileReport.h"

namespace tw {

void ReportFileFailure(Prompter& prompts, const std::string& caption, const FileResult& result) {
    if (!result && !result.cancelled())
        prompts.ask(caption, result.message(), Buttons::Ok, Icon::Exclamation);
}

} // namespace tw
