#include "app/InstanceGuard.h"
#include "app/Shell.h"
#include "disks/linux/LinuxDriveService.h"
#include "forms/Clock.h"
#include "forms/ProgramState.h"
#include "forms/QtMessageService.h"
#include "forms/SystemPrinterProvider.h"
#include "settings/IniProfileStore.h"
#include "settings/ProfilePath.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::shared_ptr<DriveService> makeDriveService() {
#ifdef TESSALINE_FAKE_SYSTEM
    // Whole-program tests build this variant: drives come from a fake system tree, nothing else differs.
    if (const char* root = std::getenv("TESSALINE_FAKE_SYSROOT")) {
        const std::string r(root);
        return std::make_shared<LinuxDriveService>(LinuxSystemPaths{
            r + "/proc/self/mountinfo", r + "/sys", r + "/run/udev/data", r + "/dev/disk", r + "/dev"});
    }
#endif
    return std::make_shared<LinuxDriveService>();
}

// The real platform services; tests put fakes in their place.
void installPlatformServices() {
    auto& services = Program().services;
    services.profile = std::make_shared<IniProfileStore>(DefaultProfilePath());
    services.drives = makeDriveService();
    services.messages = std::make_shared<QtMessageService>();
    services.terminator = std::make_shared<ExitTerminator>();
    services.clock = std::make_shared<SystemClock>();
    services.printer = std::make_shared<SystemPrinterProvider>();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Vantrell");
    QApplication::setApplicationName("Tesslin1");
    QApplication::setApplicationVersion("1.00");

    installPlatformServices();

    const InstanceGuard guard;
    Shell shell;
    if (!shell.Main(guard)) {
        return 0;
    }
    return QApplication::exec();
}
