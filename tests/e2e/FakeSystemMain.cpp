// The program as the whole-program tests run it: everything real except the drives, which come from the
// fake system tree named by TESSALINE_FAKE_SYSROOT. It is built beside the desktop and printing libraries
// and prints through the printing library there, as the desktop library does.
#include "core/disks/linux/LinuxDriveService.h"
#include "ui/app/DesktopServices.h"
#include "ui/forms/PrintLibrary.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* root = std::getenv("TESSALINE_FAKE_SYSROOT");
    const std::string r = root != nullptr ? root : "";
    auto drives = std::make_shared<LinuxDriveService>(LinuxSystemPaths{
        r + "/proc/self/mountinfo", r + "/sys", r + "/run/udev/data", r + "/dev/disk", r + "/dev"});
    const std::string printLibrary =
        QCoreApplication::applicationDirPath().toStdString() + "/" + PrintLibrary::File;
    return RunDesktopProgram(DesktopServices(std::move(drives), printLibrary));
}
