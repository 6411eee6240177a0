#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// /tmp/tessaline-bench-folders/<n> holds n subfolders; made once and kept for later runs.
inline std::string BenchFolderWith(int n) {
    namespace fs = std::filesystem;
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

// Runs the registered benchmarks inside a headless QApplication, away from the machine's printers.
inline int RunQtBenchmarks(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Constructing a printer asks CUPS for the default; keep that away from the machine's scheduler.
    if (std::getenv("CUPS_SERVER") == nullptr) {
        setenv("CUPS_SERVER", "/nonexistent/tessaline-bench/cups.sock", 1);
    }
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
