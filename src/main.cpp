// tessaline: answers the terminal commands itself and hands every other start to the desktop program.
// It links no toolkit, so a terminal command loads nothing of the desktop.
#include "core/app/CommandLine.h"
#include "core/catalogue/CataloguePath.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace {

// The desktop program, found from this program's own file (not from PATH or the name it was started by),
// so an installed copy and a build tree each start their own.
std::filesystem::path DesktopProgram() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path() / TESSALINE_DESKTOP_PROGRAM).lexically_normal();
}

} // namespace

int main(int argc, char** argv) {
    // The terminal commands answer before anything of the desktop starts: no display, no instance lock.
    if (const auto code = RunCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc),
                                         DefaultCataloguePath().string(), STDOUT_FILENO, std::cerr)) {
        return *code;
    }
    // The arguments go on as they came, the program's name included: the toolkit reads its own options
    // from them and names the windows after it.
    const std::filesystem::path desktop = DesktopProgram();
    ::execv(desktop.c_str(), argv);
    const int error = errno;
    std::cerr << "tessaline: cannot start the desktop program " << desktop.string() << ": "
              << std::strerror(error) << "\n";
    return error == ENOENT ? 127 : 126;
}
