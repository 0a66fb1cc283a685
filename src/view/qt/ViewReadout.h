#pragma once
#include <QPoint>

#include <string>

namespace tw {

class WeditVw;

// The status bar's readout for the mouse at `pos` in the view: the point and its value under
// the cursor and the marked range (standard and FM composers), or the time and the train's
// level there (pulse-train composer). Empty outside the plot.
std::string ViewReadout(const WeditVw& view, QPoint pos);

} // namespace tw
