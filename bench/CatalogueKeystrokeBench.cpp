// Keystroke to results shown in the Catalogue window, over the million-entry catalogue that
// CatalogueIndexBench leaves behind: words of 2 to 8 letters typed a letter at a time, each keystroke timed
// until the window shows the results of the newest search.
//   CatalogueKeystrokeBench [catalogue file]
#include "core/catalogue/Catalogue.h"
#include "ui/catalogue/frmCatalogue.h"
#include "ui/forms/WindowServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0
                          : values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string file =
        argc > 1 ? argv[1]
                 : (std::filesystem::temp_directory_path() / "tessaline-bench-index.sqlite").string();
    if (!std::filesystem::exists(file)) {
        std::fprintf(stderr, "missing %s: run CatalogueIndexBench first\n", file.c_str());
        return 1;
    }
    WindowServices services;
    services.catalogue = std::make_shared<Catalogue>(file, nullptr);
    frmCatalogue window(services);
    window.Form_Load();
    window.show();

    // Words as people type them: parts of the names in the catalogue, a few that match nothing.
    const std::vector<std::string> words = {
        "scan-123", "invoices", "taxes 19", "photos",   "part 2", "журнал",  "café", "backup",
        "letters",  "music 20", "projects", "recettes", "zq",     "scan-49", ".pdf", "2011"};
    std::map<int, std::vector<double>> byLength;
    std::vector<double> all;
    for (int round = 0; round < 7; ++round) {
        for (const std::string& word : words) {
            window.txtSearch->clear();
            QApplication::processEvents();
            const QString typed = QString::fromStdString(word);
            for (int i = 0; i < typed.size(); ++i) {
                QElapsedTimer timer;
                timer.start();
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, typed.mid(i, 1));
                QApplication::sendEvent(window.txtSearch, &press);
                // Sleeps until the results come (processEvents with a time limit would spin, taking a
                // core from the search it waits for).
                while (window.searching()) {
                    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
                }
                const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                if (i + 1 >= 2) {
                    byLength[i + 1].push_back(ms);
                    all.push_back(ms);
                }
            }
        }
    }
    std::printf("letters  keystrokes  median ms  p95 ms\n");
    for (const auto& [length, times] : byLength) {
        std::printf("%7d  %10zu  %9.1f  %6.1f\n", length, times.size(), Percentile(times, 0.5),
                    Percentile(times, 0.95));
    }
    std::printf("    all  %10zu  %9.1f  %6.1f\n", all.size(), Percentile(all, 0.5), Percentile(all, 0.95));
    // The window's peak memory over all the typing, as the kernel counts it.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            std::printf("peak memory (%s)\n", line.c_str());
        }
    }
    return 0;
}
