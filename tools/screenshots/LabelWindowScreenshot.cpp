// Saves a picture of the label window for the documentation; scripts/screenshots runs it under a virtual
// X display. Skipped in the ordinary test run.
#include "support/LabelFixture.h"

#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QApplication>
#include <QPixmap>

#include <chrono>
#include <cstdlib>

namespace {

class LabelWindowScreenshot : public LabelFixture {};

TEST_F(LabelWindowScreenshot, SavesThePictureOfTheLabelWindow) {
    const char* target = std::getenv("TESSALINE_SCREENSHOT");
    const char* disk = std::getenv("TESSALINE_SCREENSHOT_DISK");
    if (target == nullptr || disk == nullptr) {
        GTEST_SKIP() << "run by scripts/screenshots";
    }
    using namespace std::chrono;
    clock->at = sys_days{year{2026} / March / 14} + hours{9} + minutes{47};
    drives->setMountPoint(ZipRoot, disk);
    bool saved = false;
    onShown = [&](QDialog& dialog) {
        QApplication::processEvents();
        saved = dialog.grab().save(QString::fromLocal8Bit(target), "PNG");
    };
    ShowLabelWindow(services, nullptr);
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_TRUE(saved) << target;
}

} // namespace
