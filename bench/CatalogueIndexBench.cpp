// Whole-run figures for cataloguing: a real folder tree of 500 disks x 2,000 entries (made once and kept
// between runs), walked as `find` walks it, walked alone, and walked into a catalogue.
//   CatalogueIndexBench [tree folder] [catalogue file]
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/ListWalk.h"
#include "core/catalogue/TreeWalk.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int Disks = 500;

const std::array<const char*, 10> Topics = {"Invoices", "Taxes", "Photos", "Letters", "Projects",
                                            "Scans",    "Music", "Backup", "Журнал",  "Recettes café"};

// 20 folders, each with 3 subfolders of 32 files: 2,000 entries a disk.
void MakeTree(const fs::path& root) {
    if (fs::exists(root / ".complete")) {
        return;
    }
    std::cout << "making the tree under " << root << " (once)...\n" << std::flush;
    for (int disk = 0; disk < Disks; ++disk) {
        const fs::path diskRoot = root / ("disk" + std::to_string(disk));
        for (int top = 0; top < 20; ++top) {
            const fs::path folder = diskRoot / (std::string(Topics[top % Topics.size()]) + " " +
                                                std::to_string(1990 + top + disk % 30));
            for (int sub = 0; sub < 3; ++sub) {
                const fs::path inner = folder / ("part " + std::to_string(sub + 1));
                fs::create_directories(inner);
                for (int file = 0; file < 32; ++file) {
                    std::ofstream(
                        inner / ("scan-" + std::to_string(disk * 100 + file) + (file % 3 ? ".pdf" : ".jpg")))
                        << "x";
                }
            }
        }
    }
    std::ofstream(root / ".complete") << "1";
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? argv[1] : fs::temp_directory_path() / "tessaline-bench-tree";
    const fs::path file = argc > 2 ? argv[2] : fs::temp_directory_path() / "tessaline-bench-index.sqlite";
    MakeTree(root);

    // find as a person would run it, warm like the walks after it.
    const std::string findCommand = "find '" + root.string() + "' | wc -l";
    std::system((findCommand + " >/dev/null").c_str());
    auto start = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(findCommand.c_str(), "r");
    long found = 0;
    if (pipe == nullptr || std::fscanf(pipe, "%ld", &found) != 1) {
        std::cerr << "find failed\n";
        return 1;
    }
    ::pclose(pipe);
    const double findSeconds = Seconds(start);

    std::atomic<bool> cancel{false};
    std::uint64_t walked = 0;
    start = std::chrono::steady_clock::now();
    for (int disk = 0; disk < Disks; ++disk) {
        walked += WalkTree((root / ("disk" + std::to_string(disk))).string(), {}, cancel,
                           [](WalkBatch&, const WalkCounts&) { return true; })
                      .counts.entries;
    }
    const double walkSeconds = Seconds(start);

    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::remove(file.string() + suffix);
    }
    auto opened = CatalogueStore::open(file.string(), "2026-01-01");
    if (!opened) {
        std::cerr << opened.reason() << "\n";
        return 1;
    }
    CatalogueStore& store = **opened;
    std::uint64_t indexed = 0;
    start = std::chrono::steady_clock::now();
    for (int disk = 0; disk < Disks; ++disk) {
        DiskRecord record;
        record.number = disk + 1;
        record.volumeName = "DISK" + std::to_string(disk + 1);
        record.serial = static_cast<std::uint32_t>(disk + 1);
        const std::int64_t id = store.addDisk(record, 1773489600).value();
        const std::int64_t list = store.beginEntries(id).value();
        std::string failure;
        const WalkOutcome outcome = WalkIntoList(
            store, list, (root / ("disk" + std::to_string(disk))).string(), {}, cancel, {}, failure);
        (void)store.finishEntries(id, list, outcome.end == WalkEnd::Finished, outcome.counts.skippedFolders);
        indexed += outcome.counts.entries;
    }
    const double indexSeconds = Seconds(start);
    opened.value().reset(); // checkpoints the journal into the file
    const auto bytes = fs::file_size(file);

    std::printf("entries on disk:         %ld (find counts the %d disk folders and the root too)\n", found,
                Disks);
    std::printf("find DIR | wc -l:        %.2f s  %10.0f entries/s\n", findSeconds, found / findSeconds);
    std::printf("walk alone:              %.2f s  %10.0f entries/s  (%.2fx find's time)\n", walkSeconds,
                walked / walkSeconds, walkSeconds / findSeconds);
    std::printf("walk into the catalogue: %.2f s  %10.0f entries/s  (%.2fx find's time)\n", indexSeconds,
                indexed / indexSeconds, indexSeconds / findSeconds);
    std::printf("catalogue file:          %.1f MB, %.1f bytes an entry\n", bytes / 1e6,
                static_cast<double>(bytes) / static_cast<double>(indexed));
    return 0;
}
