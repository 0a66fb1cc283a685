#pragma once
#include <QString>
#include <string>

class QTextBrowser;
class QWidget;

namespace tw {

// The folder of the project's documentation: the installed one beside the program
// (<prefix>/share/doc/tidewright), else the source tree's docs/ when run from a build folder.
// Empty when neither holds the user guide.
QString DocumentationFolder();

// Help > User Guide: shows the user guide rendered from its Markdown in a window of its own
// (one per parent), or tells the user which file was looked for where. Returns the window.
QTextBrowser* OpenUserGuide(const std::string& appName, QWidget* parent);

} // namespace tw
