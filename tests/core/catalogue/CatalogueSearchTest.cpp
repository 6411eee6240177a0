#include "CatalogueFiles.h"

#include "support/LocalTime.h"

#include "core/catalogue/CatalogueSearch.h"
#include "core/catalogue/CatalogueText.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr std::uint64_t MB = 1024 * 1024;

// Disk #1, 12,000 files of no word searched for: read in order first, a search's first rows are not found
// among them soon, so that the indexes answer instead.
void AddDiskReadInVain(const std::string& file, Clock::TimePoint at) {
    std::vector<CatalogueEntry> filler;
    for (int n = 0; n < 12000; ++n) {
        filler.push_back(FileEntry("", "file " + std::to_string(n), 10, at));
    }
    AddCatalogueDisk(file, ZipDisk(1, "A", 1), at, filler);
}

// The hits as "number:path", in their order.
std::vector<std::string> Places(const std::vector<SearchHit>& hits) {
    std::vector<std::string> places;
    for (const SearchHit& hit : hits) {
        places.push_back(std::to_string(hit.diskNumber) + ":" + hit.entry.path());
    }
    return places;
}

// Five disks; #7's volume name holds "2019"; #40 is #12 labelled again as a new disk (same serial and
// capacity); #5, recorded last, holds two memos among many other files, so that its few hits are read one
// by one.
class CatalogueSearchTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        const Clock::TimePoint labelled = LocalTime(2026, 3, 14, 12, 0, 0);
        const Clock::TimePoint earlier = LocalTime(2018, 1, 1, 12, 0, 0);
        AddCatalogueDisk(file.path, ZipDisk(7, "PHOTOS 2019", 1), labelled,
                         {FolderEntry("", "Holiday"),
                          FileEntry("Holiday", "Beach.JPG", 2 * MB, LocalTime(2019, 7, 14, 10, 0, 0)),
                          FileEntry("", "журнал.txt", 10, earlier), FileEntry("", "💾.iso", 10, earlier),
                          FileEntry("", "café.doc", 10, earlier), FileEntry("", "cafe menu.doc", 10, earlier),
                          FileEntry("", "a", 10, earlier),
                          FileEntry("", "Tax 2019 scan.pdf", 300 * 1024, LocalTime(2019, 3, 10, 9, 0, 0))});
        AddCatalogueDisk(
            file.path, ZipDisk(3, "WORK", 2), labelled,
            {FolderEntry("", "ReportsReports"), FileEntry("ReportsReports", "a.txt", 10, earlier),
             FolderEntry("", "Reports"), FileEntry("Reports", "tax return.pdf", 45056, earlier),
             FileEntry("Reports", "receipt.tif", 4096, earlier), FolderEntry("", "Scans"),
             FileEntry("Scans", "receipt.tif", 4096, earlier), FileEntry("", "a.txt", 10, earlier),
             FileEntry("", "x AND y", 10, earlier), FileEntry("", "say \"hi\".txt", 10, earlier),
             FileEntry("", "*", 10, earlier), FileEntry("", "bad\xff.txt", 10, earlier),
             FileEntry("", "bad\xc3(.txt", 10, earlier), FileEntry("", "Reports 2.ods", 10, earlier),
             FileEntry("", "Reports0.ods", 10, earlier)});
        const std::vector<CatalogueEntry> taxes = {
            FolderEntry("", "Steuer"), FolderEntry("Steuer", "Belege_2019"),
            FileEntry("Steuer/Belege_2019", "Scan ж.pdf", 2 * MB, LocalTime(2019, 5, 2, 8, 0, 0))};
        std::vector<CatalogueEntry> archive = taxes;
        archive.push_back(
            FileEntry("Steuer/Belege_2019", "Quittung.PDF", 500, LocalTime(2019, 12, 31, 23, 0, 0)));
        archive.push_back(FileEntry("Steuer", "Belege.txt", 10, earlier));
        archive.push_back(FileEntry("", "Beach.JPG", 2 * MB, LocalTime(2019, 7, 14, 10, 0, 0)));
        AddCatalogueDisk(file.path, ZipDisk(12, "ARCHIVE", 3), labelled, archive);
        AddCatalogueDisk(file.path, ZipDisk(40, "ARCHIVE", 3), labelled, taxes);
        std::vector<CatalogueEntry> big = {FileEntry("", "memo one.txt", 10, earlier),
                                           FileEntry("", "memo two.txt", 10, earlier)};
        for (int n = 0; n < 40; ++n) {
            big.push_back(FileEntry("", "file " + std::to_string(n) + ".dat", 10, earlier));
        }
        AddCatalogueDisk(file.path, ZipDisk(5, "ARCHIVE", 5), labelled, big);
        store = file.open();
        if (file.backend == Backend::File) {
            db = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadOnly).value();
        }
    }

    // The hits as "number:path", in their order; a copy on a disk recorded twice names the other record.
    // The window's search (which may read the disks in order for its first rows) and the reading of every
    // hit (which asks the indexes), counted or not, and with one match kept at most (read again), must
    // agree.
    std::string found(const std::string& text) {
        Result<SearchResult> result = store->search(text);
        EXPECT_TRUE(result) << text << ": " << result.reason();
        std::string hits;
        const auto add = [](std::string& into, const SearchHit& hit) {
            into += (into.empty() ? "" : " | ") + std::to_string(hit.diskNumber) + ":" + hit.entry.path();
            if (hit.sameDiskAs != 0) {
                into += " (=#" + std::to_string(hit.sameDiskAs) + ")";
            }
        };
        for (const SearchHit& hit : result->hits) {
            add(hits, hit);
        }
        for (const bool withTotal : {true, false}) {
            for (const std::uint64_t mostKept : {MostKeptHits, std::uint64_t{db ? 1U : MostKeptHits}}) {
                std::string visited;
                const CatalogueStore::HitVisitor visit = [&](const SearchHit& hit, std::uint64_t total) {
                    add(visited, hit);
                    EXPECT_TRUE(!withTotal || total == result->total) << text;
                    return true;
                };
                EXPECT_TRUE(mostKept == MostKeptHits
                                ? store->forEachHit(text, visit, withTotal)
                                : VisitCatalogueHits(*db, text, visit, withTotal, mostKept));
                EXPECT_EQ(visited, hits)
                    << text << (withTotal ? "" : " (uncounted)") << " keeping " << mostKept;
            }
        }
        // The first hits alone are the list's first; their total is all of them unless marked reckoned.
        const Result<SearchResult> first = store->search(text, 2);
        const std::vector<std::string> places = Places(result->hits);
        EXPECT_EQ(Places(first->hits),
                  std::vector(places.begin(), places.begin() + std::min<std::ptrdiff_t>(2, places.size())))
            << text;
        EXPECT_TRUE(first->totalEstimated || first->total == result->total) << text;
        return hits;
    }

    CatalogueFile file{GetParam()};
    std::unique_ptr<CatalogueStore> store;
    std::unique_ptr<SqliteDatabase> db; // the file's, read as the file's search reads it
};

INSTANTIATE_TEST_SUITE_P(Stores, CatalogueSearchTest, ::testing::Values(Backend::File, Backend::Server),
                         BackendName);

const std::string Scan12 = "12:Steuer/Belege_2019/Scan ж.pdf";
const std::string Scan40 = "40:Steuer/Belege_2019/Scan ж.pdf";
const std::string Quittung = "12:Steuer/Belege_2019/Quittung.PDF";

TEST_P(CatalogueSearchTest, FindsEveryWordInThePathOrVolumeOwnNamesFirst) {
    const struct {
        std::string text;
        std::string hits;
    } cases[] = {
        {"OLIDA", "7:Holiday | 7:Holiday/Beach.JPG"},
        {"ЖУРНАЛ", "7:журнал.txt"},
        {"cafe", "7:cafe menu.doc"},
        // Words in folders above: the folder itself first, then what lies beneath it.
        {"Belege scan", Scan12 + " | " + Scan40},
        {"Belege", "12:Steuer/Belege.txt | 12:Steuer/Belege_2019 | 40:Steuer/Belege_2019 | " + Quittung +
                       " | " + Scan12 + " | " + Scan40},
        {"scan", "3:Scans | 7:Tax 2019 scan.pdf | " + Scan12 + " | " + Scan40 + " | 3:Scans/receipt.tif"},
        {"2019 scan", "7:Tax 2019 scan.pdf | " + Scan12 + " | " + Scan40},
        {"steuer quittung", Quittung},
        // A slash runs across folders.
        {"Belege_2019/Scan", Scan12 + " | " + Scan40},
        {"ge_2019/SC", Scan12 + " | " + Scan40},
        {"steuer/belege_2019/", Quittung + " | " + Scan12 + " | " + Scan40},
        {"Holiday/Beach.JPG/", ""},
        // Any part for any length, one letter included.
        {"ж", "7:журнал.txt | " + Scan12 + " | " + Scan40},
        {"Ж", "7:журнал.txt | " + Scan12 + " | " + Scan40},
        {"x y", "3:say \"hi\".txt | 3:x AND y"},
        {"pg", "7:Holiday/Beach.JPG | 12:Beach.JPG"},
        {"ур", "7:журнал.txt"},
        {"memo", "5:memo one.txt | 5:memo two.txt"},
        {"💾.", "7:💾.iso"},
        // A word in a volume name stands for every entry of its disk.
        {"work tax", "3:Reports/tax return.pdf"},
        // Paths sort as they read: a space comes before the slash, a digit or a letter after it.
        {"ORK", "3:* | 3:Reports | 3:Reports 2.ods | 3:Reports/receipt.tif | 3:Reports/tax return.pdf | "
                "3:Reports0.ods | 3:ReportsReports | 3:ReportsReports/a.txt | 3:Scans | "
                "3:Scans/receipt.tif | "
                "3:a.txt | 3:bad\xc3(.txt | 3:bad\xff.txt | 3:say \"hi\".txt | 3:x AND y"},
        {"tax 2019", "7:Tax 2019 scan.pdf"},
        {"\"2019 scan\"", "7:Tax 2019 scan.pdf"},
        {"\"scan 2019\"", ""},
        {"tax \"scan 2019", ""}, // a quote left open runs to the end
        // A quote touching a word still ends the word before it and the phrase after it.
        {"tax\"2019 scan\"", "7:Tax 2019 scan.pdf"},
        {"\"return.pdf\"tax", "3:Reports/tax return.pdf"},
        // Nothing of the text is read as a query operator.
        {"AND", "3:x AND y"},
        {"*", "3:*"},
        {"beach OR tax", ""},
        {"say \"hi", "3:say \"hi\".txt"},
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

TEST_P(CatalogueSearchTest, FiltersAndExclusionsNarrowTheWords) {
    const struct {
        std::string text;
        std::string hits;
    } cases[] = {
        {"ext:pdf",
         "3:Reports/tax return.pdf | 7:Tax 2019 scan.pdf | " + Quittung + " | " + Scan12 + " | " + Scan40},
        {"*.PDF steuer", Quittung + " | " + Scan12 + " | " + Scan40},
        {"ext:jpg ext:tif disk:3", "3:Reports/receipt.tif | 3:Scans/receipt.tif"},
        {"ext:ipg", ""},
        {"size:>1MB", "7:Holiday/Beach.JPG | 12:Beach.JPG | " + Scan12 + " | " + Scan40},
        {"size:<1KB ext:pdf", Quittung},
        {"size:<1KB beleg", "12:Steuer/Belege.txt | " + Quittung}, // no folder, though it is 0 bytes
        {"size:>=4KB size:<=4KB", "3:Reports/receipt.tif | 3:Scans/receipt.tif"},
        {"modified:2019-12", Quittung},
        {"modified:2019-05..2019-07", "7:Holiday/Beach.JPG | 12:Beach.JPG | " + Scan12 + " | " + Scan40},
        {"modified:..2019-04 ext:pdf", "3:Reports/tax return.pdf | 7:Tax 2019 scan.pdf"},
        {"type:folder", "3:Reports | 3:ReportsReports | 3:Scans | 7:Holiday | 12:Steuer | "
                        "12:Steuer/Belege_2019 | 40:Steuer | "
                        "40:Steuer/Belege_2019"},
        {"type:folder steuer", "12:Steuer | 40:Steuer | 12:Steuer/Belege_2019 | 40:Steuer/Belege_2019"},
        {"type:file receipt", "3:Reports/receipt.tif | 3:Scans/receipt.tif"},
        {"disk:12 #3 scan", "3:Scans | " + Scan12 + " | 3:Scans/receipt.tif"},
        {"#99", ""},
        {"memo ext:txt", "5:memo one.txt | 5:memo two.txt"},
        // Disks numbered against the order they were recorded in (#5 last) are each found.
        {"archive txt", "5:memo one.txt | 5:memo two.txt | 12:Steuer/Belege.txt"},
        {"txt disk:12 disk:5", "5:memo one.txt | 5:memo two.txt | 12:Steuer/Belege.txt"},
        // Held to disks and read (not counted by the indexes): own names first, the rest by disk and path.
        {"scan -zzz #3 #7 #12", "3:Scans | 7:Tax 2019 scan.pdf | " + Scan12 + " | 3:Scans/receipt.tif"},
        {"belege -quittung #12 #40",
         "12:Steuer/Belege.txt | 12:Steuer/Belege_2019 | 40:Steuer/Belege_2019 | " + Scan12 + " | " + Scan40},
        {"receipt o #3", "3:Reports/receipt.tif | 3:Scans/receipt.tif"},
        {"belege -scan",
         "12:Steuer/Belege.txt | 12:Steuer/Belege_2019 | 40:Steuer/Belege_2019 | " + Quittung},
        {"belege -STEUER", ""},
        {"-work ext:pdf", "7:Tax 2019 scan.pdf | " + Quittung + " | " + Scan12 + " | " + Scan40},
        {"tax -\"2019 scan\"", "3:Reports/tax return.pdf"},
        {"-belege type:folder", "3:Reports | 3:ReportsReports | 3:Scans | 7:Holiday | 12:Steuer | 40:Steuer"},
        // Copies of a file on other disks, by name; a disk recorded twice is no second copy and says so.
        {"dupes:", "7:Holiday/Beach.JPG | 12:Beach.JPG | " + Scan12 + " (=#40) | " + Scan40 + " (=#12)"},
        {"dupes: -holiday", "12:Beach.JPG | " + Scan12 + " (=#40) | " + Scan40 + " (=#12)"},
        {"dupes: disk:7", "7:Holiday/Beach.JPG"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(found(c.text), c.hits) << c.text;
    }
}

TEST_P(CatalogueSearchTest, ASearchThatCannotBeReadSaysWhyAsTyped) {
    for (const char* text : {"size:>big", "modified:2019-13", "type:dir", "disk:x", "ext:"}) {
        const Result<SearchResult> result = store->search(text);
        ASSERT_FALSE(result) << text;
        EXPECT_TRUE(result.reason().starts_with("\"" + std::string(text) + "\" ")) << result.reason();
        EXPECT_FALSE(store->forEachHit(text, [](const SearchHit&, std::uint64_t) { return true; })) << text;
    }
}

// A word that most names hold finds its first rows in the first disks read, without counting the rest:
// the total is then reckoned from the share found among the entries read, and says so.
TEST(CatalogueSearchFirstRows, CommonWordsShowTheirFirstRowsWithAReckonedTotal) {
    CatalogueFile file;
    for (const int number : {2, 1, 3}) {
        std::vector<CatalogueEntry> entries;
        for (int n = 0; n < 40; ++n) {
            const std::string name = (n % 4 == 0 ? "notes " : "scan ") + std::to_string(100 + n) + ".pdf";
            entries.push_back(FileEntry("", name, 10, LocalTime(2019, 1, 1, 0, 0, 0)));
        }
        AddCatalogueDisk(file.path, ZipDisk(number, "DISK", static_cast<std::uint32_t>(number)),
                         LocalTime(2026, 3, 14, 12, 0, 0), entries);
    }
    const auto store = file.open();
    const Result<SearchResult> first = store->search("scan", 5);
    ASSERT_TRUE(first);
    EXPECT_EQ(Places(first->hits),
              (std::vector<std::string>{"1:scan 101.pdf", "1:scan 102.pdf", "1:scan 103.pdf",
                                        "1:scan 105.pdf", "1:scan 106.pdf"}));
    EXPECT_TRUE(first->totalEstimated);
    EXPECT_EQ(first->total, 90U); // 30 of the 40 entries read, of 120
    EXPECT_EQ(MatchCountText(first->hits.size(), first->total, first->totalEstimated), "5 of about 90");
    const Result<SearchResult> all = store->search("scan");
    EXPECT_FALSE(all->totalEstimated);
    EXPECT_EQ(all->total, 90U);
    // Held to one disk, the share found there is no share of the whole catalogue.
    const Result<SearchResult> one = store->search("scan disk:1", 5);
    EXPECT_FALSE(one->totalEstimated);
    EXPECT_EQ(one->total, 30U);
    for (const auto& [total, text] :
         std::vector<std::pair<std::uint64_t, std::string>>{{723161, "1,000 of about 720,000"},
                                                            {1049, "1,000 of about 1,000"},
                                                            {985, "1,000 of about 1,000"}}) {
        EXPECT_EQ(MatchCountText(1000, total, true), text);
    }
}

// When a word's own names fill the first rows, what lies beneath its folders (or on a disk whose volume
// name holds it) is counted rather than read, and the count says it is reckoned; held to some disks, it
// is counted as before.
TEST(CatalogueSearchFirstRows, OwnNamesThatFillTheFirstRowsLeaveTheRestCounted) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2026, 3, 14, 12, 0, 0);
    const Clock::TimePoint then = LocalTime(2019, 1, 1, 0, 0, 0);
    AddDiskReadInVain(file.path, at);
    AddCatalogueDisk(file.path, ZipDisk(2, "B", 2), at,
                     {FolderEntry("", "photos"), FileEntry("", "photos.txt", 10, then),
                      FileEntry("photos", "photos 1.jpg", 10, then), FileEntry("photos", "x.jpg", 10, then),
                      FolderEntry("photos", "old photos"),
                      FileEntry("photos/old photos", "y.jpg", 10, then)});
    AddCatalogueDisk(file.path, ZipDisk(3, "C", 3), at,
                     {FolderEntry("", "Photos"), FileEntry("Photos", "a.jpg", 10, then),
                      FileEntry("Photos", "photos 2.jpg", 10, then)});
    AddCatalogueDisk(file.path, ZipDisk(4, "PHOTOS", 4), at,
                     {FileEntry("", "b.txt", 10, then), FileEntry("", "photos 3.jpg", 10, then)});
    const auto store = file.open();
    for (const auto& [text, limit, total, estimated] :
         std::vector<std::tuple<std::string, std::size_t, std::uint64_t, bool>>{
             {"photos", 2, 11, true},
             {"photos", 1000, 11, false},
             {"photos disk:2", 2, 6, false},
             // Read rather than counted by the indexes, yet counted in full.
             {"photos -zzz disk:2", 2, 6, false}}) {
        const Result<SearchResult> found = store->search(text, limit);
        ASSERT_TRUE(found) << found.reason();
        EXPECT_EQ(found->total, total) << text << " " << limit;
        EXPECT_EQ(found->totalEstimated, estimated) << text << " " << limit;
        ASSERT_EQ(found->hits.size(), std::min<std::size_t>(limit, total));
        EXPECT_EQ(found->hits[0].entry.path(), "photos");
        EXPECT_EQ(found->hits[1].entry.path(), "photos.txt");
    }
}

// A word whose own names on the first disks fill the first rows: the index's blocks on later disks are
// not read, and the count is reckoned from those read; the rows are those a whole reading shows first.
TEST(CatalogueSearchFirstRows, OwnNamesOnTheFirstDisksLeaveTheLaterOnesUnread) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2026, 3, 14, 12, 0, 0);
    AddDiskReadInVain(file.path, at);
    for (const int disk : {2, 3, 4}) {
        std::vector<CatalogueEntry> entries; // in every block a photo, on the later disks two
        for (int n = 0; n < 150 * 64; ++n) {
            const bool photo = n % 64 == 0 || (disk > 2 && n % 64 == 1);
            entries.push_back(FileEntry("", (photo ? "photo " : "file ") + std::to_string(n), 10, at));
        }
        AddCatalogueDisk(file.path, ZipDisk(disk, "B", static_cast<std::uint32_t>(disk)), at, entries);
    }
    const auto store = file.open();
    const Result<SearchResult> first = store->search("photo", 100);
    const Result<SearchResult> whole = store->search("photo", 1000);
    ASSERT_TRUE(first && whole);
    EXPECT_EQ(whole->total, 750U);
    EXPECT_FALSE(whole->totalEstimated);
    EXPECT_EQ(first->total, 450U) << "150 a disk, as on the one read";
    EXPECT_TRUE(first->totalEstimated);
    ASSERT_EQ(first->hits.size(), 100U);
    for (std::size_t n = 0; n < first->hits.size(); ++n) {
        EXPECT_EQ(first->hits[n].entry.path(), whole->hits[n].entry.path()) << n;
        EXPECT_EQ(first->hits[n].diskNumber, 2);
    }
}

// Two disks walked at once: the index numbers their blocks in the order they were written, one disk's
// between the other's, and each disk's are still read for its rows. The first rows by path are on the
// first disk's last blocks, read once enough blocks are read to stop at.
TEST(CatalogueSearchFirstRows, BlocksWrittenInTurnsAreReadDiskByDisk) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2026, 3, 14, 12, 0, 0);
    AddDiskReadInVain(file.path, at);
    const auto store = file.open();
    const std::int64_t two = store->addDisk(ZipDisk(2, "B", 2), 100).value();
    const std::int64_t three = store->addDisk(ZipDisk(3, "C", 3), 100).value();
    for (int n = 0; n < 110; ++n) {
        for (const std::int64_t disk : {two, three}) {
            ASSERT_TRUE(store->addEntries(disk, {FileEntry("", "photo " + std::to_string(999 - n), 10, at)}));
        }
    }
    ASSERT_TRUE(store->finishEntries(two, two, true, 0) && store->finishEntries(three, three, true, 0));
    const Result<SearchResult> found = store->search("photo", 2);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->total, 220U);
    EXPECT_EQ(Places(found->hits), (std::vector<std::string>{"2:photo 890", "2:photo 891"}));
}

// A search the indexes cannot count reads the entries whose own names may hold its words first, then the
// rest (what its folders and volumes hold) only until its first rows are full and enough is read to
// reckon the rest.
TEST(CatalogueSearchFirstRows, ReadingStopsOnceTheRowsAreFullAndTheRestIsReckoned) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2026, 3, 14, 12, 0, 0);
    for (const int disk : {1, 2}) {
        std::vector<CatalogueEntry> entries = {FolderEntry("", "photos")};
        for (int n = 0; n < (disk == 1 ? 12000 : 10); ++n) {
            entries.push_back(FileEntry("photos", "img " + std::to_string(n) + ".jpg", 10, at));
        }
        AddCatalogueDisk(file.path, ZipDisk(disk, "A", static_cast<std::uint32_t>(disk)), at, entries);
    }
    AddCatalogueDisk(file.path, ZipDisk(3, "2019", 3), at,
                     {FileEntry("", "scan a.pdf", 10, at), FileEntry("", "b.pdf", 10, at)});
    AddCatalogueDisk(file.path, ZipDisk(4, "C", 4), at,
                     {FileEntry("", "scan 2019.pdf", 10, at), FileEntry("", "2019 scan.txt", 10, at)});
    const auto store = file.open();
    // Two words asked of the indexes, one also in a volume name: the entries of both, in order.
    const Result<SearchResult> both = store->search("2019 scan -zzz", 3);
    ASSERT_TRUE(both) << both.reason();
    EXPECT_EQ(Places(both->hits),
              (std::vector<std::string>{"4:2019 scan.txt", "4:scan 2019.pdf", "3:scan a.pdf"}));
    EXPECT_EQ(both->total, 3U);
    const Result<SearchResult> first = store->search("photos i", 3);
    ASSERT_TRUE(first) << first.reason();
    EXPECT_TRUE(first->totalEstimated);
    EXPECT_EQ(first->total, 12010U);
    EXPECT_EQ(Places(first->hits),
              (std::vector<std::string>{"1:photos/img 0.jpg", "1:photos/img 1.jpg", "1:photos/img 10.jpg"}));
}

} // namespace
