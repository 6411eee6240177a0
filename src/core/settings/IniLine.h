#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The line-level rules of INI text, shared by the reader (IniDocument) and the writer (IniText).

// The small helpers are inline: they run for every byte of a large file.

// Blanks of an INI line: the bytes 0x09-0x0D, 0x1A and 0x20.
inline bool IsIniSpace(char c) {
    return (c >= '\t' && c <= '\r') || c == '\x1A' || c == ' ';
}

inline std::string_view IniTrimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsIniSpace(s[i])) {
        ++i;
    }
    return s.substr(i);
}

inline std::string_view IniTrimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsIniSpace(s[n - 1])) {
        --n;
    }
    return s.substr(0, n);
}

inline std::string_view IniTrim(std::string_view s) {
    return IniTrimRight(IniTrimLeft(s));
}

// Section and key names compare with ASCII letters' case ignored.
inline char IniLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool SameIniName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IniLower(a[i]) != IniLower(b[i])) {
            return false;
        }
    }
    return true;
}

// Text from the program as UTF-8: bytes that are not UTF-8 count as Windows-1252, as in the file.
std::string IniAsUtf8(std::string_view text);

// Where the lines begin: behind a UTF-8 byte-order mark, which is no part of the first line.
std::size_t IniBodyStart(std::string_view text);

// One physical line: its content [begin, contentEnd) and its ending (CR LF, CR or LF) up to `end`.
struct IniRawLine {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

// The line that starts at `pos` (which must be inside the text).
IniRawLine IniLineAt(std::string_view text, std::size_t pos);

enum class IniLineKind { Blank, Header, Entry };

struct IniLineParts {
    IniLineKind kind = IniLineKind::Blank;
    std::string_view name; // section name or key
    bool hasValue = false;
    std::string_view value;
};

// Splits one line's content (read as UTF-8, or as Windows-1252 when it is not UTF-8). The views point into
// `content`; a line that needs decoding must be decoded first (IniLineText).
IniLineParts ParseIniLine(std::string_view content);

// A line's content as UTF-8: itself, or decoded from Windows-1252 into `decoded` when it is not UTF-8.
std::string_view IniLineText(std::string_view raw, std::string& decoded);
