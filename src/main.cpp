// tessaline: answers the terminal commands itself; every other start runs the desktop program, which is a
// library it loads. It links no toolkit, so a terminal command loads nothing of the desktop, and a desktop
// start does not pay for starting a second program.
#include "core/app/CommandLine.h"
#include "core/app/DescriptorOutput.h"
#include "core/app/DesktopLibrary.h"
#include "core/catalogue/CataloguePath.h"
#include "core/settings/CatalogueSetting.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfilePath.h"

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// The desktop library, found from this program's own file (not from PATH or the name it was started by),
// so an installed copy and a build tree each load their own. Plain system calls: this path runs in the
// process that becomes the desktop program, which should carry nothing of it.
std::string DesktopLibraryFile() {
    std::array<char, 4096> self{};
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string file = length > 0 ? std::string(self.data(), static_cast<std::size_t>(length)) : "";
    file.erase(file.find_last_of('/') + 1);
    return file + TESSALINE_DESKTOP_LIBRARY;
}

// Says why, on the standard error, and answers the exit code.
int CannotStart(const char* why) {
    const std::string message = std::string("tessaline: cannot start the desktop program: ") + why + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message.data(), message.size());
    return 127;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // The terminal commands answer before anything of the desktop starts: no display, no instance lock.
    if (IsTerminalCommand(args)) {
        DescriptorOutput errors(STDERR_FILENO);
        std::ostream err(&errors);
        const IniProfileStore profile(DefaultProfilePath());
        const int code = *RunCommandLine(args, ConfiguredCatalogue(profile, DefaultCataloguePath().string()),
                                         STDOUT_FILENO, err, LastDiskNumber(profile));
        err.flush();
        return code;
    }
    // Bound lazily, as a program's own libraries are at its start. It stays loaded until the end.
    const std::string file = DesktopLibraryFile();
    void* desktop = ::dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (desktop == nullptr) {
        return CannotStart(::dlerror());
    }
    const auto run =
        reinterpret_cast<DesktopLibrary::MainFunction>(::dlsym(desktop, DesktopLibrary::MainEntry));
    if (run == nullptr) {
        return CannotStart(::dlerror());
    }
    // The arguments go on as they came, the program's name included: the toolkit reads its own options
    // from them and names the windows after it.
    return run(argc, argv);
}
