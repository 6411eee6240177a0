#include "core/catalogue/SqliteCatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"

#include "CatalogueFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<SqliteDatabase> Connect(const std::string& path) {
    return SqliteDatabase::open(path, SqliteDatabase::Access::ReadWrite).value();
}

std::int64_t Count(const std::string& path, const std::string& sql) {
    return Connect(path)->queryInteger(sql).value().value_or(-1);
}

// Where a hit lies: its disk's number and its path.
std::string Place(const SearchHit& hit) {
    return std::to_string(hit.diskNumber) + ":" + hit.entry.path();
}

std::vector<std::string> Places(const SearchResult& result) {
    std::vector<std::string> places;
    for (const SearchHit& hit : result.hits) {
        places.push_back(Place(hit));
    }
    return places;
}

// Disks 1 to 4 with many matches of "backup" in a folder's name ("Backup" and 1,500 files each), then
// `ownDisks` disks with ten own names that match ("backup 0.txt"...) each.
void AddBackupShelf(const std::string& catalogue, int ownDisks, Clock::TimePoint at) {
    for (int number = 1; number <= 4 + ownDisks; ++number) {
        std::vector<CatalogueEntry> entries;
        if (number <= 4) {
            entries.push_back(FolderEntry("", "Backup"));
            for (int n = 0; n < 1500; ++n) {
                entries.push_back(FileEntry("Backup", "file " + std::to_string(n), 10, at));
            }
        } else {
            for (int n = 0; n < 10; ++n) {
                entries.push_back(FileEntry("", "backup " + std::to_string(n) + ".txt", 10, at));
            }
        }
        AddCatalogueDisk(catalogue, ZipDisk(number, "DISK", number), at, entries);
    }
}

// What every store does alike, whether the catalogue is a file or on a server.
class CatalogueStoresTest : public ::testing::TestWithParam<Backend> {
protected:
    CatalogueFile file{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Stores, CatalogueStoresTest, ::testing::Values(Backend::File, Backend::Server),
                         BackendName);

TEST_P(CatalogueStoresTest, RecognisesADiskBySerialAndCapacity) {
    auto store = file.open();
    store->addDisk(ZipDisk(1, "OLD", 0xbeef), 100).value();
    store->addDisk(ZipDisk(2, "NEW", 0xbeef), 200).value();
    store->addDisk(ZipDisk(3, "NONE", 0), 300).value();
    const std::uint64_t Zip = ZipDisk(0, "", 0).capacityBytes;
    const struct {
        DiskIdentity identity;
        std::optional<int> number;
    } cases[] = {
        {{0xbeef, Zip}, 2}, // the newer of two
        {{0xbeef, Zip + 1}, std::nullopt},
        {{0xbeee, Zip}, std::nullopt},
        {{0, Zip}, std::nullopt}, // serial 0 stands for no disk
    };
    for (const auto& c : cases) {
        Result<std::optional<DiskRecord>> found = store->recognise(c.identity);
        ASSERT_TRUE(found) << found.reason();
        EXPECT_EQ(found->has_value() ? std::optional<int>((*found)->number) : std::nullopt, c.number)
            << c.identity.serial << "/" << c.identity.capacityBytes;
    }
}

TEST_P(CatalogueStoresTest, ARelabelledDiskKeepsItsNumberAndFirstDate) {
    auto store = file.open();
    const std::int64_t id = store->addDisk(ZipDisk(42, "FIRST", 9), 100).value();
    DiskRecord facts = ZipDisk(99, "SECOND", 9);
    facts.usedBytes = 1;
    facts.freeBytes = 2;
    facts.driveType = "Fixed";
    facts.company = "Contoso";
    ASSERT_TRUE(store->relabelDisk(id, facts, 200));

    const DiskRecord disk = store->disk(id).value().value();
    EXPECT_EQ(std::tie(disk.number, disk.firstLabelled, disk.lastLabelled), std::make_tuple(42, 100, 200));
    EXPECT_EQ(std::tie(disk.volumeName, disk.usedBytes, disk.freeBytes, disk.driveType, disk.company),
              std::tie(facts.volumeName, facts.usedBytes, facts.freeBytes, facts.driveType, facts.company));
}

TEST_P(CatalogueStoresTest, KeepsADisksEntriesUntilItIsWalkedAgainOrRemoved) {
    auto store = file.open();
    const std::int64_t id = store->addDisk(ZipDisk(1, "ONE", 1), 100).value();
    const std::int64_t other = store->addDisk(ZipDisk(2, "TWO", 2), 100).value();
    ASSERT_EQ(store->beginEntries(id).value(), id); // a first list is the disk's own
    ASSERT_TRUE(store->addEntries(id, {{"", "b.txt", false, 12, 500}, {"", "Zeta", true, 0, 600}}));
    ASSERT_TRUE(store->addEntries(id, {{"Zeta", "inner.doc", false, 7, 700}, {"", "a.txt", false, 1, 800}}));
    ASSERT_TRUE(store->addEntries(other, {{"", "b.txt", false, 3, 900}}));
    ASSERT_TRUE(store->finishEntries(id, id, true, 3));

    const auto names = [&](std::int64_t disk, const std::string& folder) {
        std::string all;
        const std::vector<CatalogueEntry> entries = store->folderEntries(disk, folder).value();
        for (const CatalogueEntry& entry : entries) {
            all +=
                entry.path() + "," + std::to_string(entry.size) + "," + std::to_string(entry.modified) + " ";
        }
        return all;
    };
    EXPECT_EQ(names(id, ""), "Zeta,0,600 a.txt,1,800 b.txt,12,500 ");
    EXPECT_EQ(names(id, "Zeta"), "Zeta/inner.doc,7,700 ");
    EXPECT_EQ(store->disk(id).value()->entries, 4u); // of both batches
    // A hit is the entry as the walk found it.
    const SearchHit hit = store->search("inner")->hits.at(0);
    EXPECT_EQ(std::tie(hit.entry.folder, hit.entry.name, hit.entry.isFolder, hit.entry.size,
                       hit.entry.modified, hit.diskNumber, hit.volumeName),
              std::make_tuple(std::string("Zeta"), std::string("inner.doc"), false, std::uint64_t{7},
                              std::int64_t{700}, 1, std::string("ONE")));

    // Walked again: the old list is what is found until the new one is complete, then replaced at once.
    const std::int64_t list = store->beginEntries(id).value();
    ASSERT_TRUE(store->addEntries(list, {{"", "new.txt", false, 1, 1}}, {"Locked"}));
    EXPECT_EQ(names(id, ""), "Zeta,0,600 a.txt,1,800 b.txt,12,500 ");
    EXPECT_EQ(store->search("b.txt")->total, 2u);
    EXPECT_EQ(store->search("new")->total, 0u);
    EXPECT_EQ(store->disks()->size(), 2u);
    ASSERT_TRUE(store->finishEntries(id, list, true, 1));
    EXPECT_EQ(names(id, ""), "new.txt,1,1 ");
    EXPECT_EQ(store->search("b.txt")->total, 1u);
    EXPECT_EQ(store->search("new")->hits.at(0).diskId, id);
    EXPECT_EQ(store->disk(id).value()->entries, 1u);
    EXPECT_EQ(store->disk(id).value()->skippedFolders, 1u) << "the new walk's, not the first one's 3";

    ASSERT_TRUE(store->removeDisk(other));
    EXPECT_EQ(store->search("b.txt")->total, 0u);
    EXPECT_FALSE(store->disk(other).value());
    EXPECT_EQ(store->search("type:file")->total + store->search("type:folder")->total, 1u);
    if (file.backend != Backend::File) {
        return;
    }
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entries"), 1);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM folders"), 2); // the root and the unreadable folder
    // The name index was kept in step with every change.
    EXPECT_TRUE(
        Connect(file.path)->execute("INSERT INTO entry_names (entry_names) VALUES ('integrity-check');"
                                    "INSERT INTO volume_names (volume_names) VALUES ('integrity-check')"));
}

// A walk the program never finished (it ended mid-walk) leaves a new list behind: the disk's next walk
// drops it with its entries and folders, so that nothing of it is ever found.
TEST_P(CatalogueStoresTest, ANewListLeftByAnUnfinishedWalkIsDroppedByTheNext) {
    const std::int64_t disk = AddCatalogueDisk(
        file.path, ZipDisk(1, "ONE", 1), LocalTime(2026, 1, 1, 0, 0, 0), {{"", "old.txt", false, 1, 1}});
    {
        const auto ended = file.open();
        const std::int64_t list = ended->beginEntries(disk).value();
        ASSERT_NE(list, disk);
        ASSERT_TRUE(ended->addEntries(list, {{"Left", "left.txt", false, 1, 1}}));
    }
    const auto store = file.open();
    const std::int64_t list = store->beginEntries(disk).value();
    ASSERT_TRUE(store->addEntries(list, {{"", "new.txt", false, 1, 1}}));
    ASSERT_TRUE(store->finishEntries(disk, list, true, 0));
    EXPECT_EQ(store->search("left")->total, 0U);
    EXPECT_EQ(store->search("type:file")->total, 1U);
    EXPECT_EQ(store->disk(disk).value()->entries, 1U);
    if (file.backend != Backend::File) {
        return;
    }
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entries"), 1);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM folders"), 1);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM disks"), 1);
    EXPECT_EQ(store->search("left")->total, 0U);
}

// A store keeps the folders of the list it writes from one batch to the next. When another store changed
// the list meanwhile (here: removed the disk, and a new one took its id and range), the next batch reads
// them afresh: no entry is filed under another's folder, and no folder the other wrote is lost.
TEST(CatalogueStoreTest, ABatchAfterAnotherStoresChangeFilesEveryEntryUnderItsOwnFolder) {
    CatalogueFile file;
    const auto walker = file.open();
    const auto other = file.open();
    const std::int64_t disk = walker->addDisk(ZipDisk(1, "ONE", 1), 100).value();
    ASSERT_TRUE(walker->addEntries(disk, {{"Mine", "first.txt", false, 1, 1}}));
    ASSERT_TRUE(other->removeDisk(disk));
    ASSERT_EQ(other->addDisk(ZipDisk(2, "TWO", 2), 100).value(), disk) << "the same id and range again";
    ASSERT_TRUE(other->addEntries(disk, {{"Theirs", "their.txt", false, 1, 1}}));
    ASSERT_TRUE(walker->addEntries(disk, {{"Mine", "second.txt", false, 1, 1}}));
    const auto names = [&](const std::string& folder) {
        std::string all;
        const std::vector<CatalogueEntry> entries = walker->folderEntries(disk, folder).value();
        for (const CatalogueEntry& entry : entries) {
            all += entry.name + " ";
        }
        return all;
    };
    EXPECT_EQ(names("Theirs"), "their.txt ");
    EXPECT_EQ(names("Mine"), "second.txt ");
    // The other store's next batch reads the folders afresh too, and finds the walker's by its path.
    ASSERT_TRUE(other->addEntries(disk, {{"Mine", "third.txt", false, 1, 1}}));
    EXPECT_EQ(names("Mine"), "second.txt third.txt ");
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM folders WHERE path = 'Mine'"), 1);
}

// A walk's staged entries are its store's own until they are committed: by the store itself once there are
// enough, by commit, or by finish; a store closed before that keeps none of them.
TEST_P(CatalogueStoresTest, StagedEntriesAreCommittedWholeOrNotAtAll) {
    // As another store sees them.
    const auto entries = [&] { return static_cast<std::int64_t>(file.open()->search("type:file")->total); };
    const auto counted = [&] {
        std::int64_t all = 0;
        const std::vector<DiskRecord> disks = file.open()->disks().value();
        for (const DiskRecord& disk : disks) {
            all += static_cast<std::int64_t>(disk.entries);
        }
        return all;
    };
    std::vector<CatalogueEntry> many;
    for (std::size_t n = 0; n < CatalogueStore::EntriesPerCommit; ++n) {
        many.push_back({"Many", "file " + std::to_string(n), false, 1, 1});
    }
    std::int64_t disk = 0;
    {
        const auto store = file.open();
        disk = store->addDisk(ZipDisk(1, "ONE", 1), 100).value();
        ASSERT_TRUE(store->stageEntries(disk, {{"", "one.txt", false, 1, 1}}));
        EXPECT_EQ(entries(), 0);
        ASSERT_TRUE(store->commitEntries());
        EXPECT_EQ(entries(), 1);
        ASSERT_TRUE(store->stageEntries(disk, many));
        EXPECT_EQ(entries(), 1 + static_cast<std::int64_t>(many.size())) << "committed on its own";
        ASSERT_TRUE(store->stageEntries(disk, {{"", "two.txt", false, 1, 1}}));
        ASSERT_TRUE(store->finishEntries(disk, disk, true, 0));
        EXPECT_EQ(entries(), 2 + static_cast<std::int64_t>(many.size()));
        EXPECT_EQ(counted(), entries());
        const std::int64_t list = store->beginEntries(disk).value();
        ASSERT_TRUE(store->stageEntries(list, {{"", "three.txt", false, 1, 1}}));
    }
    EXPECT_EQ(entries(), 2 + static_cast<std::int64_t>(many.size()));
    EXPECT_EQ(counted(), entries());
    EXPECT_EQ(file.open()->search("three")->total, 0U);
}

// A stage that fails drops everything staged since the last commit and nothing before; the next one
// files its entries under their own folders again.
TEST(CatalogueStoreTest, AFailedStageDropsWhatWasStagedSinceTheLastCommit) {
    CatalogueFile file;
    const auto store = file.open();
    const std::int64_t disk = store->addDisk(ZipDisk(1, "ONE", 1), 100).value();
    ASSERT_TRUE(store->addEntries(disk, {{"Kept", "kept.txt", false, 1, 1}}));
    // The third block is refused.
    ASSERT_TRUE(Connect(file.path)->execute(
        "CREATE TRIGGER refused BEFORE INSERT ON entry_blocks WHEN (SELECT count(*) FROM entry_blocks) >= 2 "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ASSERT_TRUE(store->stageEntries(disk, {{"Lost", "lost.txt", false, 1, 1}}));
    EXPECT_FALSE(store->stageEntries(disk, {{"Lost", "refused.txt", false, 1, 1}}));
    ASSERT_TRUE(Connect(file.path)->execute("DROP TRIGGER refused")) << "the write lock is given back";
    ASSERT_TRUE(store->stageEntries(disk, {{"Kept", "again.txt", false, 1, 1}}));
    ASSERT_TRUE(store->finishEntries(disk, disk, true, 0));
    std::vector<std::string> kept;
    const std::vector<CatalogueEntry> listed = store->folderEntries(disk, "Kept").value();
    for (const CatalogueEntry& entry : listed) {
        kept.push_back(entry.name);
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"again.txt", "kept.txt"}));
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entries"), 2);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM folders WHERE path = 'Lost'"), 0);
    EXPECT_EQ(Count(file.path, "SELECT entry_count FROM disks"), 2);
}

// Once the file holds enough entries, a walk's end presses every block with a dictionary trained on them;
// blocks written later are pressed too, and every reading (another connection's, the entries table's)
// finds what it found before.
TEST(CatalogueStoreTest, OnceItHoldsEnoughEntriesEveryBlockIsPressedAndReadsAsBefore) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2019, 3, 14, 12, 0, 0);
    std::vector<CatalogueEntry> many;
    for (int n = 0; n < 70000; ++n) {
        many.push_back(FileEntry("Scans " + std::to_string(n / 500), "scan " + std::to_string(n) + ".tif",
                                 static_cast<std::uint64_t>(n), at));
    }
    const auto store = file.open();
    const std::int64_t disk = store->addDisk(ZipDisk(1, "ONE", 1), 100).value();
    ASSERT_TRUE(store->addEntries(disk, many));
    const auto found = [](const CatalogueStore& from) {
        std::vector<std::string> all;
        for (const char* words : {"scan 1234", "scans 7", "69999", "size:>69990"}) {
            const SearchResult result = from.search(words, 100).value();
            for (const SearchHit& hit : result.hits) {
                all.push_back(hit.entry.path() + " " + std::to_string(hit.entry.size));
            }
        }
        return all;
    };
    const std::vector<std::string> plain = found(*store);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM block_dictionary"), 0);
    ASSERT_TRUE(store->finishEntries(disk, disk, true, 0));
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM block_dictionary"), 1);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entry_blocks WHERE substr(data, 1, 1) <> x'ff'"), 0);
    EXPECT_EQ(found(*store), plain);
    AddCatalogueDisk(file.path, ZipDisk(2, "TWO", 2), at, {FileEntry("", "scan 1234 copy.tif", 1, at)});
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entry_blocks WHERE substr(data, 1, 1) <> x'ff'"), 0);
    const std::vector<std::string> withCopy = found(*store);
    EXPECT_EQ(std::count(withCopy.begin(), withCopy.end(), "scan 1234 copy.tif 1"), 1);
    EXPECT_EQ(withCopy.size(), plain.size() + 1);
    EXPECT_EQ(found(*CatalogueStore::open(file.path, "2026-03-14", CatalogueAccess::Read).value()), withCopy);
    EXPECT_EQ(Count(file.path,
                    "SELECT count(*) FROM entries WHERE name IN ('scan 1234.tif', 'scan 1234 copy.tif')"),
              2);
    EXPECT_TRUE(
        Connect(file.path)->execute("INSERT INTO entry_names (entry_names) VALUES ('integrity-check')"));
}

// Pressing the blocks is undone when it fails (here a trigger refuses to change them): the file keeps no
// dictionary, and the blocks written next are not pressed with the one that was not kept.
TEST(CatalogueStoreTest, BlocksWrittenAfterAPressingThatFailedStayReadable) {
    CatalogueFile file;
    const Clock::TimePoint at = LocalTime(2019, 3, 14, 12, 0, 0);
    std::vector<CatalogueEntry> many;
    for (int n = 0; n < 70000; ++n) {
        many.push_back(FileEntry("", "scan " + std::to_string(n) + ".tif", 1, at));
    }
    const auto store = file.open();
    const std::int64_t one = store->addDisk(ZipDisk(1, "ONE", 1), 100).value();
    ASSERT_TRUE(store->addEntries(one, many));
    ASSERT_TRUE(Connect(file.path)->execute("CREATE TRIGGER refused BEFORE UPDATE ON entry_blocks BEGIN "
                                            "SELECT RAISE(ABORT, 'refused'); END"));
    ASSERT_TRUE(store->finishEntries(one, one, true, 0)) << "the entries are recorded all the same";
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM block_dictionary"), 0);
    ASSERT_TRUE(Connect(file.path)->execute("DROP TRIGGER refused"));
    const std::int64_t two = store->addDisk(ZipDisk(2, "TWO", 2), 100).value();
    ASSERT_TRUE(store->addEntries(two, {FileEntry("", "late.txt", 1, at)}));
    ASSERT_TRUE(store->finishEntries(two, two, true, 0));
    const Result<SearchResult> found =
        CatalogueStore::open(file.path, "2026-03-14", CatalogueAccess::Read).value()->search("late");
    ASSERT_TRUE(found) << found.reason();
    EXPECT_EQ(found->total, 1U);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entry_blocks WHERE substr(data, 1, 1) <> x'ff'"), 0);
}

// Each trouble in a person's words first; the system's reason where there is one.
TEST(SqliteDatabaseTest, TellsWhatIsWrongInWordsBeforeSqlitesOwn) {
    CatalogueFile file;
    const std::string path = (file.dir / "test.sqlite").string();
    EXPECT_EQ(
        Connect(path)
            ->execute("PRAGMA max_page_count = 3; CREATE TABLE t (x); INSERT INTO t VALUES (zeroblob(9999))")
            .reason(),
        "the disk holding " + path + " is full (database or disk is full)");
    const std::string missing = (file.dir / "none" / "x.sqlite").string();
    EXPECT_EQ(SqliteDatabase::open(missing, SqliteDatabase::Access::ReadWrite).reason(),
              missing + " cannot be opened: No such file or directory (unable to open database file)");
    // A value that cannot be bound fails the statement, never runs it with what was bound before.
    const auto db = Connect(path);
    for (const bool text : {false, true}) {
        Result<SqliteStatement> query = db->prepare("SELECT ?1");
        ASSERT_TRUE(query);
        if (text) {
            query.value().bind(2, std::string_view("x"));
        } else {
            query.value().bind(2, std::int64_t{1});
        }
        EXPECT_FALSE(query.value().step()) << text;
    }
}

// A walk's batch holds the file for a moment; removing a disk meanwhile waits instead of failing.
TEST(CatalogueStoreTest, AChangeWaitsBrieflyForAnotherWriter) {
    CatalogueFile file;
    auto store = file.open();
    auto walk = Connect(file.path);
    ASSERT_TRUE(walk->execute("BEGIN IMMEDIATE"));
    std::thread batchEnds([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_TRUE(walk->execute("COMMIT"));
    });
    EXPECT_TRUE(store->addDisk(ZipDisk(1, "ONE", 1), 100));
    batchEnds.join();
}

TEST(CatalogueStoreTest, CreatesTheFileForItsUserAlone) {
    CatalogueFile file;
    const auto store = file.open();
    const auto mode = [](const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; };
    EXPECT_EQ(mode(file.path), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(fs::path(file.path).parent_path()), fs::perms::owner_all);
}

// A file that cannot be used as it is: what opening it and then recording a disk in it make of it.
struct Trouble {
    const char* name;
    std::function<void(const std::string& path)> arrange;
    bool locked = false;     // by another connection's write transaction while the file is opened
    std::string openFails;   // empty: it opens
    std::string recordFails; // empty: a disk can be recorded
    bool movedAside = false;
    std::vector<std::string> disks; // the volume names it holds afterwards
};

const std::string InUse = "catalogue.sqlite is in use by another program (database is locked)";

// A first-version file holding disk #41 OLD ONE with one file.
void WriteVersionOne(const std::string& path) {
    fs::remove(path);
    WriteVersionOneCatalogue(path);
}

void PrintTo(const Trouble& trouble, std::ostream* out) {
    *out << trouble.name;
}

class CatalogueTroubleTest : public ::testing::TestWithParam<Trouble> {};

TEST_P(CatalogueTroubleTest, ToldWithItsReasonOrMovedAsideWhole) {
    const Trouble& trouble = GetParam();
    CatalogueFile file;
    ASSERT_TRUE(file.open()->addDisk(ZipDisk(1, "FIRST", 1), 100));
    trouble.arrange(file.path);
    const std::unique_ptr<SqliteDatabase> holder = Connect(file.path);
    ASSERT_TRUE(!trouble.locked || holder->execute("BEGIN IMMEDIATE"));
    const std::string bytes = ReadBytes(file.path);

    Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(file.path, "2026-03-15");
    if (!trouble.openFails.empty()) {
        ASSERT_FALSE(store);
        EXPECT_NE(store.reason().find(trouble.openFails), std::string::npos) << store.reason();
        EXPECT_EQ(ReadBytes(file.path), bytes);
        return;
    }
    ASSERT_TRUE(store) << store.reason();
    const std::string aside = file.path + ".corrupt-2026-03-15";
    EXPECT_EQ(store.value()->movedAside(), trouble.movedAside ? aside : "");
    if (trouble.movedAside) {
        EXPECT_EQ(ReadBytes(aside), bytes);
    }
    Result<std::int64_t> recorded = store.value()->addDisk(ZipDisk(2, "SECOND", 2), 200);
    EXPECT_EQ(recorded.reason().empty(), trouble.recordFails.empty()) << recorded.reason();
    EXPECT_NE(recorded.reason().find(trouble.recordFails), std::string::npos) << recorded.reason();

    std::vector<std::string> volumes;
    const std::vector<DiskRecord> disks = store.value()->disks().value();
    for (const DiskRecord& disk : disks) {
        volumes.push_back(disk.volumeName);
    }
    EXPECT_EQ(volumes, trouble.disks);
}

void AsItIs(const std::string&) {}
void MakeReadOnly(const std::string& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}
void WriteText(const std::string& path) {
    WriteBytes(path, "[GLOBAL]\nOWNER=Anna\n");
}
// Scribbles over the cell pointers of an index page: the schema still reads, the file's check fails.
void DamageAnIndex(const std::string& path) {
    const std::int64_t page = Count(path, "SELECT rootpage FROM sqlite_schema WHERE name = 'disks_identity'");
    std::string bytes = ReadBytes(path);
    bytes.replace(static_cast<std::size_t>((page - 1) * 4096 + 8), 64, 64, '\xa5');
    WriteBytes(path, bytes);
}
void MarkNewer(const std::string& path) {
    EXPECT_TRUE(Connect(path)->execute("PRAGMA user_version = " +
                                       std::to_string(SqliteCatalogueStore::SchemaVersion + 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, CatalogueTroubleTest,
    ::testing::Values(
        Trouble{"ReadOnly", MakeReadOnly, false, "", "catalogue.sqlite is read-only", false, {"FIRST"}},
        Trouble{"Locked", AsItIs, true, "", InUse, false, {"FIRST"}},
        Trouble{"NotADatabase", WriteText, false, "", "", true, {"SECOND"}},
        Trouble{"FailsItsCheck", DamageAnIndex, false, "", "", true, {"SECOND"}},
        Trouble{"VersionOne", WriteVersionOne, false, "", "", false, {"SECOND", "OLD ONE"}},
        Trouble{"LockedWhileItNeedsBringingUpToDate", WriteVersionOne, true, InUse, "", false, {}},
        Trouble{"NewerVersion", MarkNewer, false, "written by a newer version of Tessaline", "", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The whole-file check is made at a day's first opening only (FailsItsCheck above is the next day's), in a
// file of the version before too: a fault made after it is met by the query that reads it.
TEST(CatalogueStoreTest, AFileCheckedTodayIsNotCheckedWholeAgain) {
    for (const int version : {2, SqliteCatalogueStore::SchemaVersion}) {
        SCOPED_TRACE(version);
        CatalogueFile file;
        ASSERT_TRUE(file.open()->addDisk(ZipDisk(1, "FIRST", 1), 100));
        ASSERT_TRUE(file.open()); // the day's check
        if (version == 2) {
            ASSERT_TRUE(Connect(file.path)->execute(
                "ALTER TABLE disks DROP COLUMN replaces; ALTER TABLE disks DROP COLUMN entry_range; "
                "DROP TABLE block_dictionary; DROP TABLE folders; DROP TABLE folder_packs; "
                "CREATE TABLE folders (id INTEGER PRIMARY KEY, "
                "disk INTEGER NOT NULL, path TEXT NOT NULL, UNIQUE (disk, path)); "
                "DROP TABLE entries; DROP TABLE entry_blocks; "
                "CREATE TABLE entries (id INTEGER PRIMARY KEY, folder INTEGER NOT NULL, name TEXT NOT NULL, "
                "is_folder INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL); "
                "CREATE VIEW entry_text (id, name) AS SELECT id, name FROM entries; PRAGMA user_version = "
                "2"));
        }
        DamageAnIndex(file.path);
        const std::unique_ptr<CatalogueStore> store = file.open();
        ASSERT_TRUE(store);
        EXPECT_EQ(store->movedAside(), "");
    }
}

TEST(CatalogueStoreTest, AVersionOneFileIsBroughtUpToDate) {
    CatalogueFile file;
    WriteVersionOne(file.path);
    auto store = file.open();
    EXPECT_EQ(store->search("old kept")->total, 1u) << "its volume name is found";
    // Its old entries leave the name index with their disk's next walk.
    const std::int64_t list = store->beginEntries(1).value();
    ASSERT_TRUE(store->addEntries(list, {{"", "fresh.txt", false, 1, 1}}));
    ASSERT_TRUE(store->finishEntries(1, list, true, 0));
    EXPECT_EQ(store->search("kept")->total, 0u);
    EXPECT_EQ(store->search("fresh")->total, 1u);
    EXPECT_TRUE(
        Connect(file.path)->execute("INSERT INTO entry_names (entry_names) VALUES ('integrity-check')"));
}

// A folder's entries by name, "(unreadable)" after those that could not be read.
std::vector<std::string> Listed(const CatalogueStore& store, std::int64_t disk, const std::string& folder) {
    std::vector<std::string> names;
    const std::vector<CatalogueEntry> entries = store.folderEntries(disk, folder).value();
    for (const CatalogueEntry& entry : entries) {
        names.push_back(entry.name + (entry.unreadable ? " (unreadable)" : ""));
    }
    return names;
}

std::vector<std::string> Found(const CatalogueStore& store, const std::string& words) {
    std::vector<std::string> paths;
    const SearchResult found = store.search(words).value();
    for (const SearchHit& hit : found.hits) {
        // Built up, not prefixed: GCC's optimiser mistakes "#" + ... for overlapping copies.
        std::string path = "#";
        path += std::to_string(hit.diskNumber);
        path += ' ';
        path += hit.entry.path();
        paths.push_back(std::move(path));
    }
    return paths;
}

// What the third-version file holds, as a store sees it.
void ExpectVersionThreeContents(const CatalogueStore& store) {
    const struct {
        const char* words;
        std::vector<std::string> found;
    } searches[] = {
        {"kept", {"#41 kept.txt"}},
        {"img_1234", {"#41 Photos 2019/IMG_1234.JPG"}},
        {"ÉTÉ paris", {"#41 Photos 2019/Été à Paris.jpg"}},
        {"ОТЧЁТ", {"#42 отчёт 2019.pdf"}},
        {"дача", {"#42 отчёт 2019.pdf"}}, // its volume name
        {"old one",
         {"#41 Photos 2019", "#41 Photos 2019/IMG_1234.JPG", "#41 Photos 2019/Été à Paris.jpg", "#41 Taxes",
          "#41 kept.txt"}},
    };
    for (const auto& search : searches) {
        EXPECT_EQ(Found(store, search.words), search.found) << search.words;
    }
    // Counted whole, as an export reads it: a disk found by its volume name is read by its range of ids.
    std::vector<std::string> visited;
    EXPECT_TRUE(store.forEachHit("дача", [&](const SearchHit& hit, std::uint64_t) {
        visited.push_back(hit.entry.path() + (hit.entry.isFolder ? " (folder)" : ""));
        return true;
    }));
    EXPECT_EQ(visited, std::vector<std::string>{"отчёт 2019.pdf"});
    visited.clear();
    EXPECT_TRUE(store.forEachHit("taxes", [&](const SearchHit& hit, std::uint64_t) {
        visited.push_back(hit.entry.path() + (hit.entry.isFolder ? " (folder)" : ""));
        return true;
    }));
    EXPECT_EQ(visited, std::vector<std::string>{"Taxes (folder)"});
    visited.clear();
    EXPECT_TRUE(store.forEachHit("photos", [&](const SearchHit& hit, std::uint64_t) {
        visited.push_back(hit.entry.path());
        return true;
    }));
    EXPECT_EQ(visited, (std::vector<std::string>{"Photos 2019", "Photos 2019/IMG_1234.JPG",
                                                 "Photos 2019/Été à Paris.jpg"}))
        << "what lies beneath a folder found";
    EXPECT_EQ(Listed(store, 1, ""),
              (std::vector<std::string>{"Photos 2019", "Taxes (unreadable)", "kept.txt"}));
    EXPECT_EQ(Listed(store, 1, "Photos 2019"), (std::vector<std::string>{"IMG_1234.JPG", "Été à Paris.jpg"}));
}

TEST(CatalogueStoreTest, AVersionThreeFileIsReadAsItIsAndConvertedWithAllItHeld) {
    CatalogueFile file;
    WriteVersionThreeCatalogue(file.path);
    ExpectVersionThreeContents(*CatalogueStore::open(file.path, "2026-03-14", CatalogueAccess::Read).value());
    EXPECT_EQ(Count(file.path, "PRAGMA user_version"), 3);

    auto store = file.open();
    ASSERT_TRUE(store);
    EXPECT_EQ(Count(file.path, "PRAGMA user_version"), SqliteCatalogueStore::SchemaVersion);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM sqlite_schema WHERE name = 'entries_folder'"), 0);
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM sqlite_schema WHERE sql LIKE '%detail = none%'"), 2);
    EXPECT_EQ(Count(file.path, "PRAGMA freelist_count"), 0) << "the old indexes' space is given back";
    ExpectVersionThreeContents(*store);

    // Walked again and removed as in a new file: nothing of the old entries stays behind.
    const std::int64_t list = store->beginEntries(1).value();
    ASSERT_TRUE(store->addEntries(list, {{"", "fresh.txt", false, 1, 1}}));
    ASSERT_TRUE(store->finishEntries(1, list, true, 0));
    ASSERT_TRUE(store->removeDisk(2));
    EXPECT_EQ(Found(*store, "kept"), std::vector<std::string>{});
    EXPECT_EQ(Found(*store, "fresh"), std::vector<std::string>{"#41 fresh.txt"});
    EXPECT_EQ(Listed(*store, 1, ""), std::vector<std::string>{"fresh.txt"});
    EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entries"), 1);
    EXPECT_TRUE(
        Connect(file.path)->execute("INSERT INTO entry_names (entry_names) VALUES ('integrity-check');"
                                    "INSERT INTO volume_names (volume_names) VALUES ('integrity-check')"));
}

// A current file as the fifth version kept it: a name index of a document a name, blocks without numbers;
// or as the fourth: the entries a plain table.
void WriteAsVersion(const std::string& path, int version) {
    const std::string plainFolders =
        "CREATE TABLE plain (id INTEGER PRIMARY KEY, disk INTEGER NOT NULL, path TEXT NOT NULL,"
        " unreadable INTEGER NOT NULL DEFAULT 0, first_entry INTEGER, last_entry INTEGER, UNIQUE (disk, "
        "path));"
        "INSERT INTO plain SELECT * FROM folders; DROP TABLE folders; DROP TABLE folder_packs;"
        "ALTER TABLE plain RENAME TO folders;";
    const std::string plainEntries =
        version > 4
            ? ""
            : "CREATE TABLE plain (id INTEGER PRIMARY KEY, folder INTEGER NOT NULL, name TEXT NOT NULL,"
              " is_folder INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL);"
              "INSERT INTO plain SELECT * FROM entries; DROP TABLE entries; DROP TABLE entry_blocks;"
              "ALTER TABLE plain RENAME TO entries;";
    const std::string namePerEntry =
        version > 5
            ? ""
            : "DROP TABLE entry_names; DROP INDEX entry_blocks_number; ALTER TABLE entry_blocks DROP COLUMN "
              "number;" +
                  plainEntries +
                  "CREATE VIEW entry_text (id, name) AS SELECT id, char(2) || name || char(3) FROM entries;"
                  "CREATE VIRTUAL TABLE entry_names USING fts5 (name, content = 'entry_text', content_rowid "
                  "= "
                  "'id', tokenize = 'trigram', columnsize = 0, detail = none);"
                  "INSERT INTO entry_names (rowid, name) SELECT id, name FROM entry_text;";
    const Result<Done> made =
        Connect(path)->execute("DROP TABLE block_dictionary;" + (version > 6 ? std::string() : plainFolders) +
                               namePerEntry + "PRAGMA user_version = " + std::to_string(version));
    EXPECT_TRUE(made) << made.reason();
}

// The index answers the names, or the blocks of names, that hold a word's trigrams; those holding them
// elsewhere than together in one name are no match, in any letter case and script. The same in files of
// the versions before, read as they are and brought up to date.
TEST(CatalogueStoreTest, ALongerWordIsFoundOnlyWhole) {
    CatalogueFile file;
    const std::int64_t disk = file.open()->addDisk(ZipDisk(7, "SEVEN", 7), 100).value();
    ASSERT_TRUE(file.open()->addEntries(disk, {{"", "2010 0192.txt", false, 1, 1},
                                               {"", "Tax 2019.pdf", false, 1, 1},
                                               {"", "ёлка отчёт.doc", false, 1, 1},
                                               {"", "отчё тчёт.doc", false, 1, 1},
                                               {"", "x201", false, 1, 1},
                                               {"", "019y", false, 1, 1},
                                               {"", "ab", false, 1, 1}}));
    const struct {
        const char* words;
        std::vector<std::string> found;
    } searches[] = {
        {"2019", {"#7 Tax 2019.pdf"}},
        {"ОТЧЁТ", {"#7 ёлка отчёт.doc"}},
        {"2019 tax", {"#7 Tax 2019.pdf"}},
        {"019 201", {"#7 2010 0192.txt", "#7 Tax 2019.pdf"}},
        {"b2", {}},
        {"bx", {}},
        {"AB", {"#7 ab"}},
    };
    const auto expectFound = [&](const CatalogueStore& store) {
        for (const auto& search : searches) {
            EXPECT_EQ(Found(store, search.words), search.found) << search.words;
        }
    };
    expectFound(*file.open());
    for (const int version : {7, 6, 5, 4}) {
        SCOPED_TRACE(version);
        WriteAsVersion(file.path, version);
        expectFound(*CatalogueStore::open(file.path, "2026-03-14", CatalogueAccess::Read).value());
        EXPECT_EQ(Count(file.path, "PRAGMA user_version"), version) << "read as it is";
        expectFound(*file.open());
        EXPECT_EQ(Count(file.path, "PRAGMA user_version"), SqliteCatalogueStore::SchemaVersion);
        EXPECT_EQ(Count(file.path, "SELECT count(*) FROM entry_names WHERE entry_names MATCH 'tax'"), 1)
            << "one block";
        EXPECT_TRUE(
            Connect(file.path)->execute("INSERT INTO entry_names (entry_names) VALUES ('integrity-check')"));
    }
}

// A search of more matches than are counted at once shows the first of all the hits, in their order, with
// a total that is all of them or is marked reckoned: words mostly in names, mostly in folders, and none.
TEST_P(CatalogueStoresTest, TheFirstRowsOfManyMatchesAreTheFirstOfAll) {
    const Clock::TimePoint at = LocalTime(2020, 1, 1, 0, 0, 0);
    const auto files = [&](const std::string& folder, const std::string& name, int count) {
        std::vector<CatalogueEntry> entries;
        for (int n = 0; n < count; ++n) {
            entries.push_back(FileEntry(folder, name + " " + std::to_string(n) + ".tif", 10, at));
        }
        return entries;
    };
    // As a walk records them: each folder is an entry too.
    std::vector<CatalogueEntry> first = {FolderEntry("", "Scan archive")};
    const std::vector<CatalogueEntry> archived = files("Scan archive", "img", 3000);
    first.insert(first.end(), archived.begin(), archived.end());
    const std::vector<CatalogueEntry> own = files("", "scan", 10);
    first.insert(first.end(), own.begin(), own.end());
    AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1), at, first);
    const auto inFolder = [&](const std::string& folder, const std::string& name, int count) {
        std::vector<CatalogueEntry> entries = {FolderEntry("", folder)};
        const std::vector<CatalogueEntry> inside = files(folder, name, count);
        entries.insert(entries.end(), inside.begin(), inside.end());
        return entries;
    };
    AddCatalogueDisk(file.path, ZipDisk(2, "TWO", 2), at, inFolder("Misc", "scan", 3000));
    AddCatalogueDisk(file.path, ZipDisk(3, "THREE", 3), at, inFolder("Scans", "other", 200));
    AddCatalogueDisk(file.path, ZipDisk(4, "FOUR", 4), at, inFolder("Old archive", "x", 3000));
    const auto store = file.open();
    for (const char* text : {"scan", "archive", "type:file", "tif -img", "ARCHIVE x"}) {
        std::vector<std::string> all;
        std::uint64_t total = 0;
        ASSERT_TRUE(store->forEachHit(text, [&](const SearchHit& hit, std::uint64_t count) {
            all.push_back(Place(hit));
            total = count;
            return true;
        }));
        ASSERT_EQ(all.size(), total) << text;
        for (const std::size_t limit : {std::size_t{25}, std::size_t{1000}}) {
            const Result<SearchResult> searched = store->search(text, limit);
            ASSERT_TRUE(searched) << text << ": " << searched.reason();
            const SearchResult& result = *searched;
            EXPECT_EQ(Places(result),
                      std::vector<std::string>(all.begin(), all.begin() + std::min(limit, all.size())))
                << text << " " << limit;
            if (result.totalEstimated) {
                EXPECT_NEAR(static_cast<double>(result.total), static_cast<double>(total), total * 0.5)
                    << text;
            } else {
                EXPECT_EQ(result.total, total) << text;
            }
        }
    }
}

// Own names that lie beyond the first disks, behind many matches in folders' names: they come first all the
// same, and the count is of every match.
TEST_P(CatalogueStoresTest, OwnNamesBeyondTheFirstDisksComeFirst) {
    const Clock::TimePoint at = LocalTime(2020, 1, 1, 0, 0, 0);
    AddBackupShelf(file.path, 1, at);
    AddCatalogueDisk(file.path, ZipDisk(6, "DISK", 6), at,
                     {FolderEntry("", "old backup"), FileEntry("old backup", "a.txt", 1, at)});
    const auto store = file.open();
    std::vector<std::string> all;
    ASSERT_TRUE(store->forEachHit("backup", [&](const SearchHit& hit, std::uint64_t) {
        all.push_back(Place(hit));
        return true;
    }));
    ASSERT_EQ(all.size(), 4U * 1501 + 10 + 2);
    EXPECT_EQ(all[4], "5:backup 0.txt") << "own names on every disk before the folders' files";
    EXPECT_EQ(all[15], "1:Backup/file 0");
    for (const std::size_t limit : {std::size_t{25}, std::size_t{1000}}) {
        const Result<SearchResult> searched = store->search("backup", limit);
        ASSERT_TRUE(searched) << searched.reason();
        EXPECT_EQ(Places(*searched),
                  std::vector<std::string>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(limit)));
        if (!searched->totalEstimated) {
            EXPECT_EQ(searched->total, all.size());
        }
    }
}

// A word the server's index narrows, with few own names on the first disks and many on the later ones: the
// server counts every match rather than reckon from the disks it read. A word too short for the index is
// read disk by disk and its count reckoned, as counting it would go through every entry.
TEST_P(CatalogueStoresTest, SparseOwnNamesAreCountedWholeWhereTheIndexNarrowsTheWord) {
    AddBackupShelf(file.path, 26, LocalTime(2020, 1, 1, 0, 0, 0));
    const auto store = file.open();
    for (const std::string text : {"backup", "ba"}) {
        std::vector<std::string> all;
        ASSERT_TRUE(store->forEachHit(text, [&](const SearchHit& hit, std::uint64_t) {
            all.push_back(Place(hit));
            return true;
        }));
        ASSERT_EQ(all.size(), 4U * 1501 + 26 * 10) << text;
        const Result<SearchResult> searched = store->search(text, 100);
        ASSERT_TRUE(searched) << text << ": " << searched.reason();
        EXPECT_EQ(Places(*searched), std::vector<std::string>(all.begin(), all.begin() + 100)) << text;
        if (GetParam() == Backend::Server) {
            EXPECT_EQ(searched->totalEstimated, text == "ba") << text;
        }
        if (!searched->totalEstimated) {
            EXPECT_EQ(searched->total, all.size()) << text;
        }
    }
}

// The window interrupts a search from its own thread when the text changes: the search ends at once, and
// says it was interrupted rather than give what it had read so far as the whole.
TEST_P(CatalogueStoresTest, ASearchInterruptedFromAnotherThreadEndsAsInterrupted) {
    std::vector<CatalogueEntry> many;
    for (int n = 0; n < 20000; ++n) {
        many.push_back(
            FileEntry("", "scan " + std::to_string(n) + ".tif", 10, LocalTime(2020, 1, 1, 0, 0, 0)));
    }
    AddCatalogueDisk(file.path, ZipDisk(1, "SCANS", 1), LocalTime(2026, 3, 14, 12, 0, 0), many);
    const auto store = file.open();
    // Nothing outside tells when a statement runs, and an interrupt between two is forgotten: the search
    // is interrupted over and over, and run again should each land between statements.
    // On a busy machine the interrupting thread may be long in starting, or rarely run: the search is
    // tried until one is interrupted, a thousand times at most.
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    std::thread interrupter([&] {
        started = true;
        while (!ended) {
            store->interrupt();
        }
    });
    while (!started) {
        std::this_thread::yield();
    }
    Result<Done> read = Done{};
    for (int run = 0; run < 1000 && read; ++run) {
        read = store->forEachHit("a", [](const SearchHit&, std::uint64_t) { return true; });
    }
    ended = true;
    interrupter.join();
    ASSERT_FALSE(read);
    EXPECT_NE(read.reason().find("interrupted"), std::string::npos) << read.reason();
}

} // namespace
