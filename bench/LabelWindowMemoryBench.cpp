// Memory over many label windows in one run: the resident memory after the first Examine and after the
// 500th, each window painted once and closed at once. Not a timing: read the counters.
#include "support/BenchSupport.h"
#include "support/LabelWorld.h"
#include "ui/label/ShowLabelWindow.h"

#include <QPixmapCache>
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

double residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6));
        }
    }
    return 0;
}

void BM_MemoryOver500LabelWindows(benchmark::State& state) {
    const LabelWorld world(diskFolder(0));
    constexpr int Windows = 500;
    double afterFirst = 0;
    double afterLast = 0;
    for (auto _ : state) {
        ShowLabelWindow(world.services, nullptr);
        afterFirst = residentKilobytes();
        for (int i = 1; i < Windows; ++i) {
            ShowLabelWindow(world.services, nullptr);
        }
        afterLast = residentKilobytes();
    }
    if (world.messages->shown != 0) {
        state.SkipWithError("the window reported a failure");
    }
    state.counters["rss_after_1_kB"] = afterFirst;
    state.counters["rss_after_500_kB"] = afterLast;
    state.counters["growth_kB"] = afterLast - afterFirst;
    state.counters["pixmap_cache_limit_kB"] = QPixmapCache::cacheLimit();
}
BENCHMARK(BM_MemoryOver500LabelWindows)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}
