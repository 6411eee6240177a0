#include "ui/app/Shell.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"

#include "support/FakeDriveService.h"
#include "support/ScriptedModal.h"
#include "support/TempDir.h"
#include "support/WindowFixture.h"

#include <QDialog>

namespace {

class ShellTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        auto drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/sdb", DriveRemovable);
        services.drives = drives;
        services.modal = std::make_shared<ScriptedModal>([](QDialog& d) { d.reject(); });
        givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\n");
    }
    TempDir lockDir;
    QString lockPath = QString::fromStdString((lockDir / "Tesslin1.lock").string());
};

TEST_F(ShellTest, ASecondCopyIsToldAndShowsNothing) {
    const InstanceGuard first(lockPath);
    ASSERT_FALSE(first.PrevInstance());
    const InstanceGuard second(lockPath);
    Shell shell(services);
    EXPECT_FALSE(shell.Main(second));
    EXPECT_EQ(shell.splash(), nullptr);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt, "An instance of Tessaline 1.0 is currently active");
    EXPECT_EQ(messages->shown[0].title, "Tesslin1");
}

TEST_F(ShellTest, TheSplashComesUpAndHandsOverToTheMainWindow) {
    const InstanceGuard guard(lockPath);
    Shell shell(services);
    ASSERT_TRUE(shell.Main(guard));
    ASSERT_NE(shell.splash(), nullptr);
    EXPECT_TRUE(shell.splash()->isVisible());
    EXPECT_EQ(shell.mainWindow(), nullptr);
    shell.splash()->Form_KeyPress(); // before the hold begins a key closes it
    ASSERT_NE(shell.mainWindow(), nullptr);
    EXPECT_TRUE(shell.mainWindow()->isVisible());
    EXPECT_EQ(shell.mainWindow()->windowTitle(), "Tessaline 1.0"); // loaded before it is shown
    EXPECT_FALSE(shell.splash()->isVisible());
    EXPECT_TRUE(messages->shown.empty());
}

} // namespace
