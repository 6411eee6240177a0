#include "ui/graphics/CLogo.h"

#include "ui/forms/PictureBox.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>

#include <gtest/gtest.h>

#include <memory>

namespace {

// How the strip looks is pinned by the label window's golden picture, the plan's numbers by its own tests.
// Drawing never fails: a font too large for the font record stops after the bands, which stay painted;
// without a box, or with one that is gone, there is nothing to draw on.
TEST(CLogo, FailuresAreSwallowedAndKeepWhatWasPainted) {
    auto box = std::make_unique<PictureBox>();
    box->resize(25, 360);
    box->setFont(QFont("Arial", 40000));
    box->image().fill(Qt::magenta);
    CLogo logo;
    logo.Draw();
    logo.setDrawingObject(box.get());
    logo.setCaption("Vantrell");
    logo.Draw();
    EXPECT_EQ(box->image().pixelColor(3, 359), QColor(0, 0, 0));
    box.reset();
    logo.Draw();
}

// On a desktop whose buttons are tinted (Breeze's blue-grey, Adwaita's warm grey) the strip fades from black
// into that tint; the golden pictures use Fusion's neutral grey, where swapped channels would not show.
TEST(CLogo, StripFadesIntoATintedButtonColour) {
    const QPalette saved = QApplication::palette();
    QPalette tinted = saved;
    tinted.setColor(QPalette::Button, QColor(40, 140, 220));
    QApplication::setPalette(tinted);
    PictureBox box;
    box.resize(25, 360);
    CLogo logo;
    logo.setDrawingObject(&box);
    logo.Draw();
    QApplication::setPalette(saved);
    const QColor top = box.image().pixelColor(20, 0);
    EXPECT_NEAR(top.red(), 40, 2);
    EXPECT_NEAR(top.green(), 140, 2);
    EXPECT_NEAR(top.blue(), 220, 2);
    EXPECT_EQ(box.image().pixelColor(20, 359), QColor(0, 0, 0));
}

} // namespace
