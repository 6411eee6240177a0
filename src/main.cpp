#include "core/app/CommandLine.h"
#include "core/catalogue/CataloguePath.h"
#include "core/disks/linux/LinuxDriveService.h"
#include "ui/app/DesktopServices.h"

#include <QApplication>

#include <iostream>
#include <memory>

#include <unistd.h>

int main(int argc, char** argv) {
    // The terminal commands answer before anything of the desktop starts: no display, no instance lock.
    if (const auto code = RunCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc),
                                         DefaultCataloguePath().string(), STDOUT_FILENO, std::cerr)) {
        return *code;
    }
    QApplication app(argc, argv);
    return RunDesktopProgram(DesktopServices(std::make_shared<LinuxDriveService>()));
}
