// What reading, closing, backing up and removing do to the catalogue file itself.
#include "CatalogueFiles.h"

#include "core/catalogue/SqliteDatabase.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

std::vector<CatalogueEntry> ManyEntries(int count, const std::string& stem) {
    std::vector<CatalogueEntry> entries;
    for (int i = 0; i < count; ++i) {
        entries.push_back({"", stem + " " + std::to_string(i) + ".jpg", false, 1000, 1});
    }
    return entries;
}

// The files of a folder, less the log and shared-memory index that SQLite leaves beside a file a reader
// opened while it could be written: those have the file's own owner and mode and hold nothing.
std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        const fs::path main = folder / name.substr(0, name.size() - 4);
        struct stat file {};
        struct stat beside {};
        if ((name.ends_with("-wal") || name.ends_with("-shm")) && ::stat(main.c_str(), &file) == 0 &&
            ::stat(item.path().c_str(), &beside) == 0 && (file.st_mode & 0222) != 0 &&
            beside.st_mode == file.st_mode && beside.st_uid == file.st_uid &&
            (name.ends_with("-shm") || beside.st_size == 0)) {
            continue;
        }
        names.insert(name);
    }
    return names;
}

// The first disk and its entries matching "kept", as a read sees them; or the failure's reason.
std::string ReadBack(const std::string& path) {
    Result<std::unique_ptr<CatalogueStore>> store =
        CatalogueStore::open(path, "2026-03-15", CatalogueAccess::Read);
    if (!store) {
        return store.reason();
    }
    Result<std::vector<DiskRecord>> disks = (*store)->disks();
    Result<SearchResult> found =
        disks ? (*store)->search("kept") : Result<SearchResult>(Failure{disks.reason()});
    if (!found) {
        return found.reason();
    }
    return std::to_string(disks->size()) + " disks, " + std::to_string(found->total) + " kept";
}

void WriteKept(const std::string& path) {
    AddCatalogueDisk(path, ZipDisk(41, "OLD ONE", 77), {}, {{"", "kept.txt", false, 12, 300}});
}

TEST(CatalogueFileSafety, AReadChangesNothingCreatesNothingAndMovesNothing) {
    const struct {
        const char* name;
        std::function<void(const std::string&)> arrange;
        std::string read; // what the read sees, or a part of its failure
    } cases[] = {
        {"healthy", WriteKept, "1 disks, 1 kept"},
        // A creation cut short (a full disk): an empty catalogue, not one to be made now.
        {"no tables", [](const std::string& path) { WriteBytes(path, ""); }, "0 disks, 0 kept"},
        {"damaged",
         [](const std::string& path) {
             WriteKept(path);
             std::string bytes = ReadBytes(path);
             bytes.replace(4096, bytes.size() - 4096, bytes.size() - 4096, '\xAA');
             WriteBytes(path, bytes);
         },
         "move it aside and start a new catalogue"},
        // Read without a shared-memory file: one made now would keep the read-only mode.
        {"read-only",
         [](const std::string& path) {
             WriteKept(path);
             fs::permissions(path, fs::perms::owner_read);
         },
         "1 disks, 1 kept"},
        {"version one", [](const std::string& path) { WriteVersionOneCatalogue(path); }, "1 disks, 1 kept"},
        {"version three", [](const std::string& path) { WriteVersionThreeCatalogue(path); },
         "2 disks, 1 kept"},
    };
    for (const auto& c : cases) {
        CatalogueFile file;
        fs::create_directories(fs::path(file.path).parent_path());
        c.arrange(file.path);
        const std::set<std::string> files = FilesIn(fs::path(file.path).parent_path());
        const std::string bytes = ReadBytes(file.path);

        EXPECT_NE(ReadBack(file.path).find(c.read), std::string::npos)
            << c.name << ": " << ReadBack(file.path);
        EXPECT_EQ(FilesIn(fs::path(file.path).parent_path()), files) << c.name;
        EXPECT_EQ(ReadBytes(file.path), bytes) << c.name;
    }
}

TEST(CatalogueFileSafety, AReadOfAMissingFileCreatesNone) {
    CatalogueFile file;
    EXPECT_FALSE(CatalogueStore::open(file.path, "2026-03-15", CatalogueAccess::Read));
    EXPECT_FALSE(fs::exists(fs::path(file.path).parent_path()));
}

TEST(CatalogueFileSafety, AFileReadWhileReadOnlyIsWritableOnceItsWriteBitsAreBack) {
    CatalogueFile file;
    WriteKept(file.path);
    fs::permissions(file.path, fs::perms::owner_read);
    ASSERT_EQ(ReadBack(file.path), "1 disks, 1 kept");
    fs::permissions(file.path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(file.open()->addDisk(ZipDisk(42, "NEW", 78), 100));
}

TEST(CatalogueFileSafety, ClosedStoresLeaveTheMainFileWholeAndBackupsAreConsistentMidWalk) {
    CatalogueFile file;
    const std::int64_t id = AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1), {}, ManyEntries(3000, "kept"));
    // The main file alone holds everything once the last store has closed.
    TempDir copies;
    fs::copy_file(file.path, copies / "alone.sqlite");
    EXPECT_EQ(ReadBack((copies / "alone.sqlite").string()), "1 disks, 3000 kept");

    // While a second walk of the disk is written, a backup holds the disk's last complete list.
    auto writer = file.open();
    const std::int64_t list = writer->beginEntries(id).value();
    ASSERT_TRUE(writer->addEntries(list, ManyEntries(10, "new")));
    const std::string backup = (copies / "backup.sqlite").string();
    WriteBytes(backup, "an older backup");
    ASSERT_TRUE(CatalogueStore::open(file.path, "2026-03-15", CatalogueAccess::Read).value()->backup(backup));
    EXPECT_EQ(ReadBack(backup), "1 disks, 3000 kept");
    EXPECT_EQ(fs::status(backup).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(FilesIn(copies.path()), (std::set<std::string>{"alone.sqlite", "backup.sqlite"}));

    // A backup that cannot be made leaves the old one and no part of itself.
    EXPECT_FALSE(file.open()->backup((copies / "no such folder" / "backup.sqlite").string()));
    EXPECT_EQ(FilesIn(copies.path()), (std::set<std::string>{"alone.sqlite", "backup.sqlite"}));
}

TEST(CatalogueFileSafety, RemovingDisksGivesTheirSpaceBack) {
    CatalogueFile file;
    const std::int64_t id =
        AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1), {}, ManyEntries(20000, "photo"));
    const auto full = fs::file_size(file.path);
    ASSERT_TRUE(file.open()->removeDisk(id));
    EXPECT_LT(fs::file_size(file.path) * 4, full);
}

} // namespace
