#pragma once

#include "support/FakeDriveService.h"
#include "support/PdfFilePrinterProvider.h"
#include "support/ScriptedModal.h"
#include "support/WindowFixture.h"

#include "core/disks/DriveService.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/Settings.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// A label window's world: a profile with ID_INDEX 41 and an owner, a Zip drive /dev/sdb holding a disk of
// 95.625 MB with 0.125 MB free, mounted at a folder with three subfolders, an empty drive /dev/sdc, a PDF
// printer, and the settings loaded from that profile.
class LabelFixture : public WindowProfileFixture {
protected:
    static constexpr const char* ZipRoot = "/dev/sdb";
    static constexpr const char* EmptyRoot = "/dev/sdc";

    void SetUp() override {
        WindowProfileFixture::SetUp();
        writeProfile("41");

        diskFolder = dir / "disk";
        for (const char* folder : {"Letters", "Photos 1999", "Taxes"}) {
            std::filesystem::create_directories(diskFolder / folder);
        }
        drives = std::make_shared<FakeDriveService>();
        // 2048-byte clusters: 48960 in all (95.625 MB), 64 free (0.125 MB).
        drives->addDrive(ZipRoot, DriveRemovable, DiskSpace{512, 4, 64, 48960},
                         VolumeInformation{"ZIPDISK", 0x1A2B3C4D});
        drives->setMountPoint(ZipRoot, diskFolder.string());
        drives->addEmptyDrive(EmptyRoot, DriveRemovable);
        services.drives = drives;

        printer = std::make_shared<PdfFilePrinterProvider>((dir / "label.pdf").string());
        services.printer = printer;
        modal = std::make_shared<ScriptedModal>([this](QDialog& dialog) { onShown(dialog); });
        services.modal = modal;
        LoadSettings(services);
    }

    void writeProfile(const std::string& index, const std::string& zipDrive = ZipRoot,
                      const std::string& company = "Example Widgets") const {
        WriteBytes(profileFile, "[GLOBAL]\r\nOWNER=Anna Example\r\nCOMPANY=" + company +
                                    "\r\nADDR1=12 Harbour Road\r\nADDR2=Dunmore 4410\r\nADDR3=555 0199\r\n"
                                    "ZIPDRIVE=" +
                                    zipDrive + "\r\nID_INDEX=" + index + "\r\n");
    }
    std::string storedIndex() const {
        return IniProfileStore(profileFile).read("GLOBAL", "ID_INDEX").value_or({}).value_or("");
    }

    std::filesystem::path diskFolder;
    std::shared_ptr<FakeDriveService> drives;
    std::shared_ptr<PdfFilePrinterProvider> printer;
    std::shared_ptr<ScriptedModal> modal;
    // What a test does with the window while it is shown modally.
    std::function<void(QDialog&)> onShown = [](QDialog&) {};
};
