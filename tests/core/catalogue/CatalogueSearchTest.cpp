#include "CatalogueFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Two disks; the first one's volume name holds "2019".
class CatalogueSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddCatalogueDisk(file.path, ZipDisk(7, "PHOTOS 2019", 1), {},
                         {{"", "Holiday", true},
                          {"Holiday", "Beach.JPG"},
                          {"", "журнал.txt"},
                          {"", "💾.iso"},
                          {"", "café.doc"},
                          {"", "cafe menu.doc"},
                          {"", "a"},
                          {"", "Tax 2019 scan.pdf"}});
        AddCatalogueDisk(file.path, ZipDisk(3, "WORK", 2), {},
                         {{"Reports", "tax return.pdf"},
                          {"", "a.txt"},
                          {"", "x AND y"},
                          {"", "say \"hi\".txt"},
                          {"", "*"},
                          {"", "bad\xff.txt"},
                          {"", "bad\xc3(.txt"}});
        store = file.open();
    }

    // The hits as "number:path", in their order.
    std::string found(const std::string& text) {
        Result<SearchResult> result = store->search(text);
        EXPECT_TRUE(result) << result.reason();
        std::string hits;
        for (const SearchHit& hit : result->hits) {
            hits += (hits.empty() ? "" : " | ") + std::to_string(hit.diskNumber) + ":" + hit.entry.path();
        }
        return hits;
    }

    CatalogueFile file;
    std::unique_ptr<CatalogueStore> store;
};

TEST_F(CatalogueSearchTest, FindsEntriesThatHoldEveryWord) {
    const struct {
        std::string text;
        std::string hits;
    } cases[] = {
        {"OLIDA", "7:Holiday"},
        {"ЖУРНАЛ", "7:журнал.txt"},
        {"cafe", "7:cafe menu.doc"},
        {"tax", "3:Reports/tax return.pdf | 7:Tax 2019 scan.pdf"},
        {"tax 2019", "7:Tax 2019 scan.pdf"},
        {"\"2019 scan\"", "7:Tax 2019 scan.pdf"},
        {"\"scan 2019\"", ""},
        {"tax \"scan 2019", ""}, // a quote left open runs to the end
        // A quote touching a word still ends the word before it and the phrase after it.
        {"tax\"2019 scan\"", "7:Tax 2019 scan.pdf"},
        {"\"return.pdf\"tax", "3:Reports/tax return.pdf"},
        // One letter: whole names only; two: any part, the end of a name included.
        {"A", "7:a"},
        {"pg", "7:Holiday/Beach.JPG"},
        {"ур", "7:журнал.txt"},
        {"ж", ""},         // one letter of two bytes
        {"💾.", "7:💾.iso"}, // two letters, the first of four bytes
        // A word in a volume name stands for every entry of its disk.
        {"work tax", "3:Reports/tax return.pdf"},
        {"ORK",
         "3:* | 3:Reports/tax return.pdf | 3:a.txt | 3:bad\xc3(.txt | 3:bad\xff.txt | 3:say \"hi\".txt | "
         "3:x AND y"},
        // Nothing of the text is read as a query operator.
        {"AND", "3:x AND y"},
        {"*", "3:*"},
        {"beach OR tax", ""},
        {"\"hi\"", "3:say \"hi\".txt"},
        {"\"", ""},
        // A word that is not UTF-8 is its bytes, not whatever a broken sequence reads as.
        {"BAD\xff", "3:bad\xff.txt"},
        {"bad\xc3(", "3:bad\xc3(.txt"},
        {"\xff", "3:bad\xff.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(found(c.text), c.hits) << c.text;
    }
}

} // namespace
