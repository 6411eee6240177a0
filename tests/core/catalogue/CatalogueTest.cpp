#include "CatalogueFiles.h"

#include "support/FakeServices.h"
#include "support/TempDir.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A disk of 200 folders of five 10-byte files.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int folder = 0; folder < 200; ++folder) {
            fs::create_directories(disk / std::to_string(folder));
            for (int file = 0; file < 5; ++file) {
                WriteBytes(disk / std::to_string(folder) / ("file" + std::to_string(file)), "0123456789");
            }
        }
        record.number = 42;
        record.serial = 0xCAFE;
        record.usedBytes = 200 * 5 * 10;
    }

    DiskRecord stored() const {
        const auto store = CatalogueStore::open(file, "2026-01-01");
        return store.value()->disks().value().at(0);
    }

    TempDir dir;
    fs::path disk = dir / "disk";
    std::string file = (dir / "catalogue.sqlite").string();
    std::shared_ptr<FixedClock> clock = std::make_shared<FixedClock>();
    DiskRecord record;
};

TEST_F(CatalogueTest, RecordsAtOnceThenWalksTellingHowFarItHasCome) {
    Catalogue catalogue(file, clock);
    EXPECT_FALSE(catalogue.recognise(record.identity()));
    EXPECT_FALSE(fs::exists(file)); // examining alone creates nothing

    // Told from the walk's thread, which starts after the first and is joined before they are read.
    std::vector<CatalogueProgress> seen;
    bool completeAtTheEnd = false; // the disk, when the end of the walk is told
    catalogue.setProgressListener([&] {
        seen.push_back(catalogue.progress());
        if (!seen.back().walking) {
            completeAtTheEnd = stored().complete;
        }
    });
    catalogue.recordLabel(record, {disk.string(), {}});
    ASSERT_TRUE(catalogue.recognise(record.identity()));
    catalogue.waitForWalk();

    EXPECT_TRUE(stored().complete);
    // Its start and end are seen in the main window's title, which tells of the walk until the disk is
    // recorded whole.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end() - 1, [](const auto& p) { return p.walking; }));
    for (std::size_t i = 1; i + 1 < seen.size(); ++i) {
        EXPECT_LE(seen[i - 1].percent, seen[i].percent);
    }
    // The end is reached (100 %) only once the walk has recorded it.
    EXPECT_EQ(seen[seen.size() - 2].percent, 100);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const auto& p) { return p.percent == 100; }), 1);
    EXPECT_FALSE(seen.back().walking);
    EXPECT_TRUE(completeAtTheEnd);
    EXPECT_FALSE(catalogue.takeMessage());
}

// Examined before its label is printed, as the label window does: the catalogue opened to read is opened
// again to record, so that an older file is brought up to date and the disk is written to it.
TEST_F(CatalogueTest, ADiskExaminedFirstIsRecordedInAnOlderFile) {
    WriteVersionOneCatalogue(file);
    Catalogue catalogue(file, clock);
    EXPECT_FALSE(catalogue.recognise(record.identity()));
    catalogue.recordLabel(record, {disk.string(), {}});
    catalogue.waitForWalk();
    EXPECT_FALSE(catalogue.takeMessage());
    const std::vector<DiskRecord> disks = CatalogueStore::open(file, "2026-01-01").value()->disks().value();
    EXPECT_TRUE(std::any_of(disks.begin(), disks.end(),
                            [](const DiskRecord& disk) { return disk.number == 42 && disk.complete; }));
}

TEST_F(CatalogueTest, AWalkCutShortByTheProgramsEndIsNamedAtTheNextStart) {
    {
        Catalogue catalogue(file, clock);
        EXPECT_FALSE(catalogue.unfinishedMessage()); // no catalogue yet
        catalogue.recordLabel(record, {disk.string(), {}});
        catalogue.close();
        EXPECT_FALSE(catalogue.takeMessage()); // the program is ending: nobody to tell
    }
    EXPECT_EQ(stored().number, 42);
    EXPECT_FALSE(stored().complete);
    EXPECT_LT(stored().entries, 200u * 6);
    const std::optional<std::string> told = Catalogue(file, clock).unfinishedMessage();
    ASSERT_TRUE(told);
    EXPECT_NE(told->find("disk #42 were not all recorded"), std::string::npos) << *told;
    EXPECT_NE(told->find("choose Catalogue This Disk"), std::string::npos) << *told;
}

TEST_F(CatalogueTest, AWalkAgainThatEndsShortKeepsTheListItHadAndSaysSo) {
    Catalogue catalogue(file, clock);
    catalogue.recordLabel(record, {disk.string(), {}});
    catalogue.waitForWalk();
    DiskRecord known = stored();
    ASSERT_TRUE(known.complete);

    // Taken out before its walk could start.
    ASSERT_TRUE(catalogue.catalogueAgain(known, {(dir / "unmounted").string(), {}}));
    catalogue.waitForWalk();
    const std::optional<std::string> told = catalogue.takeMessage();
    ASSERT_TRUE(told);
    EXPECT_NE(told->find("Disk #42 was taken out or unmounted"), std::string::npos) << *told;
    EXPECT_NE(told->find("keeps the list it had"), std::string::npos) << *told;
    EXPECT_TRUE(stored().complete);
    EXPECT_EQ(stored().entries, 200u * 6);
    EXPECT_EQ(CatalogueStore::open(file, "2026-01-01").value()->search("file4")->total, 200u);

    // Walked again to the end: the new list replaces the old one, under the same disk.
    fs::remove_all(disk / "7");
    known.volumeName = "RENAMED";
    ASSERT_TRUE(catalogue.catalogueAgain(known, {disk.string(), {}}));
    catalogue.waitForWalk();
    EXPECT_FALSE(catalogue.takeMessage());
    EXPECT_EQ(stored().id, known.id);
    EXPECT_EQ(stored().volumeName, "RENAMED");
    EXPECT_EQ(stored().lastLabelled, known.lastLabelled);
    EXPECT_EQ(stored().entries, 199u * 6);

    // In a catalogue that can no longer be used, no walk starts, and the caller hears why.
    catalogue.close();
    const std::pair<const char*, std::function<void()>> spoilings[] = {
        {"read-only", [&] { fs::permissions(file, fs::perms::owner_read); }},
        {"a folder in its place",
         [&] {
             fs::remove(file);
             fs::create_directory(file);
         }},
    };
    for (const auto& [name, spoil] : spoilings) {
        SCOPED_TRACE(name);
        spoil();
        Catalogue again(file, clock); // tells its first failure to use the file
        EXPECT_FALSE(again.catalogueAgain(known, {disk.string(), {}}));
        EXPECT_FALSE(again.progress().walking);
        EXPECT_TRUE(again.takeMessage());
    }
}

} // namespace
