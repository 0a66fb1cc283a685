#pragma once

namespace tw {

class MainFrame;
class WeDoc;

// The file, download, generator, equation and FM commands of the standard and FM composers.
void InstallDocumentCommands(MainFrame& frame, WeDoc& doc);

} // namespace tw
