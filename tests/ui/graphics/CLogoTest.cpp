#include "ui/graphics/CLogo.h"

#include "ui/forms/PictureBox.h"
#include "ui/forms/Screen.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

class CountingPictureBox : public PictureBox {
public:
    void Refresh() override {
        ++refreshes;
        PictureBox::Refresh();
    }
    int refreshes = 0;
};

// The label's strip, under a palette whose button face is (192, 192, 192). The bands as drawn in their
// colours, and where and how the caption stands, are pinned by the label window's golden picture; the
// plan's numbers by its own tests.
class LogoStrip : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QApplication::palette();
        QPalette pinned = saved;
        pinned.setColor(QPalette::Button, QColor(192, 192, 192));
        QApplication::setPalette(pinned);
        if (TwipsPerPixelX() != 15.0 || TwipsPerPixelY() != 15.0) {
            GTEST_SKIP() << "needs a 96 dpi screen";
        }
        box->setWidthTwips(375);
        box->setHeightTwips(5400);
        box->setFont(QFont("Arial", 14, QFont::Bold, true));
        box->setForeColor(0x000000FF);
        box->image().fill(Qt::magenta);
    }
    void TearDown() override { QApplication::setPalette(saved); }

    // Whether any pixel is clearly red, which only the caption paints on the grey strip.
    bool captionDrawn() const {
        const QImage& img = box->image();
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > c.green() + 60 && c.red() > c.blue() + 60) {
                    return true;
                }
            }
        }
        return false;
    }

    QPalette saved;
    std::unique_ptr<CountingPictureBox> box = std::make_unique<CountingPictureBox>();
};

// Drawing never fails: a font too large to make skips only the caption; one too large for the font record
// stops after the bands, as does a strip of no height after its first band, outside the image; neither
// refreshes the box.
TEST_F(LogoStrip, FailuresAreSwallowedAndKeepWhatWasPainted) {
    const std::tuple<double, int, QPoint, QColor, int> cases[] = {
        {14, 360, QPoint(3, 0), QColor(191, 191, 191), 1},
        {20000, 360, QPoint(3, 0), QColor(191, 191, 191), 1},
        {40000, 360, QPoint(3, 359), QColor(0, 0, 0), 0},
        {14, 0, QPoint(3, 0), QColor(Qt::magenta), 0},
    };
    for (const auto& [points, height, at, color, refreshes] : cases) {
        SCOPED_TRACE(points);
        box->refreshes = 0;
        QFont font = box->font();
        font.setPointSizeF(points);
        box->setFont(font);
        box->resize(25, height);
        box->image().fill(Qt::magenta);
        CLogo logo;
        logo.setDrawingObject(box.get());
        logo.setCaption("Vantrell");
        logo.Draw();
        EXPECT_EQ(captionDrawn(), points == 14 && height > 0);
        EXPECT_EQ(box->image().pixelColor(at), color);
        EXPECT_EQ(box->refreshes, refreshes);
    }
    // Without a box, or with one that is gone, there is nothing to draw on.
    CLogo logo;
    logo.Draw();
    logo.setDrawingObject(box.get());
    box.reset();
    logo.Draw();
}

} // namespace
