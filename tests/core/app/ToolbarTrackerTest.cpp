#include "core/app/ToolbarTracker.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

constexpr double Width = 8655;
constexpr double Height = 675;

TEST(ToolbarTracker, HitTestMapsPositionsToButtons) {
    // The gap after a button is its own; halves go to the even neighbour.
    const std::pair<double, int> cases[] = {{499.9, 0}, {500, 1},  {2179.4, 1}, {2179.5, 2}, {3859, 2},
                                            {3860, 3},  {5540, 4}, {7219, 4},   {7220, 5},   {8655, 5}};
    for (const auto& [x, button] : cases) {
        EXPECT_EQ(ToolbarTracker::HitTest(x), button) << x;
    }
}

// One pointer's way over the strip: what each move asks of the window and what a click would run.
TEST(ToolbarTracker, MovesLightTheButtonUnderThePointer) {
    // Where the pointer goes; whether the move takes the mouse, releases it, clears the lit picture; which
    // button it lights, which is hot, what a click would run.
    const std::tuple<double, double, bool, bool, bool, int, int, int> steps[] = {
        {500, 100, true, false, true, 1, 1, 1},        // the first move takes the mouse
        {900, 200, false, false, false, 0, 1, 1},      // staying on the button redraws nothing
        {2180, 200, false, false, true, 2, 2, 2},      // straight on to the next: one change of picture
        {7220, 10, false, false, true, 0, 5, 0},       // beyond the fourth button: nothing lit
        {Width, Height, false, false, false, 0, 5, 0}, // the far edges are still inside
        {499, 10, false, false, true, 0, 0, 0},        // the grip
        {5540, 10, false, false, true, 4, 4, 4},
        {-1, 100, false, true, true, 0, 0, 0}, // out through each edge
        {3000, 100, true, false, true, 2, 2, 2},
        {Width + 1, 100, false, true, true, 0, 0, 0},
        {3000, 100, true, false, true, 2, 2, 2},
        {1000, -0.5, false, true, true, 0, 0, 0},
        {3860, 100, true, false, true, 3, 3, 3},
        {1000, Height + 1, false, true, true, 0, 0, 0},
    };
    ToolbarTracker t;
    for (const auto& [x, y, take, release, clear, light, hot, click] : steps) {
        const auto r = t.MouseMove(x, y, Width, Height);
        EXPECT_EQ(std::tie(r.takeCapture, r.releaseCapture, r.clearLit, r.light, t.HotButton),
                  std::tie(take, release, clear, light, hot))
            << x << ", " << y;
        EXPECT_EQ(t.MouseCaptured, !release);
        EXPECT_EQ(t.ClickCommand(), click);
    }
    // A click's command has run: nothing is lit any more.
    t.MouseMove(3000, 100, Width, Height);
    t.ClickDone();
    EXPECT_EQ(std::tie(t.HotButton, t.MouseCaptured), std::make_tuple(0, true));
    EXPECT_EQ(t.ClickCommand(), 0);
}

} // namespace
