#include "ui/graphics/CLogo.h"

#include "ui/forms/PictureBox.h"
#include "ui/forms/Screen.h"
#include "ui/forms/SystemColors.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CountingPictureBox : public PictureBox {
public:
    void Refresh() override {
        ++refreshes;
        PictureBox::Refresh();
    }
    int refreshes = 0;
};

// The label's strip, under a palette whose button face is (192, 192, 192).
class LogoStrip : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QApplication::palette();
        QPalette pinned = saved;
        pinned.setColor(QPalette::Button, QColor(192, 192, 192));
        pinned.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
        QApplication::setPalette(pinned);
        if (TwipsPerPixelX() != 15.0 || TwipsPerPixelY() != 15.0) {
            GTEST_SKIP() << "needs a 96 dpi screen";
        }
        box = std::make_unique<CountingPictureBox>();
        box->setWidthTwips(375);
        box->setHeightTwips(5400);
        QFont font("Arial");
        font.setPointSizeF(14.25);
        font.setBold(true);
        font.setItalic(true);
        box->setFont(font);
        box->image().fill(Qt::magenta);
    }
    void TearDown() override { QApplication::setPalette(saved); }

    // Pixels clearly red, which only the caption paints on the grey strip.
    std::vector<QPoint> CaptionPixels() const {
        std::vector<QPoint> points;
        const QImage& img = box->image();
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > c.green() + 60 && c.red() > c.blue() + 60) {
                    points.emplace_back(x, y);
                }
            }
        }
        return points;
    }

    QPalette saved;
    std::unique_ptr<CountingPictureBox> box;
};

// The bands as drawn, and where and how the caption stands, are pinned by the label window's golden
// picture; the plan's numbers by its own tests.
TEST_F(LogoStrip, AFontThatCannotBeMadeSkipsOnlyTheCaption) {
    box->setForeColor(0x000000FF);
    QFont huge = box->font();
    huge.setPointSizeF(20000);
    box->setFont(huge);
    CLogo logo;
    logo.setDrawingObject(box.get());
    logo.setCaption("Vantrell");
    logo.Draw();
    EXPECT_TRUE(CaptionPixels().empty());
    EXPECT_EQ(box->image().pixelColor(3, 0), QColor(191, 191, 191));
    EXPECT_EQ(box->refreshes, 1);
}

TEST_F(LogoStrip, FailuresAreSwallowedWithoutCaptionOrRefresh) {
    box->setForeColor(0x000000FF);
    CLogo logo;
    logo.setCaption("Vantrell");
    logo.setDrawingObject(box.get());

    // A size beyond 16-bit points fails inside the font record: bands stay, no caption, no refresh.
    QFont tooLarge = box->font();
    tooLarge.setPointSizeF(40000);
    box->setFont(tooLarge);
    logo.Draw();
    EXPECT_EQ(box->refreshes, 0);
    EXPECT_EQ(box->image().pixelColor(3, 359), QColor(0, 0, 0));
    EXPECT_TRUE(CaptionPixels().empty());

    // A zero-height strip faults after its first band, which lies outside the image.
    box->resize(25, 0);
    box->image().fill(Qt::magenta);
    logo.Draw();
    EXPECT_EQ(box->refreshes, 0);
    EXPECT_EQ(box->image().pixelColor(3, 0), QColor(Qt::magenta));

    // A box that is gone is no target.
    box.reset();
    logo.Draw();
}

TEST_F(LogoStrip, ColorSettersRedrawOnlyOnChangeAndOnlyWithATarget) {
    CLogo logo;
    logo.Draw(); // no target: no failure, no effect
    logo.setStartColor(0x00FF0000);
    logo.setStartColor(0);

    logo.setDrawingObject(box.get());
    EXPECT_EQ(box->refreshes, 0);
    logo.setStartColor(0);
    logo.setEndColor(SystemColor::ButtonFace);
    logo.setCaption("No redraw");
    EXPECT_EQ(box->refreshes, 0);
    EXPECT_EQ(box->image().pixelColor(0, 0), QColor(Qt::magenta));

    logo.setStartColor(SystemColor::HighlightText);
    EXPECT_EQ(box->refreshes, 1);
    EXPECT_EQ(box->image().pixelColor(0, 359), QColor(255, 255, 255));
    logo.setStartColor(SystemColor::HighlightText);
    EXPECT_EQ(box->refreshes, 1);

    logo.setEndColor(0x00204080);
    EXPECT_EQ(box->refreshes, 2);
}

TEST_F(LogoStrip, ColorsAreTranslatedWhenSetNotWhenDrawn) {
    CLogo logo; // button face taken as (192, 192, 192) now
    logo.setDrawingObject(box.get());
    QPalette later = QApplication::palette();
    later.setColor(QPalette::Button, QColor(10, 20, 30));
    QApplication::setPalette(later);
    logo.Draw();
    EXPECT_EQ(box->image().pixelColor(0, 0), QColor(191, 191, 191));
    // A system color that does not translate gives black.
    logo.setEndColor(0x800000FF);
    EXPECT_EQ(box->image().pixelColor(0, 0), QColor(0, 0, 0));
}

} // namespace
