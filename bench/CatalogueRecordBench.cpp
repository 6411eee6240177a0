// Recording a whole shelf as the program does it: every folder diskNNN under a tree is one disk, walked
// and written into a new catalogue (a disk record, then its entries in the walk's batches), one after the
// other. Prints the disks, entries, seconds and the file's bytes (0 for a server), for
// bench/catalogue_vs_plocate.sh and bench/shared_catalogue.sh.
//   CatalogueRecordBench TREE CATALOGUE [DISKS]
// CATALOGUE is a file, made anew, or a server's connection string, whose catalogue is added to.
// The volume name of disk N is its three-digit number, so that no word of a search is in one. With DISKS,
// only the first DISKS disks of the tree are recorded.
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/ListWalk.h"
#include "core/catalogue/PgCatalogueStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: CatalogueRecordBench TREE CATALOGUE [DISKS]\n";
        return 2;
    }
    const fs::path root = argv[1];
    const std::string file = argv[2];
    std::vector<fs::path> disks;
    for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
        if (entry.is_directory() && entry.path().filename().string().starts_with("disk")) {
            disks.push_back(entry.path());
        }
    }
    std::sort(disks.begin(), disks.end());
    if (argc == 4) {
        disks.resize(std::min(disks.size(), static_cast<std::size_t>(std::max(0, std::atoi(argv[3])))));
    }
    const bool server = IsServerCatalogue(file);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        if (!server) {
            fs::remove(file + suffix);
        }
    }

    const auto start = std::chrono::steady_clock::now();
    auto opened = CatalogueStore::open(file, "2026-01-01");
    if (!opened) {
        std::cerr << opened.reason() << "\n";
        return 1;
    }
    CatalogueStore& store = **opened;
    std::atomic<bool> cancel{false};
    std::uint64_t entries = 0;
    for (std::size_t n = 0; n < disks.size(); ++n) {
        DiskRecord record;
        record.number = static_cast<int>(n) + 1;
        record.volumeName = std::string(n < 10 ? "00" : n < 100 ? "0" : "") + std::to_string(n);
        record.serial = static_cast<std::uint32_t>(n) + 1;
        Result<std::int64_t> id = store.addDisk(record, 1773489600);
        Result<std::int64_t> list = Then(id, [&] { return store.beginEntries(*id); });
        if (!list) {
            std::cerr << list.reason() << "\n";
            return 1;
        }
        std::string failure;
        const WalkOutcome outcome = WalkIntoList(store, *list, disks[n].string(), {}, cancel, {}, failure);
        Result<Done> finished =
            store.finishEntries(*id, *list, outcome.end == WalkEnd::Finished, outcome.counts.skippedFolders);
        if (!failure.empty() || !finished) {
            std::cerr << (failure.empty() ? finished.reason() : failure) << "\n";
            return 1;
        }
        entries += outcome.counts.entries;
    }
    opened.value().reset(); // leaves everything in the main file
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("disks %zu entries %llu seconds %.3f bytes %llu\n", disks.size(),
                static_cast<unsigned long long>(entries), seconds,
                static_cast<unsigned long long>(server ? 0 : fs::file_size(file)));
    return 0;
}
