#include "core/catalogue/CatalogueCsv.h"
#include "core/catalogue/CatalogueText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

TEST(CatalogueText, SizesAndNamesReadAsAPersonReadsThem) {
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
    EXPECT_EQ(NameText("Caf\xE9"), "Caf\xC3\xA9"); // Windows-1252 from an old FAT disk
}

TEST(CatalogueCsv, FieldsAreQuotedOnlyWhereTheyMustBe) {
    EXPECT_EQ(CsvRow({"a", "b,c", "", " padded ", "cr\rhere"}), "a,\"b,c\",, padded ,\"cr\rhere\"\r\n");
}
