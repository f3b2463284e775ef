#include "shell/WindowPlacement.h"

#include <algorithm>

namespace zephyra::shell {

namespace {

constexpr int kGap = 8;     // between the two windows
constexpr int kMargin = 8;  // from the area's edge, when there is room for it

}  // namespace

WindowPlacement placeSideBySide(const ScreenRect& available, int mainWidth, int mainHeight,
                                int simulatorWidth, int simulatorHeight) {
    WindowPlacement p;
    p.main = {0, 0, std::min(mainWidth, available.width), std::min(mainHeight, available.height)};
    p.simulator = {0, 0, std::min(simulatorWidth, available.width),
                   std::min(simulatorHeight, available.height)};

    const int pairWidth = p.main.width + kGap + p.simulator.width;
    if (pairWidth <= available.width) {
        const int slack = available.width - pairWidth;
        const int left = available.x + std::min(kMargin, slack / 2);
        const int tallest = std::max(p.main.height, p.simulator.height);
        const int top = available.y + std::min(kMargin, (available.height - tallest) / 2);
        p.main.x = left;
        p.main.y = top;
        p.simulator.x = left + p.main.width + kGap;
        p.simulator.y = top;
        return p;
    }
    p.main.x = available.x;
    p.main.y = available.y;
    p.simulator.x = available.right() - p.simulator.width;
    p.simulator.y = available.bottom() - p.simulator.height;
    return p;
}

ScreenRect placeCentred(const ScreenRect& available, int width, int height) {
    ScreenRect r;
    r.width = std::min(width, available.width);
    r.height = std::min(height, available.height);
    r.x = available.x + (available.width - r.width) / 2;
    r.y = available.y + (available.height - r.height) / 2;
    return r;
}

ScreenRect placeOver(const ScreenRect& available, const ScreenRect& anchor, int width, int height) {
    ScreenRect r;
    r.width = std::min(width, available.width);
    r.height = std::min(height, available.height);
    r.x = anchor.x + (anchor.width - r.width) / 2;
    r.y = anchor.y + (anchor.height - r.height) / 2;
    r.x = std::clamp(r.x, available.x, available.right() - r.width);
    r.y = std::clamp(r.y, available.y, available.bottom() - r.height);
    return r;
}

}  // namespace zephyra::shell
