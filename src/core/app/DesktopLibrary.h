#pragma once

// What `tessaline` and the desktop library agree on: the library's one entry, found by name once the
// library is loaded. It runs the desktop program with the program's arguments and answers its exit code.
namespace DesktopLibrary {

inline constexpr const char* MainEntry = "tessaline_desktop_main";
using MainFunction = int (*)(int argc, char** argv);

} // namespace DesktopLibrary
