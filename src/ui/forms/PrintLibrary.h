#pragma once

class Printer;

// What the program and the printing library agree on: the library's file, beside the desktop program, and
// its one entry, found by name once the library is loaded. The entry answers the default printer (owned by
// the caller), or null when there is none.
namespace PrintLibrary {

inline constexpr const char* File = "libtessaline-print.so";
inline constexpr const char* DefaultPrinterEntry = "tessaline_default_printer";
using DefaultPrinterFunction = Printer* (*)();

} // namespace PrintLibrary
