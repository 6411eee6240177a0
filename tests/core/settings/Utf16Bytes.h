#pragma once

#include <string>
#include <string_view>

// UTF-16 code units as bytes, spelled out by hand so that no expectation leans on the code under test.
inline std::string Utf16Bytes(std::u16string_view units, bool bigEndian = false) {
    std::string bytes;
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A file as a Windows editor saves it as "Unicode": the byte-order mark, then the code units.
inline std::string Utf16File(std::u16string_view text, bool bigEndian = false) {
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Utf16Bytes(text, bigEndian);
}
