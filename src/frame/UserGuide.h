#pragma once
#include <QString>

namespace tw {

// The folder of the project's documentation: the installed one beside the program
// (<prefix>/share/doc/tidewright), else the source tree's docs/ when run from a build folder.
// Empty when neither holds the user guide.
QString DocumentationFolder();

// Help > User Guide: shows docs/user-guide.md with the desktop's viewer, or tells the user
// where it was looked for.
void OpenUserGuide();

} // namespace tw
