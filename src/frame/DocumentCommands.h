#pragma once

namespace tw {

class MainFrame;
class WeDoc;
struct DialogChoice;

// The file, download, generator, equation and FM commands of the standard and FM composers.
void InstallDocumentCommands(MainFrame& frame, WeDoc& doc);

// Open of a chosen file and format, with the dimension question where the format has one;
// nothing for an empty path.
void OpenWaveFile(MainFrame& frame, WeDoc& doc, const DialogChoice& choice);

} // namespace tw
