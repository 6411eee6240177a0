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
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

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
        return modalPicture([this] { ShowConfigDialog(services, nullptr); });
    }
    QImage configuration() {
        return modalPicture([this] { ShowConfigDialog(services, nullptr); });
    }
    QImage labelWindow() {
        return modalPicture([this] { ShowLabelWindow(services, nullptr); });
    }
    QImage about() {
        return modalPicture([this] { ShowAboutBox(services, nullptr); });
    }
    // Found by typing "tax" in a catalogue of four disks.
    QImage catalogueWindow() {
        const std::string file = (dir / "catalogue.sqlite").string();
        WriteSampleCatalogue(file);
        services.catalogue = std::make_shared<Catalogue>(file, clock);
        frmCatalogue window(services);
        window.Form_Load();
        window.txtSearch->setText("tax");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.searching(); }, 5000));
        return picture(window);
    }
    // The page as the printer gets it, at the screen's resolution: one pixel of the window is one of the
    // page.
    QImage printedLabel() {
        Program().AutoPrint = true;
        ShowLabelWindow(services, nullptr);
        return PdfPageImage(printer->fileName, 96);
    }

    // Changes a window before its picture is taken (the comparer's own test).
    void (*tamper)(QWidget&) = nullptr;

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
    template <typename Open> QImage modalPicture(Open open) {
        QImage taken;
        onShown = [&](QDialog& dialog) { taken = picture(dialog); };
        open();
        return taken;
    }

    const ScopedLocale m_english;
    std::filesystem::path m_savedFolder;
};

struct Window {
    const char* name; // the reference is tests/golden/<name>.png
    QImage (WindowPictures::*draw)();
};
void PrintTo(const Window& window, std::ostream* out) {
    *out << window.name;
}

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
template <typename Widget> void Nudge(QWidget& window, const char* name, int dx, int dy) {
    Widget* widget = window.findChild<Widget*>(name);
    ASSERT_NE(widget, nullptr) << name;
    widget->move(widget->pos() + QPoint(dx, dy));
}
void Embolden(QWidget& window, const char* name) {
    QWidget* widget = window.findChild<QWidget*>(name);
    ASSERT_NE(widget, nullptr) << name;
    QFont font = widget->font();
    font.setBold(!font.bold());
    widget->setFont(font);
}

TEST_F(WindowPictures, OnePixelMovesAndWeightChangesExceedTheTolerance) {
    using Tamper = void (*)(QWidget&);
    const std::tuple<QImage (WindowPictures::*)(), const char*, Tamper> cases[] = {
        {&WindowPictures::splash, "date one pixel down",
         [](QWidget& w) { Nudge<QLabel>(w, "lblNow", 0, 1); }},
        {&WindowPictures::mainWindow, "welcome one pixel right",
         [](QWidget& w) { Nudge<QLabel>(w, "lblWelcome", 1, 0); }},
        {&WindowPictures::configuration, "frame caption not bold", [](QWidget& w) { Embolden(w, "Frame1"); }},
        {&WindowPictures::labelWindow, "vertical number one pixel down",
         [](QWidget& w) { Nudge<QLabel>(w, "lblVTag", 0, 1); }},
        {&WindowPictures::about, "company not bold", [](QWidget& w) { Embolden(w, "lblCompany"); }},
    };
    for (const auto& [draw, change, changed] : cases) {
        tamper = nullptr;
        const QImage plain = (this->*draw)();
        tamper = changed;
        const int differing = DifferingPixels(plain, (this->*draw)());
        EXPECT_GT(differing, GoldenPixelsAllowed) << change;
    }
}

} // namespace
