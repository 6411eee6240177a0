#include "core/catalogue/CatalogueCsv.h"
#include "core/catalogue/CatalogueText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

TEST(CatalogueText, SizesReadAsAPersonReadsThem) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {1, "1 byte"},           {999, "999 bytes"},
        {1000, "1.0 KB"},                            // 0.98 KB: shown in KB from 1,000 bytes on
        {102348, "99.9 KB"},     {102349, "100 KB"}, // 99.95 KB rounds up to a whole number, not to "100.0"
        {1023 * 1024, "1.0 MB"}, {1024ULL * 1024 * 1024 * 1024 * 5000, "5,000 TB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
    }
    EXPECT_EQ(SizeText(1536, ','), "1,5 KB");
}

// Bytes that are not UTF-8 show as replacement marks, one for each stray byte or character cut short, never
// as the letters some code page would make of them.
TEST(CatalogueText, NamesThatAreNotUtf8ShowReplacementMarks) {
    const std::string mark = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xC3\xA9 \xF0\x9F\x92\xBE", "Caf\xC3\xA9 \xF0\x9F\x92\xBE"}, // UTF-8 as it is
        {"bad\xFF.txt", "bad" + mark + ".txt"},                           // not "bad\xC3\xBF.txt"
        {"Caf\xE9", "Caf" + mark},                                        // a Windows-1252 letter
        {"\xE2\x82.txt", mark + ".txt"},                                  // a character cut short
        {"\xF0\x9F\x92", mark},                                           // ... at the end
        {"\xC0\xAF", mark + mark},                                        // overlong: two stray bytes
        {"\xED\xA0\x80", mark + mark + mark},                             // a surrogate
        {"\x80\x80ok", mark + mark + "ok"},
    };
    for (const auto& [bytes, shown] : cases) {
        EXPECT_EQ(NameText(bytes), shown) << testing::PrintToString(bytes);
    }
}

TEST(CatalogueCsv, FieldsAreQuotedOnlyWhereTheyMustBe) {
    EXPECT_EQ(CsvRow({"a", "b,c", "", " padded ", "cr\rhere"}), "a,\"b,c\",, padded ,\"cr\rhere\"\r\n");
}

// A duplicate on a disk that was labelled again as new is marked, so that a sheet of copies does not count
// one physical disk twice.
TEST(CatalogueCsv, ACopyOnADiskRecordedTwiceNamesTheOtherRecord) {
    SearchHit hit;
    hit.diskNumber = 40;
    hit.entry = CatalogueEntry{"Scans", "scan.tif", false, 7, 0};
    hit.sameDiskAs = 12;
    EXPECT_EQ(SearchHitCsvRow(hit), "40,,Scans,scan.tif,file,7,,,12\r\n");
    hit.sameDiskAs = 0;
    EXPECT_EQ(SearchHitCsvRow(hit), "40,,Scans,scan.tif,file,7,,,\r\n");
}
