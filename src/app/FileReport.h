#pragma once
#include "app/FileUtil.h"
#include "app/Prompter.h"

namespace tw {

// Shows a failed file operation to the user: its path and the system's reason, captioned with the
// application's name. Does nothing for a success.
void ReportFileFailure(const FileResult& result);
// The same, through the prompter the caller was handed.
void ReportFileFailure(Prompter& prompts, const FileResult& result);

} // namespace tw
