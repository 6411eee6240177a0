// The label window: from the Examine command to the window painted (a fake Zip drive whose disk holds
// a few, 1,000, 10,000 or 100,000 folders), and printing one label to a PDF file.
#include "core/runtime/ProgramState.h"
#include "support/BenchSupport.h"
#include "support/LabelWorld.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

void BM_ExamineToWindowPainted(benchmark::State& state) {
    const LabelWorld world(diskFolder(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        ShowLabelWindow(world.services, nullptr);
    }
    if (world.messages->shown != 0) {
        state.SkipWithError("the window reported a failure");
    }
    state.SetComplexityN(std::max<benchmark::IterationCount>(state.range(0), 3));
}
BENCHMARK(BM_ExamineToWindowPainted)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Print Label: load, show, print to a PDF file, advance the number, close.
void BM_PrintLabelToPdf(benchmark::State& state) {
    const LabelWorld world(diskFolder(0));
    for (auto _ : state) {
        ShowLabelWindow(world.services, nullptr, LabelAction::Print);
    }
    if (world.messages->shown != 0) {
        state.SkipWithError("printing reported a failure");
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(world.printer->file));
}
BENCHMARK(BM_PrintLabelToPdf)->Unit(benchmark::kMillisecond);

// Only the printing of a filled label window.
void BM_PrintFilledLabelWindow(benchmark::State& state) {
    const LabelWorld world(diskFolder(0));
    frmLabel window(world.services);
    window.Form_Load();
    window.show();
    for (auto _ : state) {
        const auto printer = world.printer->defaultPrinter();
        if (!printer.value()->printWindow(window)) {
            state.SkipWithError("printing failed");
            break;
        }
    }
}
BENCHMARK(BM_PrintFilledLabelWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
