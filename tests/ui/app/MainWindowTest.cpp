#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"
#include "core/runtime/ProgramState.h"
#include "ui/app/InstanceGuard.h"
#include "ui/app/Shell.h"
#include "ui/app/ToolStrip.h"
#include "ui/app/frmAbout.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"
#include "ui/catalogue/frmCatalogue.h"
#include "ui/settings/frmConfig.h"

#include "support/ActingAsNobody.h"
#include "support/FakeDriveService.h"
#include "support/ScriptedModal.h"
#include "support/TempDir.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct stat StatOf(const std::filesystem::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info;
}

// The golden pictures pin the window's look, its menu bar and a lit toolbar button included.
class MainWindowTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        auto drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/sdb", DriveRemovable, DiskSpace{512, 1, 10, 20});
        drives->setMountPoint("/dev/sdb", dir.path().string());
        services.drives = drives;
        modal = std::make_shared<ScriptedModal>([this](QDialog& d) {
            opened.push_back(d.objectName().toStdString());
            mouseHeld |= QWidget::mouseGrabber() != nullptr; // a dialog opened under a grab gets no clicks
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                mainVisible |= qobject_cast<frmMain*>(widget) != nullptr && widget->isVisible();
            }
            if (auto* config = qobject_cast<frmConfig*>(&d)) {
                config->cmdCancel->click();
            } else if (qobject_cast<frmAbout*>(&d) != nullptr) {
                QTest::keyClick(&d, Qt::Key_Return); // the About box closes on Enter
                closedOnEnter = d.result() == QDialog::Accepted && !d.isVisible();
            } else {
                d.reject();
            }
        });
        services.modal = modal;
    }

    // Loads the window in a run that is already set up, so that no dialog opens first. There is no
    // printer: Examine shows the label window, Print says that nothing can be printed.
    void loadSetUp(frmMain& window) {
        givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\nZIPDRIVE=/dev/sdb\r\nID_INDEX=5\r\n");
        window.Form_Load();
    }
    Names said() const {
        Names prompts;
        for (const auto& message : messages->shown) {
            prompts.push_back(message.prompt.substr(0, message.prompt.find(',')));
        }
        return prompts;
    }

    std::shared_ptr<ScriptedModal> modal;
    Names opened;
    bool mouseHeld = false;
    bool closedOnEnter = false;
    bool mainVisible = false;
};

TEST_F(MainWindowTest, FirstRunOpensTheConfigurationBeforeTheWindowIsSeen) {
    frmMain window(services);
    window.Form_Load();
    EXPECT_TRUE(Program().FirstRun);
    EXPECT_EQ(opened, Names{"frmConfig"});
    EXPECT_FALSE(mainVisible);
    // The first-run Cancel saved the placeholders (the dialog's test pins them), yet the run stays a first
    // run: a later Cancel still saves.
    window.mnuConfig_Click();
    EXPECT_TRUE(Program().FirstRun);
}

// Settings that are there but cannot be read are no first run: the user is told where they are and why,
// no dialog offers to save placeholders over them, and the file stays as it was. (The store's tests hold
// every way a file cannot be read; they reach this window as one failure.)
TEST_F(MainWindowTest, SettingsThatCannotBeReadAreToldAndNotTakenForAFirstRun) {
    givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=5\r\n");
    std::filesystem::permissions(profileFile, std::filesystem::perms::none);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const struct stat before = StatOf(profileFile);
    frmMain window(services);
    {
        const ActingAsNobody nobody;
        window.Form_Load();
    }
    EXPECT_FALSE(Program().FirstRun);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(messages->shown.size(), 1u);
    const std::string& said = messages->shown[0].prompt;
    EXPECT_NE(said.find(profileFile.string()), std::string::npos) << said;
    EXPECT_NE(said.find(std::strerror(EACCES)), std::string::npos) << said;
    const struct stat after = StatOf(profileFile);
    EXPECT_EQ(std::tuple(after.st_ino, after.st_size, after.st_mtim.tv_nsec),
              std::tuple(before.st_ino, before.st_size, before.st_mtim.tv_nsec));
}

TEST_F(MainWindowTest, MenuCommandsRunTheirWindows) {
    frmMain window(services);
    loadSetUp(window);
    const std::tuple<QAction*, Names, Names> commands[] = {
        {window.mnuConfig, {"frmConfig"}, {}},
        {window.mnuExamine, {"frmLabel"}, {}},
        {window.mnuPrint, {}, {"There is no default printer"}},
        {window.mnuAbout, {"frmAbout"}, {}},
    };
    for (const auto& [action, windows, messagesSaid] : commands) {
        opened.clear();
        messages->shown.clear();
        action->trigger();
        EXPECT_EQ(opened, windows) << action->objectName().toStdString();
        EXPECT_EQ(said(), messagesSaid) << action->objectName().toStdString();
    }
    EXPECT_TRUE(closedOnEnter);
    // The window keeps the size it was drawn at.
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

TEST_F(MainWindowTest, TheCatalogueOpensModelessAndOnlyOnce) {
    frmMain window(services);
    loadSetUp(window);
    window.show();
    const auto open = [&] { return window.findChildren<frmCatalogue*>(); };
    window.mnuCatalogue->trigger();
    ASSERT_EQ(open().size(), 1);
    EXPECT_TRUE(open()[0]->isVisible());
    // Asked for again, it comes back, in front.
    struct Restacked : QObject {
        int times = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            times += event->type() == QEvent::ZOrderChange;
            return false;
        }
    } restacked;
    open()[0]->installEventFilter(&restacked);
    open()[0]->setWindowState(Qt::WindowMinimized);
    window.mnuCatalogue->trigger();
    EXPECT_EQ(restacked.times, 1);
    ASSERT_EQ(open().size(), 1);
    frmCatalogue* catalogue = open()[0];
    EXPECT_FALSE(catalogue->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(catalogue->isVisible());
    EXPECT_FALSE(catalogue->isModal());
    EXPECT_TRUE(opened.empty());

    QTest::keyClick(catalogue, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return open().empty(); }, 5000));
    window.mnuCatalogue->trigger();
    EXPECT_EQ(open().size(), 1);
}

// A batch the catalogue file refuses (as a full disk would): the title tells of the walk until it ends, then
// the user is told once why, and the disk stays marked incomplete.
TEST_F(MainWindowTest, TheTitleTellsOfACatalogueWalkAndItsTroubleIsToldWhenItEnds) {
    for (int folder = 0; folder < 100; ++folder) {
        std::filesystem::create_directories(dir / "disk" / std::to_string(folder) / "inner");
    }
    const std::string file = (dir / "catalogue.sqlite").string();
    ASSERT_TRUE(CatalogueStore::open(file, "2026-01-01"));
    ASSERT_TRUE(
        SqliteDatabase::open(file, SqliteDatabase::Access::ReadWrite)
            .value()
            ->execute("CREATE TRIGGER refuse BEFORE INSERT ON entry_blocks WHEN NEW.last % 4294967296 > 100 "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END")); // what lies below the first folders
    auto catalogue = std::make_shared<Catalogue>(file, clock);
    services.catalogue = catalogue;
    frmMain window(services);
    QStringList titles;
    QObject::connect(&window, &QWidget::windowTitleChanged, [&](const QString& title) { titles << title; });

    DiskRecord disk;
    disk.number = 42;
    catalogue->recordLabel(disk, {(dir / "disk").string(), {}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !catalogue->progress().walking && titles.size() >= 2; }, 20000));
    EXPECT_EQ(titles.front().toStdString(), "Tessaline 1.0 \u2014 cataloguing #42, 0 %");
    EXPECT_EQ(titles.back().toStdString(), "Tessaline 1.0");
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].style, 0);
    EXPECT_EQ(
        messages->shown[0].prompt.rfind("The folders and files of disk #42 could not all be recorded in the "
                                        "disk catalogue " +
                                            file + ": ",
                                        0),
        0u);
    EXPECT_NE(messages->shown[0].prompt.find("(refused)"), std::string::npos) << messages->shown[0].prompt;
    EXPECT_FALSE(CatalogueStore::open(file, "2026-01-01").value()->disks().value().at(0).complete);
}

TEST_F(MainWindowTest, ToolbarButtonsRunTheMenuCommandsUnderTheMouse) {
    frmMain window(services);
    loadSetUp(window);
    window.show();
    ToolStrip& strip = *window.pTools;
    const auto at = [](int xTwips) { return QPoint(xTwips / 15, 100 / 15); };
    // Over Configure, then a click: the dialog opens, and the button goes dark once it returns.
    QTest::mouseMove(&strip, at(600));
    EXPECT_FALSE(strip.imRaised->pixmap().isNull());
    QTest::mouseClick(&strip, Qt::LeftButton, {}, at(600));
    EXPECT_EQ(opened, Names{"frmConfig"});
    EXPECT_TRUE(strip.imRaised->pixmap().isNull());
    // Examine, Print, and the grip, where nothing runs.
    for (const int x : {3000, 4700, 100}) {
        QTest::mouseMove(&strip, at(x));
        QTest::mouseClick(&strip, Qt::LeftButton, {}, at(x));
    }
    EXPECT_EQ(opened, (Names{"frmConfig", "frmLabel"}));
    EXPECT_EQ(said(), Names{"There is no default printer"});
    // Off a lit button onto the grip: no button stays lit.
    QTest::mouseMove(&strip, at(4700));
    ASSERT_FALSE(strip.imRaised->pixmap().isNull());
    QTest::mouseMove(&strip, at(100));
    EXPECT_TRUE(strip.imRaised->pixmap().isNull());
    EXPECT_FALSE(mouseHeld);
    // Quit ends the program (called directly: an exception must not unwind through Qt's event dispatch).
    strip.pTools_MouseMove(5600, 100);
    EXPECT_THROW(strip.pTools_Click(), ProgramEnded);
}

// Start-up: the splash hands over to this window; a second copy is told and shows nothing.
TEST_F(MainWindowTest, TheSplashHoldsThreeSecondsAndHandsOverASecondCopyIsRefused) {
    givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\n");
    const TempDir lockDir;
    const QString lockPath = QString::fromStdString((lockDir / "Tesslin1.lock").string());
    const InstanceGuard guard(lockPath);
    Shell shell(services);
    ASSERT_TRUE(shell.Main(guard));
    ASSERT_NE(shell.splash(), nullptr);
    EXPECT_TRUE(shell.splash()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shell.splash()->holding(); }, 2000));
    EXPECT_EQ(shell.mainWindow(), nullptr);
    // The hold sleeps until its stop second (up to three seconds), then finds it has come.
    clock->at += std::chrono::seconds(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shell.mainWindow() != nullptr; }, 10000));
    EXPECT_TRUE(shell.mainWindow()->isVisible());
    EXPECT_EQ(shell.mainWindow()->windowTitle(), "Tessaline 1.0"); // loaded before it is shown
    EXPECT_TRUE(QTest::qWaitFor([&] { return shell.splash() == nullptr; }, 2000)) << "the splash stayed";
    EXPECT_TRUE(messages->shown.empty());

    const InstanceGuard second(lockPath);
    Shell refused(services);
    EXPECT_FALSE(refused.Main(second));
    EXPECT_EQ(refused.splash(), nullptr);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt, "An instance of Tessaline 1.0 is currently active");
    EXPECT_EQ(messages->shown[0].title, "Tesslin1");
}

} // namespace
