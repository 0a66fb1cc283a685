#pragma once

namespace tw {

class MainFrame;

// Print, Print Preview and Print Setup of every composer. One printer for the run keeps what
// Print Setup and the print dialog chose, and all three print the view's page layout.
void InstallPrintCommands(MainFrame& frame);

} // namespace tw
