#include "core/settings/TextEncoding.h"

#include "Utf16Bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(TextEncoding, ValidUtf8) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"plain text, longer than a word", true},
        {"Jos\xc3\xa9 \xe2\x82\xac \xf0\x9f\x92\xbe \xf4\x8f\xbf\xbf", true},
        {"\xe9", false},             // a Windows-1252 letter
        {"12345678\xe9", false},     // behind eight ASCII bytes
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong
        {"\xe0\x80\xaf", false},     // overlong
        {"\xf0\x80\x80\xaf", false}, // overlong
        {"\xed\xa0\x80", false},     // surrogate
        {"\xf4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xf5\x80\x80\x80", false}, // never a lead byte
        {"\xe2\x82x", false},        // bad continuation
        {"\xf0\x9f\x92x", false},    // bad last continuation
    };
    for (const auto& [bytes, valid] : cases) {
        EXPECT_EQ(IsValidUtf8(bytes), valid) << testing::PrintToString(bytes);
    }
}

TEST(TextEncoding, Windows1252BothWays) {
    EXPECT_EQ(Windows1252ToUtf8("Caf\xe9 \x80 \x93q\x94 \xff"),
              "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d \xc3\xbf");
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8d"), "\xc2\x81\xc2\x8d"); // unassigned bytes stay as C1 controls

    // Every byte comes back from its UTF-8 form, so a line written in the code page reads as it was.
    std::string everyByte;
    for (int c = 1; c < 256; ++c) {
        everyByte += static_cast<char>(c);
    }
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(everyByte)), everyByte);
    for (const char* beyond : {"\xd0\xb6", "a\xe4\xb8\xad", "\xf0\x9f\x92\xbe", "\xc2\x80", "\xe9"}) {
        EXPECT_EQ(Utf8ToWindows1252(beyond), std::nullopt) << testing::PrintToString(std::string(beyond));
    }
}

TEST(TextEncoding, Utf16BothWays) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", ""},
        {u"[G]\r\nA=Jos\u00e9 \u0436\u4e2d\r\n", "[G]\r\nA=Jos\xc3\xa9 \xd0\xb6\xe4\xb8\xad\r\n"},
        // Surrogate pairs, from the first code point that needs one to the last.
        {u"\U00010000\U0001F4BE\U0010FFFF", "\xf0\x90\x80\x80\xf0\x9f\x92\xbe\xf4\x8f\xbf\xbf"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [units, utf8] : cases) {
        for (const bool big : {false, true}) {
            const ByteOrder order = big ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
            bool exact = false;
            EXPECT_EQ(Utf16ToUtf8(Utf16Bytes(units, big), order, &exact), utf8);
            EXPECT_TRUE(exact);
            EXPECT_EQ(Utf8ToUtf16(utf8, order), Utf16Bytes(units, big));
        }
    }
    // Bytes that are not UTF-8 count as Windows-1252.
    EXPECT_EQ(Utf8ToUtf16("Jos\xe9", ByteOrder::LittleEndian), Utf16Bytes(u"Jos\u00e9"));

    // What cannot go back as it was reads with U+FFFD and says so.
    const std::string replacement = "\xef\xbf\xbd";
    const std::pair<std::string, std::string> inexact[] = {
        {Utf16Bytes(u"a\xd800-"), "a" + replacement + "-"}, // lone high surrogate
        {Utf16Bytes(u"\xd800"), replacement},               // high surrogate at the end
        {Utf16Bytes(u"\xdc00"), replacement},               // lone low surrogate
        {std::string("a\0b", 3), "a" + replacement},        // odd last byte
    };
    for (const auto& [bytes, utf8] : inexact) {
        bool exact = true;
        EXPECT_EQ(Utf16ToUtf8(bytes, ByteOrder::LittleEndian, &exact), utf8);
        EXPECT_FALSE(exact);
    }
}

} // namespace
