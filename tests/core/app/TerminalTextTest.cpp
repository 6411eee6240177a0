#include "core/app/TerminalText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(TerminalText, EscapesWhatWouldBreakALineAndBytesThatAreNotUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"tax 2019.pdf", "tax 2019.pdf"},
        {"", ""},
        {"a\tb", "a\\tb"},
        {"line one\nline two\r\n", "line one\\nline two\\r\\n"},
        {"C:\\tax\\new", "C:\\\\tax\\\\new"}, // a backslash that could pass for an escape
        {"\\x41", "\\\\x41"},                 // ... or for a hex one
        {"bell\a esc\x1b[31m del\x7f", "bell\\x07 esc\\x1b[31m del\\x7f"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        {"caf\xe9.txt", "caf\\xe9.txt"}, // Windows-1252 é, not UTF-8
        {"Straße 中 📀 été", "Straße 中 📀 été"},
        {"csi\xc2\x9b"
         "2J nbsp\u00a0",
         "csi\\xc2\\x9b2J nbsp\u00a0"},            // a C1 control, then U+00A0
        {"cut \xe4\xb8", "cut \\xe4\\xb8"},        // a character cut short at the end
        {"\xe4\xb8 mid", "\\xe4\\xb8 mid"},        // ... and before a space
        {"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80", // overlong '/', a surrogate, above U+10FFFF
         "\\xc0\\xaf \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},
        {"\x80\xbf\xff", "\\x80\\xbf\\xff"},
    };
    for (const auto& [name, shown] : cases) {
        EXPECT_EQ(TerminalText(name), shown);
    }
}

} // namespace
