#include "core/app/TerminalText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// The escapes read back: what a script that wants a name's bytes does with a field.
std::string Unescaped(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        const char kind = text.at(++i);
        if (kind == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind;
        }
    }
    return bytes;
}

TEST(TerminalText, NamesBecomeOneFieldAndComeBackWhole) {
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
        SCOPED_TRACE(shown);
        const std::string text = TerminalText(name);
        EXPECT_EQ(text, shown);
        EXPECT_EQ(text.find_first_of("\t\n\r"), std::string::npos);
        EXPECT_EQ(Unescaped(text), name);
    }
}

} // namespace
