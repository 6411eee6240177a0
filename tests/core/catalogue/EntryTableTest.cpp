#include "CatalogueFiles.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The packed entries read as a plain table of the same rows would: every bound on the id, of every type
// SQLite compares, over blocks that are partly filled and disks whose ranges lie far apart.
TEST(EntryTable, AnswersEveryConditionOnTheIdAsAPlainTableWould) {
    CatalogueFile file;
    std::vector<CatalogueEntry> many;
    for (int n = 0; n < 150; ++n) {
        many.push_back({n < 70 ? "" : "Scans", "scan " + std::to_string(n) + ".tif", false,
                        static_cast<std::uint64_t>(n), 1000 + n});
    }
    const std::int64_t first = AddCatalogueDisk(file.path, ZipDisk(1, "ONE", 1),
                                                LocalTime(2026, 1, 1, 0, 0, 0), {FolderEntry("", "Scans")});
    {
        const auto store = file.open();
        ASSERT_TRUE(store->addEntries(first, many, {})); // a second batch: the first block holds one entry
    }
    AddCatalogueDisk(file.path, ZipDisk(2, "TWO", 2), LocalTime(2026, 1, 1, 0, 0, 0), many);
    const auto db = SqliteDatabase::open(file.path, SqliteDatabase::Access::ReadWrite).value();
    ASSERT_TRUE(db->execute("CREATE TEMP TABLE plain AS SELECT * FROM entries"));
    const std::string low = std::to_string(EntriesPerDisk + 1);
    const std::string high = std::to_string(2 * EntriesPerDisk + 1);
    const std::string conditions[] = {
        "1",
        "id = " + low,
        "id = " + low + ".0",
        "id = " + low + ".5",
        "id = '" + low + "'",
        "id = 'x'",
        "id = NULL",
        "id > " + low + " + 63 AND id <= " + low + " + 66",
        "id BETWEEN " + low + " + 60.5 AND " + low + " + 70.5",
        "id >= " + low + " + 149.5",
        "id < " + high + " + 2 AND id > " + low + " + 140",
        "id < -1e300",
        "id < 1e300 AND id > 2e300",
        "id >= 9223372036854775807",
        "id > 9223372036854775807",
        "id < -9223372036854775808",
        "id <= 'x' AND id > " + high + " + 145",
        "id >= 'x'",
        "id IN (" + low + ", " + high + " + 64, " + high + " + 3, 7)",
        "folder > 0 AND id < " + high,
    };
    for (const std::string& condition : conditions) {
        const std::string columns = "SELECT id, folder, name, is_folder, size, modified FROM ";
        const std::string plain = Rows(*db, columns + "plain WHERE " + condition + " ORDER BY id");
        EXPECT_EQ(Rows(*db, columns + "entries WHERE " + condition + " ORDER BY id"), plain) << condition;
        EXPECT_EQ(Rows(*db, columns + "entries WHERE " + condition + " ORDER BY id DESC"),
                  Rows(*db, columns + "plain WHERE " + condition + " ORDER BY id DESC"))
            << condition;
    }
    // Single ids asked one after another, as a join from the name index asks them.
    EXPECT_EQ(Rows(*db, "SELECT e.id, e.folder, e.name, e.is_folder, e.size, e.modified FROM plain p JOIN "
                        "entries e ON e.id = p.id WHERE p.size % 7 = 0 ORDER BY p.id"),
              Rows(*db, "SELECT id, folder, name, is_folder, size, modified FROM plain WHERE size % 7 = 0 "
                        "ORDER BY id"));
    EXPECT_FALSE(db->execute("DELETE FROM entries")) << "the store writes the blocks";
}
