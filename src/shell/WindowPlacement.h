#pragma once

namespace zephyra::shell {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool contains(const ScreenRect& r) const {
        return r.x >= x && r.y >= y && r.right() <= right() && r.bottom() <= bottom();
    }
    bool overlaps(const ScreenRect& r) const {
        return r.x < right() && x < r.right() && r.y < bottom() && y < r.bottom();
    }
};

struct WindowPlacement {
    ScreenRect main;       // the main window, frame included
    ScreenRect simulator;  // the simulator's window, frame included
};

// Where the main window and the simulator's window go on the screen's available area (frames
// included, so title bars stay reachable): side by side, the main window on the left, when
// both widths fit; otherwise the main window at the top left and the simulator's window in the
// bottom right corner, overlapping as little as the area allows. A window larger than the area
// is shrunk to it.
WindowPlacement placeSideBySide(const ScreenRect& available, int mainWidth, int mainHeight,
                                int simulatorWidth, int simulatorHeight);

// Where another window goes: centred on the available area (frame included), shrunk to it
// when it is larger, so no part of it lies off the area.
ScreenRect placeCentred(const ScreenRect& available, int width, int height);

// Where a window opened from another (the anchor) goes: centred over the anchor, then moved as
// little as it takes to lie whole on the available area (frames included), shrunk to the area
// when it is larger.
ScreenRect placeOver(const ScreenRect& available, const ScreenRect& anchor, int width, int height);

}  // namespace zephyra::shell
