// The desktop library: `tessaline` loads it for every start that is not a terminal command and runs its
// entry, which chooses the real services and starts the windows.
#include "core/app/DesktopLibrary.h"
#include "core/disks/linux/LinuxDriveService.h"
#include "ui/app/DesktopServices.h"
#include "ui/forms/PrintLibrary.h"

#include <QApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>

#include <dlfcn.h>

extern "C" __attribute__((visibility("default"))) int tessaline_desktop_main(int argc, char** argv);
static_assert(std::is_same_v<decltype(&tessaline_desktop_main), DesktopLibrary::MainFunction>);

namespace {

// The printing library lies beside this one.
std::string PrintLibraryBesideThis() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&tessaline_desktop_main), &info) == 0 || info.dli_fname == nullptr) {
        return PrintLibrary::File;
    }
    return (std::filesystem::path(info.dli_fname).parent_path() / PrintLibrary::File).string();
}

} // namespace

int tessaline_desktop_main(int argc, char** argv) {
    QApplication app(argc, argv);
    return RunDesktopProgram(
        DesktopServices(std::make_shared<LinuxDriveService>(), PrintLibraryBesideThis()));
}
