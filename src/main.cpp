// tessaline: answers the terminal commands itself; every other start runs the desktop program, which is a
// library it loads. It links no toolkit, so a terminal command loads nothing of the desktop, and a desktop
// start does not pay for starting a second program.
#include "core/app/CommandLine.h"
#include "core/app/DesktopLibrary.h"
#include "core/catalogue/CataloguePath.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// The desktop library, found from this program's own file (not from PATH or the name it was started by),
// so an installed copy and a build tree each load their own.
std::filesystem::path DesktopLibraryFile() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / TESSALINE_DESKTOP_LIBRARY).lexically_normal();
}

} // namespace

int main(int argc, char** argv) {
    // The terminal commands answer before anything of the desktop starts: no display, no instance lock.
    if (const auto code = RunCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc),
                                         DefaultCataloguePath().string(), STDOUT_FILENO, std::cerr)) {
        return *code;
    }
    // Bound lazily, as a program's own libraries are at its start. It stays loaded until the end.
    const std::filesystem::path file = DesktopLibraryFile();
    void* desktop = ::dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    const auto run =
        desktop != nullptr
            ? reinterpret_cast<DesktopLibrary::MainFunction>(::dlsym(desktop, DesktopLibrary::MainEntry))
            : nullptr;
    if (run == nullptr) {
        const char* why = ::dlerror();
        std::cerr << "tessaline: cannot start the desktop program: " << (why ? why : file.string()) << "\n";
        return 127;
    }
    // The arguments go on as they came, the program's name included: the toolkit reads its own options
    // from them and names the windows after it.
    return run(argc, argv);
}
