#include "CupsEnvironment.h"
#include "support/CupsServer.h"
#include "support/PdfFilePrinterProvider.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include "ui/forms/PrintWindow.h"
#include "ui/forms/Screen.h"
#include "ui/forms/SystemPrinterProvider.h"

#include <QFrame>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

namespace {

// A window of label size (6510 x 5400 twips) with a caption, a red panel and a hidden button. How the label
// itself lands on paper is pinned by its golden page.
class LabelSizedWindow {
public:
    LabelSizedWindow() {
        window.setFixedSize(TwipsToPixelsX(6510), TwipsToPixelsY(5400));
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        window.setPalette(palette);

        auto* caption = new QLabel(QStringLiteral("Owner Anna Example"), &window);
        caption->setGeometry(TwipsToPixelsX(300), TwipsToPixelsY(300), TwipsToPixelsX(4000),
                             TwipsToPixelsY(400));
        auto* panel = new QFrame(&window);
        panel->setGeometry(TwipsToPixelsX(PanelLeft), TwipsToPixelsY(PanelTop), TwipsToPixelsX(PanelWidth),
                           TwipsToPixelsY(PanelHeight));
        panel->setAutoFillBackground(true);
        QPalette red = panel->palette();
        red.setColor(QPalette::Window, QColor(220, 0, 0));
        panel->setPalette(red);
        auto* hidden = new QLabel(QStringLiteral("Hidden Button Text"), &window);
        hidden->setGeometry(TwipsToPixelsX(300), TwipsToPixelsY(4500), TwipsToPixelsX(3000),
                            TwipsToPixelsY(400));
        hidden->hide();
    }

    static constexpr int PanelLeft = 1500, PanelTop = 2250, PanelWidth = 3000, PanelHeight = 1500;
    QWidget window;
};

double twipsToPoints(double twips) {
    return twips / 20.0;
}

// The page shows the window at its size in twips at the top left of the printable area: its caption as
// text, no hidden control, the panel's color where the panel is.
void expectPrintedWindow(const std::string& pdf, const QPointF& printableTopLeft, const QSizeF& pagePoints) {
    const PdfFacts facts = PdfInfo(pdf);
    EXPECT_EQ(facts.pages, 1);
    EXPECT_NEAR(facts.widthPoints, pagePoints.width(), 1.0);
    EXPECT_NEAR(facts.heightPoints, pagePoints.height(), 1.0);

    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Owner Anna Example"), std::string::npos) << text;
    EXPECT_EQ(text.find("Hidden"), std::string::npos) << text;

    const QImage page = PdfPageImage(pdf, 72); // one pixel per point
    ASSERT_FALSE(page.isNull());
    const auto at = [&](double xTwips, double yTwips) {
        return page.pixelColor(static_cast<int>(printableTopLeft.x() + twipsToPoints(xTwips)),
                               static_cast<int>(printableTopLeft.y() + twipsToPoints(yTwips)));
    };
    using W = LabelSizedWindow;
    const QColor inside = at(W::PanelLeft + W::PanelWidth / 2.0, W::PanelTop + W::PanelHeight / 2.0);
    EXPECT_GT(inside.red(), 180);
    EXPECT_LT(inside.green(), 60);
    EXPECT_LT(inside.blue(), 60);
    EXPECT_GT(at(W::PanelLeft - 150, W::PanelTop - 150).green(), 200); // above and left of it: white
    // The window ends at 6510 x 5400 twips: the panel is 3000 twips wide, about 2.08 inches, on the page.
    int redColumns = 0;
    const int row =
        static_cast<int>(printableTopLeft.y() + twipsToPoints(W::PanelTop + W::PanelHeight / 2.0));
    for (int x = 0; x < page.width(); ++x) {
        redColumns += page.pixelColor(x, row).red() > 180 && page.pixelColor(x, row).green() < 60;
    }
    EXPECT_NEAR(redColumns, twipsToPoints(W::PanelWidth), 2.0);

}

class PrintWindowTest : public ::testing::Test {
protected:
    TempDir temp;
    std::string dir = temp.path().string();
};

TEST_F(PrintWindowTest, PutsTheWindowOnOnePdfPageAtItsTrueSize) {
    PdfFilePrinterProvider provider(dir + "/label.pdf");
    const auto printer = provider.defaultPrinter();
    LabelSizedWindow label;
    ASSERT_TRUE(PrintWindow(label.window, *printer));
    expectPrintedWindow(provider.fileName, printer->pageLayout().paintRectPoints().topLeft(),
                        printer->pageLayout().fullRectPoints().size());
}

TEST_F(PrintWindowTest, ReportsAJobThatCannotStart) {
    PdfFilePrinterProvider provider(dir + "/no-such-folder/label.pdf");
    const auto printer = provider.defaultPrinter();
    LabelSizedWindow label;
    EXPECT_FALSE(PrintWindow(label.window, *printer));
}

// Printing through the default CUPS queue, and a job the scheduler refuses, are tested with the label
// itself (LabelPrintTest).

// Each check runs on a fresh thread: libcups reads CUPS_SERVER once per thread.
bool defaultPrinterSeenFromNewThread() {
    bool found = true;
    std::thread([&] { found = SystemPrinterProvider().defaultPrinter() != nullptr; }).join();
    return found;
}

TEST(NoPrinter, SchedulerWithoutQueuesGivesNone) {
    const CupsServer empty(CupsServer::Queue::None);
    EXPECT_FALSE(defaultPrinterSeenFromNewThread());
}

TEST(NoPrinter, UnreachableSchedulerGivesNone) {
    const std::string saved = std::getenv("CUPS_SERVER") ? std::getenv("CUPS_SERVER") : "";
    setenv("CUPS_SERVER", "/tmp/tessaline-no-such-scheduler.sock", 1);
    EXPECT_FALSE(defaultPrinterSeenFromNewThread());
    setenv("CUPS_SERVER", saved.c_str(), 1);
    EXPECT_TRUE(defaultPrinterSeenFromNewThread()); // the scheduler of the other tests is still seen
}

} // namespace
