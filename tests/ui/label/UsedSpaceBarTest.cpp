#include "core/label/ProgBarWidth.h"
#include "ui/label/UsedSpaceBarImage.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ProgBarWidthTwips, RoundsThePercentHalfToEvenAndScalesToTheFullBar) {
    const struct {
        double percent;
        float twips;
    } cases[] = {{0.0, 0.0f},     {37.5, 1862.0f}, {38.5, 1862.0f}, {100.0, 4900.0f}, {99.869, 4900.0f},
                 {99.4, 4851.0f}, {0.5, 0.0f},     {1.5, 98.0f},    {50.0, 2450.0f}};
    for (const auto& c : cases) {
        EXPECT_EQ(ProgBarWidthTwips(c.percent), c.twips) << c.percent;
    }
}

TEST(ProgBarWidthTwips, FailsOutsideTheSixteenBitRange) {
    for (double bad : {40000.0, -40000.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(ErrorNumberOf([&] { ProgBarWidthTwips(bad); }), RuntimeError::Overflow) << bad;
    }
}

// Its blue and green ends are checked where it is shown and printed.
TEST(UsedSpaceBarImage, IsAMottledPictureThatNeverChanges) {
    const QImage bar = UsedSpaceBarImage();
    EXPECT_EQ(bar.size(), QSize(350, 16));
    EXPECT_EQ(bar.depth(), 24);
    EXPECT_EQ(bar, UsedSpaceBarImage());

    // Mottled: neighbouring pixels of one column differ.
    int differing = 0;
    for (int y = 1; y < 16; ++y) {
        differing += bar.pixel(100, y) != bar.pixel(100, y - 1);
    }
    EXPECT_GT(differing, 8);
}

} // namespace
