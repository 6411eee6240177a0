// Every window, and the printed label, compared with its picture in tests/golden/. After an intended change
// of a window's look, scripts/golden draws the pictures anew.
#include "support/GoldenImage.h"
#include "support/LabelFixture.h"
#include "support/LocalTime.h"
#include "support/PdfTools.h"
#include "support/SampleCatalogue.h"
#include "support/ScopedLocale.h"

#include "core/catalogue/Catalogue.h"
#include "ui/app/ToolStrip.h"
#include "ui/app/frmAbout.h"
#include "ui/app/frmMain.h"
#include "ui/app/frmSplash.h"
#include "ui/catalogue/frmCatalogue.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/settings/frmConfig.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

namespace {

// The label window's world (LabelFixture) on Saturday 14 March 2026 at 09:47, local time.
class WindowPictures : public LabelFixture {
public:
    QImage splash() {
        frmSplash window(services, [] {});
        window.Form_Load();
        window.Timer1.stop();
        return picture(window);
    }
    QImage mainWindow() {
        frmMain window(services);
        window.Form_Load();
        return picture(window);
    }
    QImage mainWindowLit() {
        frmMain window(services);
        window.Form_Load();
        window.pTools->pTools_MouseMove(3300, 300); // over Examine Disk
        return picture(window);
    }
    QImage configurationFirstRun() {
        std::filesystem::remove(profileFile);
        Program().FirstRun = true;
        return modalPicture(ShowConfigDialog);
    }
    QImage configuration() { return modalPicture(ShowConfigDialog); }
    QImage labelWindow() {
        return modalPicture(
            [](const WindowServices& services, QWidget* parent) { ShowLabelWindow(services, parent); });
    }
    QImage about() { return modalPicture(ShowAboutBox); }
    // Found by typing "tax" in a catalogue of four disks; the four disks; no disk yet.
    QImage catalogueWindow() {
        return catalogue(true, [](frmCatalogue& window) { window.txtSearch->setText("tax"); });
    }
    QImage catalogueDisks() {
        return catalogue(true, [](frmCatalogue& window) { window.tabViews->setCurrentIndex(1); });
    }
    QImage catalogueEmpty() {
        return catalogue(false, [](frmCatalogue&) {});
    }
    // A disk being catalogued: the walk's bar in the bottom row.
    QImage catalogueWalking() {
        tamper = [](QWidget& window) {
            static_cast<frmCatalogue&>(window).showCatalogueProgress({true, 42, 37});
        };
        return catalogue(true, [](frmCatalogue&) {});
    }
    QImage catalogue(bool sample, void (*act)(frmCatalogue&)) {
        const std::string file = (dir / "catalogue.sqlite").string();
        if (sample) {
            WriteSampleCatalogue(file);
        }
        services.catalogue = std::make_shared<Catalogue>(file, clock);
        frmCatalogue window(services);
        window.Form_Load();
        act(window);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.searching(); }, 5000));
        return picture(window);
    }
    // The page as the printer gets it, at the screen's resolution: one pixel of the window is one of the
    // page.
    QImage printedLabel() {
        ShowLabelWindow(services, nullptr, LabelAction::Print);
        return PdfPageImage(printer->fileName, 96);
    }

    // Changes a window once it is shown, before its picture is taken.
    std::function<void(QWidget&)> tamper;

protected:
    void SetUp() override {
        LabelFixture::SetUp();
        ASSERT_TRUE(PinLook());
        clock->at = LocalTime(2026, 3, 14, 9, 47, 0);
        // The folder list shows the disk folder's ancestors, and a temporary folder's name differs in every
        // run; /proc/self/cwd names the disk folder by the same path in every run.
        m_savedFolder = std::filesystem::current_path();
        std::filesystem::current_path(diskFolder);
        drives->setMountPoint(ZipRoot, "/proc/self/cwd");
    }
    void TearDown() override {
        std::filesystem::current_path(m_savedFolder);
        LabelFixture::TearDown();
    }

private:
    QImage picture(QWidget& window) {
        window.show();
        QApplication::processEvents();
        if (tamper != nullptr) {
            tamper(window);
            QApplication::processEvents();
        }
        // The window where it stands on the screen: its place is part of its look.
        const QRect screen = window.screen()->availableGeometry();
        QImage onScreen(screen.size(), QImage::Format_RGB32);
        onScreen.fill(Qt::black);
        QPainter(&onScreen).drawPixmap(window.geometry().topLeft() - screen.topLeft(), window.grab());
        // Closed before it is destroyed, as a modal window is: one destroyed while shown hands its focus on
        // from its destructor, to slots of a window half gone.
        window.hide();
        return onScreen;
    }
    // Opens a window as the program opens it modally and takes its picture while it is shown.
    QImage modalPicture(void (*show)(const WindowServices&, QWidget*)) {
        QImage taken;
        onShown = [&](QDialog& dialog) { taken = picture(dialog); };
        show(services, nullptr);
        return taken;
    }

    const ScopedLocale m_english;
    std::filesystem::path m_savedFolder;
};

struct Window {
    const char* name; // the reference is tests/golden/<name>.png
    QImage (WindowPictures::*draw)();
};

const Window Windows[] = {
    {"splash", &WindowPictures::splash},
    {"main-window", &WindowPictures::mainWindow},
    {"main-window-lit", &WindowPictures::mainWindowLit},
    {"configuration-first-run", &WindowPictures::configurationFirstRun},
    {"configuration", &WindowPictures::configuration},
    {"label-window", &WindowPictures::labelWindow},
    {"about", &WindowPictures::about},
    {"printed-label", &WindowPictures::printedLabel},
    {"catalogue-window", &WindowPictures::catalogueWindow},
    {"catalogue-disks", &WindowPictures::catalogueDisks},
    {"catalogue-empty", &WindowPictures::catalogueEmpty},
    {"catalogue-walking", &WindowPictures::catalogueWalking},
};

class WindowLooks : public WindowPictures, public ::testing::WithParamInterface<Window> {};

TEST_P(WindowLooks, MatchTheirReferences) {
    EXPECT_TRUE(MatchesGolden((this->*GetParam().draw)(), GetParam().name));
    EXPECT_TRUE(messages->shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Golden, WindowLooks, ::testing::ValuesIn(Windows), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// The comparer's tolerance must not hide the smallest faults of a layout: a control one pixel off, a text in
// another weight.
TEST_F(WindowPictures, OnePixelMovesAndWeightChangesExceedTheTolerance) {
    const struct {
        QImage (WindowPictures::*draw)();
        const char* name;
        QPoint offset; // none: the text's weight changes instead
    } cases[] = {
        {&WindowPictures::labelWindow, "lblVTag", {0, 1}},
        {&WindowPictures::about, "lblCompany", {}},
    };
    for (const auto& c : cases) {
        tamper = nullptr;
        const QImage plain = (this->*c.draw)();
        tamper = [&](QWidget& window) {
            QWidget* widget = window.findChild<QWidget*>(c.name);
            ASSERT_NE(widget, nullptr);
            QFont font = widget->font();
            font.setBold(c.offset.isNull() != font.bold());
            widget->setFont(font);
            widget->move(widget->pos() + c.offset);
        };
        EXPECT_GT(DifferingPixels(plain, (this->*c.draw)()), GoldenPixelsAllowed) << c.name;
    }
}

} // namespace
