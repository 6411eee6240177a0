#include "ui/app/InstanceGuard.h"
#include "ui/app/Shell.h"
#include "ui/app/ToolStrip.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"
#include "ui/catalogue/frmCatalogue.h"
#include "core/runtime/ProgramState.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfileAccess.h"
#include "ui/settings/frmConfig.h"

#include "support/FakeDriveService.h"
#include "support/WindowFixture.h"
#include "support/ScriptedModal.h"
#include "support/TempDir.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QPushButton>

#include <memory>
#include <string>
#include <vector>

namespace {

class MainWindowTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        auto drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/sdb", DriveRemovable);
        services.drives = drives;
        modal = std::make_shared<ScriptedModal>([this](QDialog& d) {
            opened.push_back(d.objectName().toStdString());
            if (auto* config = qobject_cast<frmConfig*>(&d)) {
                config->cmdCancel->click();
            } else {
                d.reject();
            }
        });
        services.modal = modal;
    }

    // Loads the window in a run that is already set up, so that no dialog opens first.
    void loadSetUp(frmMain& window) {
        givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=5\r\n");
        window.Form_Load();
    }

    std::shared_ptr<ScriptedModal> modal;
    std::vector<std::string> opened;
};

TEST_F(MainWindowTest, FirstRunOpensTheConfigurationBeforeTheWindowIsSeen) {
    frmMain* shown = nullptr;
    bool visibleWhileConfiguring = true;
    modal = std::make_shared<ScriptedModal>([&](QDialog& d) {
        visibleWhileConfiguring = shown->isVisible();
        opened.push_back(d.objectName().toStdString());
        static_cast<frmConfig&>(d).cmdCancel->click();
    });
    services.modal = modal;
    frmMain window(services);
    shown = &window;

    window.Form_Load();
    EXPECT_TRUE(Program().FirstRun);
    EXPECT_EQ(opened, std::vector<std::string>{"frmConfig"});
    EXPECT_FALSE(visibleWhileConfiguring);
    // The first-run Cancel saved the placeholders, so the profile now has a company...
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "COMPANY"), "Your COMPANY NAME Goes Here !!!");
    // ...but the run stays a first run: a later Cancel still saves.
    window.mnuConfig_Click();
    EXPECT_TRUE(Program().FirstRun);
}

TEST_F(MainWindowTest, CompanyDecidesWhetherThisIsAFirstRun) {
    const struct {
        const char* company; // nullptr: no key at all
        bool firstRun;
    } cases[] = {{nullptr, true}, {"", true}, {"Acme", false}, {"!", false}};
    for (const auto& c : cases) {
        std::filesystem::remove(profileFile);
        if (c.company != nullptr) {
            givenProfile(std::string("[GLOBAL]\r\nCOMPANY=") + c.company + "\r\n");
        }
        opened.clear();
        Program().FirstRun = false;
        frmMain window(services);
        window.Form_Load();
        EXPECT_EQ(Program().FirstRun, c.firstRun) << (c.company ? c.company : "(missing)");
        EXPECT_EQ(opened.size(), c.firstRun ? 1u : 0u);
    }
}

TEST_F(MainWindowTest, MenuBarHoldsTheCommandsInOrderWithoutShortcuts) {
    frmMain window(services);
    loadSetUp(window);
    std::vector<std::string> captions;
    for (QAction* action : window.menuBar()->actions()) {
        captions.push_back(action->text().toStdString());
        EXPECT_TRUE(action->shortcut().isEmpty());
    }
    const std::vector<std::string> expected = {
        "&Configure", "&Examine Disk", "&Print Label", "Ca&talogue", "&Quit", " ", "&Help"};
    EXPECT_EQ(captions, expected);
    ASSERT_EQ(window.mnuHelp->actions().size(), 1);
    EXPECT_EQ(window.mnuHelp->actions()[0]->text(), "&About Marquell ...");
    window.mnuAbout->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{"frmAbout"});
}

TEST_F(MainWindowTest, TheCatalogueOpensModelessOnceAndEscClosesIt) {
    frmMain window(services);
    loadSetUp(window);
    window.show();
    const auto open = [&] { return window.findChildren<frmCatalogue*>(); };
    window.mnuCatalogue->trigger();
    window.mnuCatalogue->trigger();
    ASSERT_EQ(open().size(), 1);
    frmCatalogue* catalogue = open()[0];
    EXPECT_TRUE(catalogue->isVisible());
    EXPECT_FALSE(catalogue->isModal());
    EXPECT_TRUE(opened.empty());

    QTest::keyClick(catalogue, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return open().empty(); }, 5000));
    window.mnuCatalogue->trigger();
    EXPECT_EQ(open().size(), 1);
}

TEST_F(MainWindowTest, QuitEndsAtOnceAndWritesNothing) {
    frmMain window(services);
    loadSetUp(window);
    const std::string before = ReadBytes(profileFile);
    // Called directly: an exception must not unwind through Qt's action dispatch.
    EXPECT_THROW(window.mnuQuit_Click(), ProgramEnded);
    EXPECT_EQ(ReadBytes(profileFile), before);
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(MainWindowTest, ToolbarButtonsRunTheMenuCommandsUnderTheMouse) {
    frmMain window(services);
    loadSetUp(window);
    window.show();
    ToolStrip& strip = *window.pTools;
    const auto at = [](int xTwips) { return QPoint(xTwips / 15, 100 / 15); };
    // Over Configure, then a click: the dialog opens, and the button goes dark once it returns.
    QTest::mouseMove(&strip, at(600));
    EXPECT_EQ(strip.tracker.HotButton, 1);
    EXPECT_FALSE(strip.imRaised->pixmap().isNull());
    QTest::mouseClick(&strip, Qt::LeftButton, {}, at(600));
    EXPECT_EQ(opened, std::vector<std::string>{"frmConfig"});
    EXPECT_EQ(strip.tracker.HotButton, 0);
    EXPECT_TRUE(strip.imRaised->pixmap().isNull());
    // Examine and Print reach the label window, which finds no Zip drive in this profile and says so.
    for (const int x : {3000, 4700}) {
        QTest::mouseMove(&strip, at(x));
        QTest::mouseClick(&strip, Qt::LeftButton, {}, at(x));
    }
    EXPECT_EQ(messages->shown.size(), 2u);
    // On the grip nothing runs.
    QTest::mouseMove(&strip, at(100));
    QTest::mouseClick(&strip, Qt::LeftButton, {}, at(100));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(messages->shown.size(), 2u);
    // Quit ends the program (called directly: an exception must not unwind through Qt's event dispatch).
    strip.pTools_MouseMove(5600, 100);
    EXPECT_THROW(strip.pTools_Click(), ProgramEnded);
}

TEST_F(MainWindowTest, LitPictureFollowsThePointerAndLeavesWithIt) {
    frmMain window(services);
    loadSetUp(window);
    ToolStrip& strip = *window.pTools;
    strip.pTools_MouseMove(500, 100);
    const int button1Left = strip.imRaised->x();
    strip.pTools_MouseMove(2180, 100);
    EXPECT_EQ(strip.tracker.HotButton, 2);
    EXPECT_GT(strip.imRaised->x(), button1Left);
    EXPECT_NEAR(strip.imRaised->x() - button1Left, 1680 / 15, 1);
    strip.pTools_MouseMove(3000, -5);
    EXPECT_EQ(strip.tracker.HotButton, 0);
    EXPECT_FALSE(strip.tracker.MouseCaptured);
    EXPECT_TRUE(strip.imRaised->pixmap().isNull());
}

// Start-up: the single-instance guard, then the splash handing over to this window.
TEST_F(MainWindowTest, ASecondCopyIsToldAndShowsNothing) {
    givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\n");
    const TempDir lockDir;
    const QString lockPath = QString::fromStdString((lockDir / "Tesslin1.lock").string());
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

TEST_F(MainWindowTest, TheSplashComesUpAndHandsOverToTheMainWindow) {
    givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\n");
    const TempDir lockDir;
    const InstanceGuard guard(QString::fromStdString((lockDir / "Tesslin1.lock").string()));
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
