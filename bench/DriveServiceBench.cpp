// The cost of examining drives on this machine: the label window examines one drive per label, the
// configuration dialog lists the drives once per opening.
#include "core/disks/linux/LinuxDriveService.h"
#include "core/disks/linux/MountInfo.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_DriveRoots(benchmark::State& state) {
    const LinuxDriveService service;
    for (auto _ : state) {
        benchmark::DoNotOptimize(service.driveRoots());
    }
}
BENCHMARK(BM_DriveRoots);

// Type, space and volume of one root, as one examination asks them.
void BM_ExamineRoot(benchmark::State& state) {
    const LinuxDriveService service;
    for (auto _ : state) {
        benchmark::DoNotOptimize(service.driveType("/"));
        benchmark::DoNotOptimize(service.diskSpace("/"));
        benchmark::DoNotOptimize(service.volumeInformation("/"));
    }
}
BENCHMARK(BM_ExamineRoot);

// A busy desktop's mount table (snaps, containers) of `range` lines.
void BM_ParseMountInfo(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i) {
        text += std::to_string(100 + i) + " 26 7:" + std::to_string(i) + " / /snap/app\\040" +
                std::to_string(i) + "/1 ro,nodev,relatime shared:" + std::to_string(i) +
                " - squashfs /dev/loop" + std::to_string(i) + " ro,errors=continue\n";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseMountInfo(text));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseMountInfo)->Arg(30)->Arg(300);

} // namespace

BENCHMARK_MAIN();
