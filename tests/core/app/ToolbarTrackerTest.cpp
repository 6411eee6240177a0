#include "core/app/ToolbarTracker.h"

#include <gtest/gtest.h>

namespace {

constexpr double StripWidth = 8655;
constexpr double StripHeight = 675;

TEST(ToolbarHitTest, MapsPositionsToButtons) {
    const struct {
        double x;
        int button;
    } cases[] = {
        {0, 0},      {499, 0},  {499.9, 0},  {500, 1},   {2149, 1}, {2179, 1}, // the gap is button 1's
        {2179.5, 2}, {2180, 2}, {3859, 2},   {3860, 3},  {5540, 4}, {7219, 4},
        {7220, 5},   {8655, 5}, {2179.4, 1}, {500.5, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToolbarTracker::HitTest(c.x), c.button) << c.x;
    }
}

TEST(ToolbarTracker, FirstMoveTakesTheMouseAndLightsTheButton) {
    ToolbarTracker t;
    auto r = t.MouseMove(500, 100, StripWidth, StripHeight);
    EXPECT_TRUE(r.takeCapture);
    EXPECT_TRUE(r.clearLit);
    EXPECT_EQ(r.light, 1);
    EXPECT_EQ(t.HotButton, 1);
    EXPECT_TRUE(t.MouseCaptured);

    // Staying on the button redraws nothing.
    r = t.MouseMove(900, 200, StripWidth, StripHeight);
    EXPECT_FALSE(r.takeCapture);
    EXPECT_FALSE(r.clearLit);
    EXPECT_EQ(r.light, 0);

    // Straight on to button 2: one change of picture.
    r = t.MouseMove(2180, 200, StripWidth, StripHeight);
    EXPECT_TRUE(r.clearLit);
    EXPECT_EQ(r.light, 2);
    EXPECT_EQ(t.HotButton, 2);
}

TEST(ToolbarTracker, GripAndFarEndLightNothing) {
    ToolbarTracker t;
    auto r = t.MouseMove(499, 10, StripWidth, StripHeight);
    EXPECT_EQ(r.light, 0);
    EXPECT_EQ(t.HotButton, 0);
    r = t.MouseMove(7220, 10, StripWidth, StripHeight);
    EXPECT_TRUE(r.clearLit);
    EXPECT_EQ(r.light, 0);
    EXPECT_EQ(t.HotButton, 5);
    EXPECT_EQ(t.ClickCommand(), 0);
    t.ClickDone();
    EXPECT_EQ(t.HotButton, 0);
}

TEST(ToolbarTracker, LeavingThroughAnyEdgeClearsAndReleases) {
    const struct {
        double x, y;
    } outside[] = {{-1, 100}, {StripWidth + 1, 100}, {1000, -0.5}, {1000, StripHeight + 1}};
    for (const auto& p : outside) {
        ToolbarTracker t;
        t.MouseMove(3000, 100, StripWidth, StripHeight);
        ASSERT_EQ(t.HotButton, 2);
        const auto r = t.MouseMove(p.x, p.y, StripWidth, StripHeight);
        EXPECT_TRUE(r.clearLit);
        EXPECT_TRUE(r.releaseCapture);
        EXPECT_EQ(t.HotButton, 0);
        EXPECT_FALSE(t.MouseCaptured);
    }
    // The far edges themselves are still inside.
    ToolbarTracker t;
    t.MouseMove(StripWidth, StripHeight, StripWidth, StripHeight);
    EXPECT_EQ(t.HotButton, 5);
    EXPECT_TRUE(t.MouseCaptured);
}

TEST(ToolbarTracker, ClickRunsTheLitButtonsCommand) {
    for (int b = 1; b <= 4; ++b) {
        ToolbarTracker t;
        t.MouseMove(ToolbarTracker::ButtonLeft(b) + 10, 100, StripWidth, StripHeight);
        EXPECT_EQ(t.ClickCommand(), b);
        t.ClickDone();
        EXPECT_EQ(t.HotButton, 0);
        EXPECT_EQ(t.ClickCommand(), 0);
    }
}

} // namespace
