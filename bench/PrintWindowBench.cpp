// Printing a window of label size (6510 x 5400 twips, a dozen captions and the bar picture) to a PDF file.
#include "support/BenchSupport.h"
#include "ui/forms/Screen.h"
#include "ui/label/UsedSpaceBarImage.h"
#include "ui/print/PrintWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void BM_PrintLabelSizedWindowToPdf(benchmark::State& state) {
    QWidget window;
    window.setFixedSize(TwipsToPixelsX(6510), TwipsToPixelsY(5400));
    window.setAutoFillBackground(true);
    for (int i = 0; i < 12; ++i) {
        auto* caption = new QLabel(QStringLiteral("Caption %1: 95.63 MB free").arg(i), &window);
        caption->setGeometry(TwipsToPixelsX(300), TwipsToPixelsY(300 + i * 330), TwipsToPixelsX(4000),
                             TwipsToPixelsY(300));
    }
    auto* bar = new QLabel(&window);
    bar->setPixmap(QPixmap::fromImage(UsedSpaceBarImage()));
    bar->setGeometry(TwipsToPixelsX(440), TwipsToPixelsY(4950), 350, 16);
    window.show();

    const std::string file = std::filesystem::temp_directory_path().string() + "/tessaline-bench-label.pdf";
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(file));
        if (!PrintWindow(window, printer)) {
            state.SkipWithError("printing failed");
            break;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_PrintLabelSizedWindowToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
