#pragma once

namespace tw {

class MainFrame;

// The status bar's readout of the point under the mouse while it is over the plot.
void InstallReadout(MainFrame& frame);

} // namespace tw
