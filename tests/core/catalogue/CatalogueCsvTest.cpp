#include "support/LocalTime.h"

#include "core/catalogue/CatalogueCsv.h"
#include "core/catalogue/CatalogueText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace {

std::int64_t Seconds(Clock::TimePoint when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

const std::string Bom = "\xEF\xBB\xBF";

} // namespace

TEST(CatalogueText, SizesReadAsAPersonReadsThem) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1.0 KB"}, // 0.98 KB: shown in KB from 1,000 bytes on
        {1536, "1.5 KB"},
        {102348, "99.9 KB"},
        {102349, "100 KB"}, // 99.95 KB rounds up to a whole number, not to "100.0"
        {1023 * 1024, "1.0 MB"},
        {100431872, "95.8 MB"}, // a Zip 100
        {250640384, "239 MB"},  // a Zip 250
        {1024ULL * 1024 * 1024 * 2, "2.0 GB"},
        {1024ULL * 1024 * 1024 * 1024 * 5000, "5,000 TB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
    }
    EXPECT_EQ(SizeText(1536, ','), "1,5 KB");
}

TEST(CatalogueText, CountsSerialsAndDates) {
    EXPECT_EQ(MatchCountText(0, 0), "No matches");
    EXPECT_EQ(MatchCountText(1, 1), "1 match");
    EXPECT_EQ(MatchCountText(1000, 1000), "1,000 matches");
    EXPECT_EQ(MatchCountText(1000, 12345), "1,000 of 12,345");
    EXPECT_EQ(GroupedCount(1234567), "1,234,567");
    EXPECT_EQ(GroupedCount(100), "100");

    EXPECT_EQ(SerialText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(SerialText(0xAB), "0000-00AB");

    EXPECT_EQ(IsoDateTime(Seconds(LocalTime(2026, 3, 14, 9, 47, 5))), "2026-03-14 09:47:05");
    EXPECT_EQ(IsoDateTime(0), "");

    EXPECT_EQ(NameText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(NameText("Caf\xE9"), "Caf\xC3\xA9"); // Windows-1252 from an old FAT disk
}

TEST(CatalogueCsv, FieldsAreQuotedOnlyWhereTheyMustBe) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {" padded ", " padded "},
        {"\xD0\xB6\xE4\xB8\xAD", "\xD0\xB6\xE4\xB8\xAD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    }
    EXPECT_EQ(CsvRow({"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

TEST(CatalogueCsv, DisksAreWrittenWithEveryFact) {
    DiskRecord disk;
    disk.number = 42;
    disk.volumeName = "ZIPDISK";
    disk.serial = 0x1A2B3C4D;
    disk.driveType = "REMOVABLE";
    disk.capacityBytes = 100270080;
    disk.usedBytes = 100139008;
    disk.freeBytes = 131072;
    disk.firstLabelled = Seconds(LocalTime(2026, 3, 14, 9, 47, 0));
    disk.lastLabelled = Seconds(LocalTime(2026, 4, 1, 12, 0, 0));
    disk.company = "Smith, Jones & \"Co\"";
    disk.entries = 12345;
    disk.skippedFolders = 2;
    disk.complete = false;

    EXPECT_EQ(DisksCsv({disk}),
              Bom + "Disk,Volume,Serial,Drive type,Capacity (bytes),Used (bytes),Free (bytes),First labelled,"
                    "Last labelled,Company,Entries,Unreadable folders,Complete\r\n"
                    "42,ZIPDISK,1A2B-3C4D,REMOVABLE,100270080,100139008,131072,2026-03-14 09:47:00,"
                    "2026-04-01 12:00:00,\"Smith, Jones & \"\"Co\"\"\",12345,2,no\r\n");
}
