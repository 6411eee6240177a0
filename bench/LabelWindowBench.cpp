// The label window: from the Examine command to the window painted (a fake Zip drive whose disk holds
// a few, 1,000, 10,000 or 100,000 folders), and printing one label to a PDF file.
#include "core/disks/DriveService.h"
#include "core/runtime/Clock.h"
#include "core/runtime/MessageService.h"
#include "ui/forms/ModalRunner.h"
#include "ui/forms/PrintWindow.h"
#include "ui/forms/PrinterProvider.h"
#include "core/runtime/ProgramState.h"
#include "ui/forms/QtLocaleFormats.h"
#include "ui/forms/WindowServices.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/Settings.h"
#include "support/BenchSupport.h"

#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// One Zip drive with a 95.625 MB disk mounted at a given folder.
class BenchDrive final : public DriveService {
public:
    explicit BenchDrive(std::string folder) : m_folder(std::move(folder)) {}
    std::vector<std::string> driveRoots() const override { return {"/dev/sdb"}; }
    int driveType(const std::string&) const override { return DriveRemovable; }
    Result<DiskSpace> diskSpace(const std::string&) const override { return DiskSpace{512, 4, 64, 48960}; }
    Result<VolumeInformation> volumeInformation(const std::string&) const override {
        return VolumeInformation{"ZIPDISK", 0x1A2B3C4D};
    }
    Result<std::string> mountPoint(const std::string&) const override { return m_folder; }

private:
    std::string m_folder;
};

class SilentMessages final : public MessageService {
public:
    int show(const std::string&, int, const std::optional<std::string>&) override {
        ++shown;
        return 1;
    }
    int shown = 0;
};

// Paints the window once, as it would be seen, and closes it at once.
class PaintingModalRunner final : public ModalRunner {
public:
    int run(QDialog& dialog) override {
        benchmark::DoNotOptimize(dialog.grab());
        return 0;
    }
};

class PdfPrinter final : public PrinterProvider {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(file));
        return printer;
    }
    std::string file = (fs::temp_directory_path() / "tessaline-bench-label.pdf").string();
};

// The program's services over a temporary profile (ID_INDEX 41) and a drive mounted at `folder`.
struct LabelWorld {
    explicit LabelWorld(const std::string& folder) {
        profile = fs::temp_directory_path() / "tessaline-bench-Tesslin1.ini";
        std::ofstream(profile) << "[GLOBAL]\r\nOWNER=Anna Example\r\nCOMPANY=Example Widgets\r\n"
                                  "ADDR1=12 Harbour Road\r\nADDR2=Dunmore 4410\r\nADDR3=555 0199\r\n"
                                  "ZIPDRIVE=/dev/sdb\r\nID_INDEX=41\r\n";
        ResetProgram();
        services.profile = std::make_shared<IniProfileStore>(profile);
        services.drives = std::make_shared<BenchDrive>(folder);
        services.messages = messages = std::make_shared<SilentMessages>();
        services.clock = std::make_shared<SystemClock>();
        services.formats = std::make_shared<QtLocaleFormats>();
        services.modal = std::make_shared<PaintingModalRunner>();
        services.printer = printer = std::make_shared<PdfPrinter>();
        LoadSettings(services);
    }
    ~LabelWorld() {
        ResetProgram();
        fs::remove(profile);
        fs::remove(printer->file);
    }
    fs::path profile;
    WindowServices services;
    std::shared_ptr<SilentMessages> messages;
    std::shared_ptr<PdfPrinter> printer;
};

// Folders at the disk's root; 0 stands for a disk with three folders.
std::string diskFolder(int n) {
    if (n > 0) {
        return BenchFolderWith(n);
    }
    const std::string dir = (fs::temp_directory_path() / "tessaline-bench-disk").string();
    for (const char* name : {"Letters", "Photos", "Taxes"}) {
        fs::create_directories(dir + "/" + name);
    }
    return dir;
}

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
        Program().AutoPrint = true;
        ShowLabelWindow(world.services, nullptr);
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
        if (!PrintWindow(window, *printer)) {
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
