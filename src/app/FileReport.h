#pragma once
#include "app/FileUtil.h"
#include "app/Prompter.h"

namespace tw {

// Shows a failed file operation to the user through the prompter the caller was handed: its path
// and the system's reason, under `caption` (the application's name). Nothing for a success.
void ReportFileFailure(Prompter& prompts, const std::string& caption, const FileResult& result);

} // namespace tw
