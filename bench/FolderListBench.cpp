// Listing a folder with many subfolders in the folder list: reading and sorting alone, the list box
// without painting, and the shown list box painted once.
#include "forms/FolderListBox.h"
#include "forms/FolderListing.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// /tmp/tessaline-bench-folders/<n> holds n subfolders; made once and kept for later runs.
std::string folderWith(int n) {
    const std::string dir = "/tmp/tessaline-bench-folders/" + std::to_string(n);
    const std::string done = dir + "/.complete";
    if (!fs::exists(done)) {
        fs::create_directories(dir);
        char name[32];
        for (int i = 0; i < n; ++i) {
            // Mixed case and a scattered order, so the sort has work to do.
            const int k = static_cast<int>((static_cast<long long>(i) * 7919) % n);
            std::snprintf(name, sizeof(name), "%s%06d", (k % 3 == 0) ? "Folder" : "folder", k);
            fs::create_directory(dir + "/" + name);
        }
        std::ofstream(done) << "ok";
    }
    return dir;
}

void BM_ListSubfolders(benchmark::State& state) {
    const std::string dir = folderWith(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ListSubfolders(dir));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListSubfolders)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_FolderListSetPath(benchmark::State& state) {
    const std::string dir = folderWith(static_cast<int>(state.range(0)));
    FolderListBox box;
    box.resize(169, 261);
    for (auto _ : state) {
        box.setPath(dir);
        box.setPath("/"); // a change each time, as when the user moves between folders
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FolderListSetPath)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_FolderListSetPathAndPaint(benchmark::State& state) {
    const std::string dir = folderWith(static_cast<int>(state.range(0)));
    FolderListBox box;
    box.resize(169, 261);
    box.show();
    for (auto _ : state) {
        box.setPath(dir);
        box.repaint();
        box.setPath("/");
        box.repaint();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FolderListSetPathAndPaint)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
