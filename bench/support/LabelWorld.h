#pragma once

// The label window's world for the benchmarks: a fake Zip drive, a temporary profile, silent messages, a
// modal runner that paints the window once and closes it, and a PDF file as the printer.
#include "core/disks/DriveService.h"
#include "core/runtime/Clock.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/ProgramState.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/Settings.h"
#include "support/BenchSupport.h"
#include "ui/forms/ModalRunner.h"
#include "ui/forms/PrinterProvider.h"
#include "ui/forms/QtLocaleFormats.h"
#include "ui/forms/WindowServices.h"
#include "ui/print/QtPrinter.h"

#include <QDialog>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    Result<std::unique_ptr<Printer>> defaultPrinter() override {
        return std::unique_ptr<Printer>(QtPrinter::PdfFile(file));
    }
    std::string file = (std::filesystem::temp_directory_path() / "tessaline-bench-label.pdf").string();
};

// The program's services over a temporary profile (ID_INDEX 41) and a drive mounted at `folder`.
struct LabelWorld {
    explicit LabelWorld(const std::string& folder) {
        profile = std::filesystem::temp_directory_path() / "tessaline-bench-Tesslin1.ini";
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
        std::filesystem::remove(profile);
        std::filesystem::remove(printer->file);
    }
    std::filesystem::path profile;
    WindowServices services;
    std::shared_ptr<SilentMessages> messages;
    std::shared_ptr<PdfPrinter> printer;
};

// Folders at the disk's root; 0 stands for a disk with three folders.
inline std::string diskFolder(int n) {
    if (n > 0) {
        return BenchFolderWith(n);
    }
    const std::string dir = (std::filesystem::temp_directory_path() / "tessaline-bench-disk").string();
    for (const char* name : {"Letters", "Photos", "Taxes"}) {
        std::filesystem::create_directories(dir + "/" + name);
    }
    return dir;
}
