#pragma once

class QWidget;

namespace tw {

class WeditVw;

// The overview of the whole wave with a frame over the zoomed range, a hidden child of the
// view; dragging the frame pans the view.
QWidget* NewWaveMapWindow(WeditVw& view);

} // namespace tw
