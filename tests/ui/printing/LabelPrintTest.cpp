// The label printed through a private CUPS queue, as a user's Print Label would print it.
#include "CupsEnvironment.h"
#include "support/LabelFixture.h"
#include "support/PdfTools.h"

#include "ui/forms/PrinterProvider.h"
#include "ui/forms/SystemPrinterProvider.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QPrinter>

#include <thread>

namespace {

constexpr double LabelWidthPoints = 6510 / 20.0;  // 4.52 in
constexpr double LabelHeightPoints = 5400 / 20.0; // 3.75 in

// The default printer as a freshly started thread sees it: libcups reads CUPS_SERVER once per thread.
class FreshThreadPrinterProvider final : public PrinterProvider {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override {
        std::unique_ptr<QPrinter> printer;
        std::thread([&] { printer = SystemPrinterProvider().defaultPrinter(); }).join();
        return printer;
    }
};

class LabelPrintTest : public LabelFixture {
protected:
    void SetUp() override {
        LabelFixture::SetUp();
        services.printer = std::make_shared<SystemPrinterProvider>();
        before = cups().spooledDocuments().size();
    }
    static CupsServer& cups() { return *CupsEnvironment::server; }

    std::size_t before = 0;
};

TEST_F(LabelPrintTest, PrintLabelPutsTheLabelOnOnePageOfTheDefaultQueue) {
    Program().AutoPrint = true;
    ShowLabelWindow(services, nullptr);
    ASSERT_TRUE(messages->shown.empty()) << messages->shown[0].prompt << cups().log();
    EXPECT_EQ(modal->runs, 0);
    EXPECT_EQ(storedIndex(), "42");

    const auto job = cups().waitForDocument(before);
    ASSERT_TRUE(job.has_value()) << cups().log();
    EXPECT_EQ(PdfInfo(*job).pages, 1);

    const std::string text = PdfWords(*job);
    // The golden page of the label pins how it looks on paper; through CUPS it must arrive whole, as text.
    for (const char* expected : {"Anna Example", "# 42", "Free Space", "1A2B-3C4D", "/dev/sdb [ZIPDISK]"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
    EXPECT_EQ(text.find("Print"), std::string::npos) << text;
    EXPECT_EQ(text.find("Cancel"), std::string::npos) << text;

    // At 72 dpi one pixel is one point: the label is what is not white, at its true size.
    const QImage page = PdfPageImage(*job, 72);
    ASSERT_FALSE(page.isNull());
    QRect label;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 250) {
                label |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_NEAR(label.width(), LabelWidthPoints, 2.0);
    EXPECT_NEAR(label.height(), LabelHeightPoints, 2.0);

}

TEST_F(LabelPrintTest, ARefusedJobIsReportedAndTheNumberStays) {
    ASSERT_TRUE(cups().setAcceptingJobs(false));
    Program().AutoPrint = true;
    ShowLabelWindow(services, nullptr);
    ASSERT_TRUE(cups().setAcceptingJobs(true));

    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(
        messages->shown[0].prompt.rfind("The label could not be printed: the printer tessaline-test", 0), 0u)
        << messages->shown[0].prompt;
    EXPECT_EQ(storedIndex(), "41");
    EXPECT_EQ(cups().spooledDocuments().size(), before);
}

TEST_F(LabelPrintTest, WithNoPrinterAtAllNothingIsPrintedAndTheNumberStays) {
    const CupsServer withoutQueues(CupsServer::Queue::None);
    services.printer = std::make_shared<FreshThreadPrinterProvider>();
    onShown = [](QDialog& dialog) { static_cast<frmLabel&>(dialog).cmdPrint_Click(); };
    ShowLabelWindow(services, nullptr);

    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt,
              "There is no default printer, so the label cannot be printed.\r\n\r\n"
              "Set up a printer as the default, then print again. The disk number was not changed.");
    EXPECT_EQ(storedIndex(), "41");
    EXPECT_EQ(cups().spooledDocuments().size(), before);
}

} // namespace
