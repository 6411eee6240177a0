// The desktop program, tessaline-desktop: `tessaline` hands it every start that is not a terminal command.
#include "core/disks/linux/LinuxDriveService.h"
#include "ui/app/DesktopServices.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return RunDesktopProgram(DesktopServices(std::make_shared<LinuxDriveService>()));
}
