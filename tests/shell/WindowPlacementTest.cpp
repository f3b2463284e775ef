#include <gtest/gtest.h>

#include <tuple>

#include "shell/WindowPlacement.h"

using namespace zephyra::shell;

// Frames as a window manager draws them: the main window 614 x 444, the simulator's 628 x 592.
TEST(WindowPlacement, BothWindowsStayWholeOnTheAvailableArea) {
    const struct {
        ScreenRect area;
        bool sideBySide;
    } cases[] = {
        {{0, 0, 1280, 800}, true},    // the Xvfb screen of script/run
        {{0, 28, 1920, 1052}, true},  // a panel at the top
        {{0, 0, 1024, 768}, false},   // too narrow: corners, overlapping
        {{0, 0, 600, 400}, false},    // smaller than either window: shrunk
    };
    for (const auto& c : cases) {
        const auto p = placeSideBySide(c.area, 614, 444, 628, 592);
        EXPECT_TRUE(c.area.contains(p.main)) << c.area.width;
        EXPECT_TRUE(c.area.contains(p.simulator)) << c.area.width;
        EXPECT_EQ(!p.main.overlaps(p.simulator), c.sideBySide) << c.area.width;
        if (c.sideBySide) {
            EXPECT_LT(p.main.right(), p.simulator.x);
            EXPECT_EQ(p.main.y, p.simulator.y);
        }
    }
}

// Another window (the map) is centred on the area and shrunk to it when larger.
TEST(WindowPlacement, CentredWindowStaysOnTheArea) {
    const struct {
        ScreenRect area;
        int width, height;
        ScreenRect expected;
    } cases[] = {
        {{0, 0, 1600, 1000}, 1108, 676, {246, 162, 1108, 676}},
        {{100, 0, 800, 600}, 1108, 676, {100, 0, 800, 600}},
    };
    for (const auto& c : cases) {
        const auto r = placeCentred(c.area, c.width, c.height);
        const auto& e = c.expected;
        EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height), std::tie(e.x, e.y, e.width, e.height));
    }
}

// A window opened from another is centred over it, moved onto the area as little as it takes
// and shrunk to the area when larger.
TEST(WindowPlacement, AWindowOpensOverItsAnchorWholeOnTheArea) {
    const ScreenRect screen{0, 0, 1600, 1000};
    const struct {
        const char* where;
        ScreenRect area, anchor;
        int width, height;
        ScreenRect expected;
    } cases[] = {
        {"over the anchor", screen, {400, 200, 600, 400}, 300, 200, {550, 300, 300, 200}},
        // The plan table under a main window low on the screen: lifted to the bottom edge.
        {"low", screen, {8, 600, 614, 444}, 876, 392, {0, 608, 876, 392}},
        {"right", screen, {1300, 100, 400, 300}, 600, 300, {1000, 100, 600, 300}},
        {"a panel at the top", {0, 28, 1600, 972}, {0, 0, 400, 100}, 400, 300, {0, 28, 400, 300}},
        {"larger than the area",
         {100, 0, 800, 600},
         {0, 0, 400, 300},
         1108,
         676,
         {100, 0, 800, 600}},
    };
    for (const auto& c : cases) {
        const auto r = placeOver(c.area, c.anchor, c.width, c.height);
        const auto& e = c.expected;
        EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height), std::tie(e.x, e.y, e.width, e.height))
            << c.where;
    }
}
