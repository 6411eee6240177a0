// How long the Catalogue window waits for a search: the first 1,000 hits and the count of all, as the
// window asks them, for each word given, over and over, on a catalogue already recorded (a file or a
// server). Prints each word's median and the median and 95th percentile over every search, in
// milliseconds, for bench/shared_catalogue.sh.
//   CatalogueLatencyBench CATALOGUE ROUNDS WORD...
#include "core/catalogue/CatalogueStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

double At(std::vector<double> times, double share) {
    std::sort(times.begin(), times.end());
    return times[static_cast<std::size_t>(share * static_cast<double>(times.size() - 1) + 0.5)];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: CatalogueLatencyBench CATALOGUE ROUNDS WORD...\n";
        return 2;
    }
    auto opened = CatalogueStore::open(argv[1], "2026-01-01", CatalogueAccess::Read);
    if (!opened) {
        std::cerr << opened.reason() << "\n";
        return 1;
    }
    const int rounds = std::atoi(argv[2]);
    std::vector<double> all;
    for (int word = 3; word < argc; ++word) {
        std::vector<double> times;
        std::uint64_t total = 0;
        for (int round = 0; round < rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            const Result<SearchResult> found = (*opened)->search(argv[word], 1000);
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (!found) {
                std::cerr << argv[word] << ": " << found.reason() << "\n";
                return 1;
            }
            total = found->total;
        }
        std::printf("%-12s %9llu hits  median %8.2f ms\n", argv[word], static_cast<unsigned long long>(total),
                    At(times, 0.5));
        all.insert(all.end(), times.begin(), times.end());
    }
    std::printf("all searches: median %.2f ms, p95 %.2f ms\n", At(all, 0.5), At(all, 0.95));
    return 0;
}
