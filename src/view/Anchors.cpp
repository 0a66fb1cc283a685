#include "view/Anchors.h"

#include <algorithm>
#include <cstdlib>

namespace tw {

void Anchors::SetRanges(double xmin, double xmax) {
    left.min = static_cast<long>(xmin);
    left.max = static_cast<long>(xmax) - 1;
    right.min = static_cast<long>(xmin) + 1;
    right.max = static_cast<long>(xmax);
}

void Anchors::SetLeft(long v) {
    left.value = v;
    right.min = v + 1;
}

void Anchors::SetRight(long v) {
    right.value = v;
    left.max = v - 1;
}

void Anchors::Unmark(double xmin, double xmax) {
    SetLeft(static_cast<long>(xmin));
    SetRight(static_cast<long>(xmax));
}

bool ParseAnchorEntry(const std::string& text, const AnchorLabel& label, long& value) {
    if (text.size() > 18)
        return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (!label.Accepts(v))
        return false;
    value = v;
    return true;
}

std::string RefusedEntryText(const std::string& text) {
    return "Bad:" + text;
}

bool CanZoomIn(const Anchors& anchors, const PlotMapping& mapping) {
    return anchors.L() != static_cast<long>(mapping.xmin) ||
           anchors.R() != static_cast<long>(mapping.xmax);
}

bool CanZoomOut(const PlotMapping& mapping, double wavelength) {
    return mapping.xmin > 0 || mapping.xmax != wavelength - 1;
}

void ZoomIn(Anchors& anchors, PlotMapping& mapping) {
    mapping.xmin = anchors.L();
    mapping.xmax = anchors.R();
    anchors.SetRanges(mapping.xmin, mapping.xmax);
    anchors.SetLeft(anchors.L());
    anchors.SetRight(anchors.R());
}

void ZoomOut(Anchors& anchors, PlotMapping& mapping, double wavelength) {
    const long keptLeft = anchors.L();
    const long keptRight = anchors.R();
    mapping.xmin = 0;
    mapping.xmax = static_cast<long>(wavelength - 1);
    anchors.SetRanges(mapping.xmin, mapping.xmax);
    anchors.SetLeft(keptLeft);
    anchors.SetRight(keptRight);
}

void ZoomTo(Anchors& anchors, PlotMapping& mapping, long first, long last) {
    first = std::max(first, 0L);
    last = std::max(last, first + 1);
    mapping.xmin = first;
    mapping.xmax = last;
    anchors.SetRanges(first, last);
    anchors.SetLeft(first);
    anchors.SetRight(last);
}

AnchorDrag AnchorDrag::Start(int side, int handleEdge, int cursorX, int cursorY,
                             const PlotMapping& mapping, int otherX) {
    AnchorDrag drag;
    drag.side = side;
    drag.offset = handleEdge - cursorX;
    const double s = side;
    drag.minIndex = static_cast<long>(mapping.xmin + s);
    drag.maxIndex = static_cast<long>(mapping.xmax - 1 + s);
    drag.minX = mapping.XToPixel(drag.minIndex) - drag.offset;
    drag.maxX = mapping.XToPixel(drag.maxIndex) - drag.offset;
    drag.startRow = cursorY;
    drag.lastX = cursorX;
    drag.otherX = otherX;
    return drag;
}

AnchorDrag::Step AnchorDrag::Move(int x, int y, const PlotMapping& mapping,
                                  const AnchorLabel& label) {
    Step step;
    const bool roomLeft = side == 0 ? otherX - (x + offset) > 15 : (x + offset) - otherX > 15;
    if (!roomLeft || x == lastX)
        return step;
    const int clamped = std::clamp(x, minX, std::max(minX, maxX));
    step.moved = true;
    step.warpCursor = clamped != x || std::abs(y - startRow) >= 5;
    step.cursorX = clamped;
    lastX = clamped;
    step.anchorX = AnchorPixel();
    // A limit pixel maps back a hair short of its index, so the limits give their own values.
    long value = static_cast<long>(mapping.PixelToX(step.anchorX));
    if (clamped == minX)
        value = minIndex;
    else if (clamped == maxX)
        value = maxIndex;
    step.value = std::clamp(value, label.min, std::max(label.min, label.max));
    return step;
}

} // namespace tw
