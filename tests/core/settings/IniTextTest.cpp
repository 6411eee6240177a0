#include "core/settings/IniText.h"
#include "core/settings/TextEncoding.h"

#include "Utf16Bytes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The reading rules of the Windows private-profile service.
TEST(IniText, ReadFindsTheValueAsWindowsDoes) {
    const std::tuple<const char*, std::string, std::string, std::string, std::optional<std::string>> cases[] =
        {
            {"runs_of_breaks", "\r\n\n\r[GLOBAL]\n\r\r\n\nOWNER=Anna\r\r", "GLOBAL", "OWNER", "Anna"},
            {"blanks_trimmed_inner_kept", "  [G]  \n \t A \x0b = \x1a Anna  Berg \t\f\n", "G", "A",
             "Anna  Berg"},
            {"header_trimmed", "[ GLOBAL ]\nOWNER=x\n", "GLOBAL", "OWNER", "x"},
            {"text_after_header", "[GLOBAL] ; main\nOWNER=x\n", "GLOBAL", "OWNER", "x"},
            {"bracket_line_is_a_key", "[GLOBAL]\n[broken=1\nOWNER=x\n", "GLOBAL", "[broken", "1"},
            {"first_equals_splits_no_comment", "[G]\nA = b = c ; note\n", "G", "A", "b = c ; note"},
            {"no_equals_hides_later_key", "[G]\nOWNER\nOWNER=x\n", "G", "OWNER", std::nullopt},
            {"before_first_header", "OWNER=x\n[GLOBAL]\n", "GLOBAL", "OWNER", std::nullopt},
            {"case_ignored", "[global]\nowner=x\n", "GLOBAL", "Owner", "x"},
            {"asked_names_trimmed", "[GLOBAL]\nOWNER=x\n", " GLOBAL\t", " OWNER ", "x"},
            {"first_section_only", "[G]\nA=1\n[G]\nA=2\nB=3\n", "G", "B", std::nullopt},
            {"first_key_wins", "[G]\nA=1\nA=2\n", "G", "A", "1"},
            {"other_section", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
            {"missing_section", "[A]\nk=1\n", "B", "k", std::nullopt},
            {"empty_value", "[A]\nk=\n", "A", "k", ""},
            {"double_quotes", "[A]\nk=\"  x  \"\n", "A", "k", "  x  "},
            {"single_quotes", "[A]\nk='x'\n", "A", "k", "x"},
            {"mixed_quotes", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
            {"lone_quote", "[A]\nk=\"\n", "A", "k", "\""},
            {"nul_ends_value", std::string("[A]\nk=ab\0cd\n", 12), "A", "k", "ab"},
            {"byte_order_mark", "\xef\xbb\xbf[GLOBAL]\r\nOWNER=x\r\n", "GLOBAL", "OWNER", "x"},
            {"windows_1252", "[G]\r\nOWNER=Jos\xe9 M\xfcller \x80\r\n", "G", "OWNER",
             "Jos\xc3\xa9 M\xc3\xbcller \xe2\x82\xac"},
            {"1252_line_beside_utf8", "[G]\nA=\xe9\nB=\xc3\xa9\n", "G", "B", "\xc3\xa9"},
        };
    for (const auto& [name, text, section, key, expected] : cases) {
        EXPECT_EQ(IniReadValue(text, section, key), expected) << name;
    }
}

// A write changes only the key's line, or adds it after the section's last filled line, in the file's own
// line endings and encoding.
TEST(IniText, WriteChangesOnlyTheKeysLine) {
    const std::tuple<const char*, std::string, std::string, std::string, std::string, std::string> cases[] = {
        {"replace_keeps_everything_else", "; T\r\n\r\n[global]\r\n  owner = Old ; c\r\n\r\n; n\r\nB = V \r\n",
         "GLOBAL", "OWNER", "New", "; T\r\n\r\n[global]\r\nowner=New\r\n\r\n; n\r\nB = V \r\n"},
        {"replace_last_line_without_ending", "[G]\r\nA=1", "G", "a", "2", "[G]\r\nA=2"},
        {"replace_key_without_equals", "[G]\nOWNER\n", "G", "OWNER", "x", "[G]\nOWNER=x\n"},
        {"first_key_of_first_section", "[G]\nA=1\nA=2\n[G]\nA=3\n", "G", "A", "9",
         "[G]\nA=9\nA=2\n[G]\nA=3\n"},
        {"new_key_in_first_section", "[G]\nB=1\n[G]\nA=3\n", "G", "A", "9", "[G]\nB=1\nA=9\n[G]\nA=3\n"},
        {"new_key_after_last_filled_line", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"new_key_under_bare_header", "[A]\r\n\r\n[B]", "A", "k", "v", "[A]\r\nk=v\r\n\r\n[B]"},
        {"new_key_at_end_without_ending", "[A]\r\nx=1", "A", "k", "v", "[A]\r\nx=1\r\nk=v\r\n"},
        {"keys_before_header_not_matched", "A=1\r\n[G]\r\n", "G", "A", "2", "A=1\r\n[G]\r\nA=2\r\n"},
        {"new_section_after_unended_line", "[A]\r\nx=1", "G", "k", "v", "[A]\r\nx=1\r\n[G]\r\nk=v\r\n"},
        {"new_file_names_trimmed", "", " G ", " k ", "v", "[G]\r\nk=v\r\n"},
        {"lf_file_gets_lf", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"cr_file_gets_cr", "[A]\rx=1\r", "A", "k", "v", "[A]\rx=1\rk=v\r"},
        {"mixed_file_gets_crlf", "[A]\nx=1\r\n", "A", "k", "v", "[A]\nx=1\r\nk=v\r\n"},
        {"line_breaks_in_value", "", "G", "k", "a\r\nb\rc\nd", "[G]\r\nk=a  b c d\r\n"},
        {"byte_order_mark_kept", "\xef\xbb\xbf[G]\r\nA=1\r\n", "G", "A", "2", "\xef\xbb\xbf[G]\r\nA=2\r\n"},
        // A Windows-1252 file stays one: a line goes in that code page wherever it reads back as meant.
        {"1252_value_in_1252", "[G]\r\nOWNER=Jos\xe9\r\nCOMPANY=x\r\n", "G", "COMPANY",
         "Caf\xc3\xa9 \xe2\x82\xac", "[G]\r\nOWNER=Jos\xe9\r\nCOMPANY=Caf\xe9 \x80\r\n"},
        {"1252_key_keeps_its_bytes", "[G]\r\nCL\xc9=1\r\n", "G", "cl\xc3\x89", "2", "[G]\r\nCL\xc9=2\r\n"},
        {"1252_value_beyond_1252_in_utf8", "[G]\r\nOWNER=Jos\xe9\r\nCOMPANY=x\r\n", "G", "COMPANY",
         "\xd0\xb6", "[G]\r\nOWNER=Jos\xe9\r\nCOMPANY=\xd0\xb6\r\n"},
        {"1252_key_goes_utf8_with_such_a_value", "[G]\r\nCL\xc9=1\r\n", "G", "CL\xc3\x89", "\xe4\xb8\xad",
         "[G]\r\nCL\xc3\x89=\xe4\xb8\xad\r\n"},
        {"1252_new_section_and_key", "[A]\r\nx=\xe9\r\n", "\xc3\x89T\xc3\x89", "CL\xc3\x89", "\xc3\xa9",
         "[A]\r\nx=\xe9\r\n[\xc9T\xc9]\r\nCL\xc9=\xe9\r\n"},
        {"1252_bytes_that_would_pass_for_utf8", "[G]\r\nA=\xe9\r\n", "G", "A", "\xc3\x83\xc2\xa9",
         "[G]\r\nA=\xc3\x83\xc2\xa9\r\n"},
        {"utf8_file_stays_utf8", "[G]\nA=\xc3\xa9\n", "G", "B", "\xc3\xbc", "[G]\nA=\xc3\xa9\nB=\xc3\xbc\n"},
        {"new_file_in_utf8", "", "G", "k", "\xe9", "[G]\r\nk=\xc3\xa9\r\n"},
    };
    for (const auto& [name, before, section, key, value, after] : cases) {
        EXPECT_EQ(IniWriteValue(before, section, key, value), after) << name;
    }
}

// Only names that cannot add lines to the file are written; each name here as a section's and as a key's.
TEST(IniText, WritableNames) {
    const std::tuple<const char*, bool, bool> cases[] = {
        {"GLOBAL", true, true},     {"a[b", true, true},      {"GLO\rBAL", false, false},
        {"GLO\nBAL", false, false}, {"GLO]BAL", false, true}, {"OW=NER", true, false},
        {"[OWNER", true, false},    {" [OWNER", true, false}};
    for (const auto& [name, section, key] : cases) {
        EXPECT_EQ(IsWritableSectionName(name), section) << name;
        EXPECT_EQ(IsWritableKeyName(name), key) << name;
    }
}

TEST(TextEncoding, ValidUtf8) {
    const std::pair<std::string, bool> cases[] = {
        {"plain text, longer than a word", true},
        {"Jos\xc3\xa9 \xe2\x82\xac \xf0\x9f\x92\xbe \xf4\x8f\xbf\xbf", true},
        {"\xe9", false},             // a Windows-1252 letter
        {"12345678\xe9", false},     // behind eight ASCII bytes
        {"\xc0\xaf", false},         // overlong
        {"\xe0\x80\xaf", false},     // overlong
        {"\xf0\x80\x80\xaf", false}, // overlong
        {"\xed\xa0\x80", false},     // surrogate
        {"\xf4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xe2\x82x", false},        // bad continuation
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
        {u"[G]\r\nA=Jos\u00e9 \u0436\u4e2d\r\n", "[G]\r\nA=Jos\xc3\xa9 \xd0\xb6\xe4\xb8\xad\r\n"},
        // Surrogate pairs, from the first code point that needs one to the last.
        {u"\U00010000\U0001F4BE\U0010FFFF", "\xf0\x90\x80\x80\xf0\x9f\x92\xbe\xf4\x8f\xbf\xbf"},
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
