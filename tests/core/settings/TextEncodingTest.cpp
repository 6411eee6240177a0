#include "core/settings/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextEncoding, ValidUtf8) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain", true},
        {"Jos\xc3\xa9 \xe2\x82\xac \xf0\x9f\x92\xbe", true},
        {"\xe9", false},             // a Windows-1252 letter
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong
        {"\xe0\x80\xaf", false},     // overlong
        {"\xed\xa0\x80", false},     // surrogate
        {"\xf4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xe2\x82x", false},        // bad continuation
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
    }
}

TEST(TextEncoding, Windows1252) {
    EXPECT_EQ(Windows1252ToUtf8("Caf\xe9 \x80 \x93q\x94 \xff"),
              "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d \xc3\xbf");
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8d"), "\xc2\x81\xc2\x8d"); // unassigned bytes stay as C1 controls
}

TEST(TextEncoding, LeftCountsCharacters) {
    EXPECT_EQ(Utf8Left("abc", 2), "ab");
    EXPECT_EQ(Utf8Left("abc", 5), "abc");
    EXPECT_EQ(Utf8Left("\xc3\xa9\xc3\xa9\xc3\xa9", 2), "\xc3\xa9\xc3\xa9");
    EXPECT_EQ(Utf8Left("a\xf0\x9f\x92\xbe"
                       "b",
                       2),
              "a\xf0\x9f\x92\xbe");
    EXPECT_EQ(Utf8Left("abc", 0), "");
}

} // namespace
