#include "ui/graphics/CLogo.h"

#include "ui/forms/PictureBox.h"

#include <QColor>
#include <QFont>

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

} // namespace
