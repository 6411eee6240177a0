// The label printed through a private CUPS queue, as a user's Print Label would print it.
#include "support/CupsServer.h"
#include "support/LabelFixture.h"
#include "support/PdfTools.h"

#include "ui/forms/SystemPrinterProvider.h"
#include "ui/label/ShowLabelWindow.h"

#include <functional>

namespace {

class LabelPrintTest : public LabelFixture {
protected:
    void SetUp() override {
        cups(); // before the first printing call of this thread, even a QPrinter made by the fixture
        LabelFixture::SetUp();
        services.printer = std::make_shared<SystemPrinterProvider>(TESSALINE_PRINT_LIBRARY);
        before = cups().spooledDocuments().size();
    }
    // One scheduler for the whole program: libcups fixes the server of a thread at its first call.
    static CupsServer& cups() {
        static CupsServer server;
        return server;
    }

    std::size_t before = 0;
};

TEST_F(LabelPrintTest, PrintLabelPutsTheLabelOnOnePageOfTheDefaultQueue) {
    ShowLabelWindow(services, nullptr, LabelAction::Print);
    ASSERT_TRUE(messages->shown.empty()) << messages->shown[0].prompt << cups().log();
    EXPECT_EQ(modal->runs, 0);
    EXPECT_EQ(storedIndex(), "42");

    const auto job = cups().waitForDocument(before);
    ASSERT_TRUE(job.has_value()) << cups().log();
    // The golden page pins how the label looks on paper, the whole-program test that its words arrive.
    EXPECT_EQ(PdfPages(*job), 1);

    // At 72 dpi one pixel is one point: the label is what is not white, at its true size (4.52 x 3.75 in).
    const QImage page = PdfPageImage(*job, 72);
    ASSERT_FALSE(page.isNull());
    QRect label;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            label |= qGray(page.pixel(x, y)) < 250 ? QRect(x, y, 1, 1) : QRect();
        }
    }
    EXPECT_NEAR(label.width(), 6510 / 20.0, 2.0);
    EXPECT_NEAR(label.height(), 5400 / 20.0, 2.0);
}

// A queue that refuses the job, a job that cannot start, printing that cannot be loaded: the user is told,
// and the stored number stays.
TEST_F(LabelPrintTest, ALabelThatDoesNotPrintLeavesTheNumber) {
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { ASSERT_TRUE(cups().setAcceptingJobs(false)); },
         "The label could not be printed: the printer tessaline-test did not take the job."},
        {[&] {
             services.printer =
                 std::make_shared<PdfFilePrinterProvider>((dir / "none" / "label.pdf").string());
         },
         "The label could not be printed: the printer did not take the job."},
        {[&] {
             services.printer =
                 std::make_shared<SystemPrinterProvider>((dir / "none" / "libtessaline-print.so").string());
         },
         "The label cannot be printed: the printing library could not be loaded ("},
    };
    for (const auto& [arrange, says] : cases) {
        SCOPED_TRACE(says);
        messages->shown.clear();
        services.printer = std::make_shared<SystemPrinterProvider>(TESSALINE_PRINT_LIBRARY);
        arrange();
        ShowLabelWindow(services, nullptr, LabelAction::Print);
        ASSERT_TRUE(cups().setAcceptingJobs(true));

        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt.rfind(says, 0), 0u) << messages->shown[0].prompt;
        EXPECT_NE(messages->shown[0].prompt.find("number was not changed"), std::string::npos);
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_EQ(storedIndex(), "41");
        EXPECT_EQ(cups().spooledDocuments().size(), before);
    }
    EXPECT_EQ(modal->runs, 0);
}

} // namespace
