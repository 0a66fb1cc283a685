#pragma once
#include "view/PlotMapping.h"

#include <string>

namespace tw {

// An anchor label: its value (a point index) and the range a typed value must lie in.
struct AnchorLabel {
    long value = 0;
    long min = 0, max = 0;
    bool Accepts(long v) const { return v >= min && v <= max; }
};

// The two anchors that mark the area the marked-area tools and Zoom in act on.
struct Anchors {
    AnchorLabel left, right;

    long L() const { return left.value; }
    long R() const { return right.value; }

    // After each change of the visible range: left in [xmin, xmax - 1], right in [xmin + 1, xmax].
    void SetRanges(double xmin, double xmax);
    // Setting one anchor moves the other label's bound so the two never cross.
    void SetLeft(long v);
    void SetRight(long v);
    // Both anchors on the visible range's ends.
    void Unmark(double xmin, double xmax);
};

// Typed anchor values: all decimal digits (empty counts as 0) within the label's range.
bool ParseAnchorEntry(const std::string& text, const AnchorLabel& label, long& value);
std::string RefusedEntryText(const std::string& text); // "Bad:" + text, shown for 2500 ms
inline constexpr int kRefusedEntryMs = 2500;

// Zoom in shows the marked area; Zoom out the whole wave, keeping the anchors where they were.
bool CanZoomIn(const Anchors& anchors, const PlotMapping& mapping);
bool CanZoomOut(const PlotMapping& mapping, double wavelength);
void ZoomIn(Anchors& anchors, PlotMapping& mapping);
void ZoomOut(Anchors& anchors, PlotMapping& mapping, double wavelength);
// The visible range the map window's frame picks: L = index(frame left) (0 when negative),
// R = index(max(frame left + 3, frame right)).
void ZoomTo(Anchors& anchors, PlotMapping& mapping, long first, long last);

// One drag of an anchor handle, in the view's pixels.
struct AnchorDrag {
    int side = 0;                    // 0 left, 1 right
    int offset = 0;                  // anchor pixel - cursor x
    int minX = 0, maxX = 0;          // cursor limits
    long minIndex = 0, maxIndex = 0; // the anchor values at those limits
    int startRow = 0;
    int lastX = 0;
    int otherX = 0; // the other anchor's pixel: the handle keeps 15 pixels away from it

    // handleEdge: the pixel the handle marks (left handle's right edge, right handle's left).
    static AnchorDrag Start(int side, int handleEdge, int cursorX, int cursorY,
                            const PlotMapping& mapping, int otherX);

    struct Step {
        bool moved = false;
        bool warpCursor = false; // put the cursor back to (cursorX, startRow)
        int cursorX = 0;
        int anchorX = 0;
        long value = 0;
    };
    // A mouse move; the new anchor value lies in the dragged label's range.
    Step Move(int x, int y, const PlotMapping& mapping, const AnchorLabel& label);
    int AnchorPixel() const { return lastX + offset; }
};

} // namespace tw
