#include "ui/label/UsedSpaceBarImage.h"

#include <gtest/gtest.h>

namespace {

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
