#include "CatalogueFiles.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const Clock::TimePoint Day = LocalTime(2026, 1, 1, 0, 0, 0);
const char* const Columns = "SELECT id, disk, path, unreadable, first_entry, last_entry FROM ";

} // namespace

// The packed folders read as a plain table of the same rows would: by id, by disk and by path (equal or
// within bounds, of every type SQLite compares), over lists of several packs and disks far apart.
TEST(FolderTable, AnswersEveryConditionAsAPlainTableWould) {
    CatalogueFile file;
    std::vector<CatalogueEntry> entries;
    // Paths whose order by bytes is not the walk's: "a b" and "a0" sort around "a/x".
    for (const char* folder : {"a", "a/x", "a b", "a0", "\xC3\xA9t\xC3\xA9"}) {
        entries.push_back(FileEntry(folder, "f.txt", 1, Day));
    }
    for (int n = 0; n < 300; ++n) {
        entries.push_back(FileEntry("Scans/" + std::to_string(n), "scan.tif", 1, Day));
    }
    const std::int64_t first = AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1),
                                                LocalTime(2026, 1, 1, 0, 0, 0), entries, true, {"Locked"});
    AddCatalogueDisk(file.path, ZipDisk(2, "TWO", 2), LocalTime(2026, 1, 1, 0, 0, 0),
                     {FileEntry("a", "g", 1, Day)});
    const auto db = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadWrite).value();
    ASSERT_TRUE(db->execute("CREATE TEMP TABLE plain AS SELECT * FROM folders"));
    EXPECT_EQ(Rows(*db, "SELECT count(*), count(DISTINCT id), sum(unreadable), 0, 0, 0 FROM plain"),
              "307|307|1|0|0|0\n")
        << "every folder of both disks once, the one that could not be read marked";
    const std::string one = std::to_string(FolderId(first, 0));
    const std::string conditions[] = {
        "id = " + one,
        "id = " + one + " + 299",
        "id = " + one + ".0",
        "id = " + one + ".5",
        "id = '" + one + "'",
        "id = 'x'",
        "id = NULL",
        "id = 7",
        "id IN (" + one + ", " + one + " + 257, 7)",
        "disk = 1",
        "disk = 1.0",
        "disk = '2'",
        "disk = 3",
        "disk = NULL",
        "disk = 1 AND path = 'a'",
        "disk = 1 AND path = 'A'",
        "disk = 1 AND path = NULL",
        "disk = 1 AND path >= 'a/' AND path < 'a0'",
        "disk = 1 AND path > 'a' AND path <= 'a0'",
        "disk = 1 AND path > 'Scans/1' AND path < 'Scans/2'",
        "disk = 1 AND path >= 'Scans/' || '1' AND path <= 'Scans/10'",
        "disk = 2 AND path = 'a'",
        "disk = 1 AND path < ''",
        "disk = 1 AND path > 5",
        "path = 'a'",
        "unreadable",
        "first_entry IS NULL",
    };
    for (const std::string& condition : conditions) {
        EXPECT_EQ(Rows(*db, Columns + std::string("folders WHERE ") + condition + " ORDER BY id"),
                  Rows(*db, Columns + std::string("plain WHERE ") + condition + " ORDER BY id"))
            << condition;
    }
    // Folders asked for one after another, as a search asks for the paths of its entries' folders.
    EXPECT_EQ(Rows(*db, "SELECT f.id, f.disk, f.path, f.unreadable, f.first_entry, f.last_entry FROM plain p "
                        "JOIN folders f ON f.id = p.id WHERE p.id % 3 = 0 ORDER BY p.id"),
              Rows(*db, Columns + std::string("plain WHERE id % 3 = 0 ORDER BY id")));
    EXPECT_FALSE(db->execute("DELETE FROM folders")) << "the store writes the packs";
}

// A connection that read the folders before sees what another wrote since, and its own writes.
TEST(FolderTable, ReadsWhatWasWrittenSinceItLastRead) {
    CatalogueFile file;
    const std::int64_t disk = AddCatalogueDisk(
        file.path, ZipDisk(1, "ONE", 1), LocalTime(2026, 1, 1, 0, 0, 0), {FileEntry("Old", "f", 1, Day)});
    const auto reader = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadOnly).value();
    const std::string paths =
        "SELECT group_concat(path, ','), 0, 0, 0, 0, 0 FROM (SELECT path FROM folders WHERE "
        "disk = 1 ORDER BY id)";
    EXPECT_EQ(Rows(*reader, paths), "Old|0|0|0|0|0\n");
    ASSERT_TRUE(file.open()->addEntries(disk, {FileEntry("New", "g", 1, Day)}));
    EXPECT_EQ(Rows(*reader, paths), "Old,New|0|0|0|0|0\n");
    const auto writer = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadWrite).value();
    EXPECT_EQ(Rows(*writer, paths), "Old,New|0|0|0|0|0\n");
    ASSERT_TRUE(writer->execute("DELETE FROM folder_packs"));
    EXPECT_EQ(Rows(*writer, paths), "|0|0|0|0|0\n");
    EXPECT_EQ(Rows(*reader, paths), "|0|0|0|0|0\n");
}

// A pack that is not what the store wrote fails the query that reads it, saying so.
TEST(FolderTable, ADamagedPartFailsTheQuery) {
    CatalogueFile file;
    AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1), LocalTime(2026, 1, 1, 0, 0, 0),
                     {FileEntry("a", "f", 1, Day)});
    const auto db = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadWrite).value();
    ASSERT_TRUE(db->execute("UPDATE folder_packs SET data = x'05'"));
    for (const char* query : {"SELECT * FROM folders", "SELECT * FROM folders WHERE disk = 1",
                              "SELECT * FROM folders WHERE id = (SELECT first FROM folder_packs)"}) {
        Result<SqliteStatement> read = db->prepare(query);
        ASSERT_TRUE(read);
        const Result<bool> row = read.value().step();
        ASSERT_FALSE(row) << query;
        EXPECT_NE(row.reason().find("a pack of the catalogue's folders is damaged"), std::string::npos)
            << row.reason();
    }
}
