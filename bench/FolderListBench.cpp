// Listing a folder with many subfolders in the folder list: reading and sorting alone, the list box
// without painting, and the shown list box painted once.
#include "core/disks/FolderListing.h"
#include "support/BenchSupport.h"
#include "ui/forms/FolderListBox.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void BM_ListSubfolders(benchmark::State& state) {
    const std::string dir = BenchFolderWith(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ListSubfolders(dir));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListSubfolders)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_FolderListSetPath(benchmark::State& state) {
    const std::string dir = BenchFolderWith(static_cast<int>(state.range(0)));
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
    const std::string dir = BenchFolderWith(static_cast<int>(state.range(0)));
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
    return RunQtBenchmarks(argc, argv);
}
