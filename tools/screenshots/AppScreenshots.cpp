// Saves pictures of the program's windows for the documentation; scripts/screenshots runs it under a
// virtual X display. Skipped in the ordinary test run.
#include "core/settings/IniProfileStore.h"
#include "ui/app/ToolStrip.h"
#include "ui/app/frmAbout.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"
#include "ui/settings/frmConfig.h"

#include "support/FakeDriveService.h"
#include "support/ScriptedModal.h"
#include "support/TempDir.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <chrono>
#include <cstdlib>

namespace {

class AppScreenshots : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        const char* dir = std::getenv("TESSALINE_SCREENSHOT_DIR");
        if (dir == nullptr) {
            GTEST_SKIP() << "run by scripts/screenshots";
        }
        out = QString::fromLocal8Bit(dir);
        using namespace std::chrono;
        clock->at = sys_days{year{2026} / March / 14} + hours{9} + minutes{47};
        services.profile = std::make_shared<IniProfileStore>(home / "Tesslin1.ini");
        auto drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/fd0", DriveRemovable).addDrive("/dev/sdb", DriveRemovable);
        services.drives = drives;
    }

    bool save(QWidget& window, const char* name) {
        QApplication::processEvents();
        return window.grab().save(out + "/" + name, "PNG");
    }

    TempDir home;
    QString out;
};

TEST_F(AppScreenshots, SavesTheSplashMainWindowDialogAndAboutBox) {
    frmSplash splash(services, [] {});
    splash.Form_Load();
    splash.Timer1.stop();
    splash.show();
    EXPECT_TRUE(save(splash, "splash.png"));

    bool configSaved = false;
    bool aboutSaved = false;
    services.modal = std::make_shared<ScriptedModal>([&](QDialog& dialog) {
        if (auto* config = qobject_cast<frmConfig*>(&dialog)) {
            config->txtName->setText("Anna Example");
            config->txtCompany->setText("Example Widgets");
            config->txtAddress->setText("12 Harbour Road");
            config->txtCity->setText("Dunmore 4410");
            config->txtPhone->setText("555 0199");
            config->txtDiskID->setText("41");
            configSaved = save(dialog, "configuration.png");
            config->cmdSave->click();
        } else {
            aboutSaved = save(dialog, "about.png");
            dialog.accept();
        }
    });
    frmMain window(services);
    window.Form_Load(); // a first run: the dialog comes up and is saved
    window.show();
    EXPECT_TRUE(save(window, "main-window.png"));
    window.pTools->pTools_MouseMove(3300, 300); // over Examine Disk
    EXPECT_TRUE(save(window, "main-window-lit.png"));
    window.mnuAbout_Click();
    EXPECT_TRUE(configSaved);
    EXPECT_TRUE(aboutSaved);
}

} // namespace
