#include "ui/forms/PictureBox.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(PictureBox, ResizingKeepsWhatWasDrawn) {
    PictureBox box;
    QPalette palette = box.palette();
    palette.setColor(box.backgroundRole(), QColor(10, 20, 30));
    box.setPalette(palette);
    box.resize(20, 10);
    box.image().fill(Qt::red);

    box.resize(30, 40);
    ASSERT_EQ(box.image().size(), QSize(30, 40));
    EXPECT_EQ(box.image().pixelColor(19, 9), QColor(Qt::red));
    EXPECT_EQ(box.image().pixelColor(20, 9), QColor(10, 20, 30));
    EXPECT_EQ(box.image().pixelColor(0, 39), QColor(10, 20, 30));
}

// Printing draws a box at the printer's resolution: its pixels stay sharp squares, not a blur.
TEST(PictureBox, RenderingReproducesTheImageAtTheTargetResolution) {
    PictureBox box;
    box.resize(10, 20);
    box.image().fill(Qt::blue);
    QPainter(&box.image()).fillRect(0, 10, 10, 10, Qt::green);
    QImage page(30, 60, QImage::Format_RGB32);
    {
        QPainter painter(&page);
        painter.scale(3, 3);
        box.render(&painter);
    }
    EXPECT_EQ(page.pixelColor(15, 28), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(15, 31), QColor(Qt::green));
    EXPECT_EQ(page.pixelColor(29, 59), QColor(Qt::green));
}

} // namespace
