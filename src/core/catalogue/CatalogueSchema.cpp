#include "core/catalogue/CatalogueSchema.h"

#include "core/catalogue/BlockCodec.h"
#include "core/catalogue/BlockDictionary.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/EntryTable.h"
#include "core/catalogue/FolderPack.h"
#include "core/catalogue/SqliteCatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// A block's document in the name index.
const char* const IndexBlock = "INSERT INTO entry_names (rowid, name) VALUES (?, ?)";

// Calls `each(row, names)` for each block `blocks` reads (its first id, last id and bytes in the columns
// from `at` on) with the block's document in the name index, until one fails.
template <typename Each>
Result<Done> EachBlockNamed(const SqliteDatabase& db, Result<SqliteStatement> blocks, int at, Each&& each) {
    if (!blocks) {
        return blocks.failure();
    }
    Result<Done> done = Done{};
    Result<Done> read = blocks.value().forEachRow([&](const SqliteStatement& block) {
        if (done) {
            Result<UnpackedEntries> entries =
                ReadBlock(db, block.blobView(at + 2), block.integer(at), block.integer(at + 1));
            done = entries ? each(block, IndexedNames(*entries)) : Result<Done>(entries.failure());
        }
    });
    return read ? done : read;
}

// Version 1, from which every file starts.
const char* const FirstTables = R"sql(
CREATE TABLE disks (
    id INTEGER PRIMARY KEY,
    number INTEGER NOT NULL,
    volume TEXT NOT NULL,
    serial INTEGER NOT NULL,
    drive_type TEXT NOT NULL,
    capacity INTEGER NOT NULL,
    used INTEGER NOT NULL,
    free INTEGER NOT NULL,
    first_labelled INTEGER NOT NULL,
    last_labelled INTEGER NOT NULL,
    company TEXT NOT NULL,
    entry_count INTEGER NOT NULL DEFAULT 0,
    complete INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX disks_identity ON disks (serial, capacity);

CREATE TABLE folders (
    id INTEGER PRIMARY KEY,
    disk INTEGER NOT NULL REFERENCES disks (id) ON DELETE CASCADE,
    path TEXT NOT NULL,
    UNIQUE (disk, path)
);

CREATE TABLE entries (
    id INTEGER PRIMARY KEY,
    folder INTEGER NOT NULL REFERENCES folders (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    is_folder INTEGER NOT NULL,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL
);
CREATE INDEX entries_folder ON entries (folder);

CREATE VIEW entry_text (id, name) AS SELECT id, char(2) || name || char(3) FROM entries;
CREATE VIRTUAL TABLE entry_names USING fts5 (
    name, content = 'entry_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0);
CREATE TRIGGER entries_added AFTER INSERT ON entries BEGIN
    INSERT INTO entry_names (rowid, name) VALUES (new.id, char(2) || new.name || char(3));
END;
CREATE TRIGGER entries_removed AFTER DELETE ON entries BEGIN
    INSERT INTO entry_names (entry_names, rowid, name) VALUES ('delete', old.id, char(2) || old.name || char(3));
END;
CREATE TRIGGER entries_renamed AFTER UPDATE OF id, name ON entries BEGIN
    INSERT INTO entry_names (entry_names, rowid, name) VALUES ('delete', old.id, char(2) || old.name || char(3));
    INSERT INTO entry_names (rowid, name) VALUES (new.id, char(2) || new.name || char(3));
END;
)sql";

// The store now keeps the name index in step itself, one statement a batch: FTS5 writes out its pending
// terms at every statement a trigger runs, which made recording four times slower.
const char* const SecondVersion = R"sql(
DROP TRIGGER IF EXISTS entries_added;
DROP TRIGGER IF EXISTS entries_removed;
DROP TRIGGER IF EXISTS entries_renamed;
ALTER TABLE disks ADD COLUMN skipped_folders INTEGER NOT NULL DEFAULT 0;

CREATE VIEW volume_text (id, volume) AS SELECT id, char(2) || volume || char(3) FROM disks;
CREATE VIRTUAL TABLE volume_names USING fts5 (
    volume, content = 'volume_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0);
CREATE TRIGGER disks_added AFTER INSERT ON disks BEGIN
    INSERT INTO volume_names (rowid, volume) VALUES (new.id, char(2) || new.volume || char(3));
END;
CREATE TRIGGER disks_removed AFTER DELETE ON disks BEGIN
    INSERT INTO volume_names (volume_names, rowid, volume) VALUES ('delete', old.id, char(2) || old.volume || char(3));
END;
CREATE TRIGGER disks_renamed AFTER UPDATE OF id, volume ON disks BEGIN
    INSERT INTO volume_names (volume_names, rowid, volume) VALUES ('delete', old.id, char(2) || old.volume || char(3));
    INSERT INTO volume_names (rowid, volume) VALUES (new.id, char(2) || new.volume || char(3));
END;
INSERT INTO volume_names (volume_names) VALUES ('rebuild');

CREATE TABLE facts (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
)sql";

// A disk walked again gets a new list beside its old one, which stays findable until the new one is
// complete: the new list is a hidden disk row (replaces = the disk) until it takes the disk's place. A
// disk's entries are numbered in the range of entry_range, which is its own id until a new list took over.
const char* const ThirdVersion = R"sql(
ALTER TABLE disks ADD COLUMN replaces INTEGER;
ALTER TABLE disks ADD COLUMN entry_range INTEGER NOT NULL DEFAULT 0;
UPDATE disks SET entry_range = id;
ALTER TABLE folders ADD COLUMN unreadable INTEGER NOT NULL DEFAULT 0;
)sql";

// The name indexes keep no positions (a quarter of the file before): a word of four letters or more asks
// for every one of its trigrams, and the names that hold them all are checked for the word itself. The
// entries lose the index by folder, and with it the reference to their folder (a deleted folder would have
// its entries looked for by a scan of all of them): a walk writes a folder's entries together, so each
// folder keeps the range of ids they span, and a disk's entries go by their range of ids.
const char* const FourthVersion = R"sql(
DROP TABLE entry_names;
DROP VIEW entry_text;
ALTER TABLE folders ADD COLUMN first_entry INTEGER;
ALTER TABLE folders ADD COLUMN last_entry INTEGER;
UPDATE folders SET (first_entry, last_entry) = (span.first, span.last)
    FROM (SELECT folder, min(id) AS first, max(id) AS last FROM entries GROUP BY folder) AS span
    WHERE span.folder = folders.id;
ALTER TABLE entries RENAME TO entries_before;
CREATE TABLE entries (
    id INTEGER PRIMARY KEY,
    folder INTEGER NOT NULL,
    name TEXT NOT NULL,
    is_folder INTEGER NOT NULL,
    size INTEGER NOT NULL,
    modified INTEGER NOT NULL
);
INSERT INTO entries SELECT id, folder, name, is_folder, size, modified FROM entries_before ORDER BY id;
DROP TABLE entries_before;

CREATE VIEW entry_text (id, name) AS SELECT id, char(2) || name || char(3) FROM entries;
CREATE VIRTUAL TABLE entry_names USING fts5 (
    name, content = 'entry_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0, detail = none);
INSERT INTO entry_names (entry_names) VALUES ('rebuild');

-- The volume triggers name the index, not its layout: they stay as they are.
DROP TABLE volume_names;
CREATE VIRTUAL TABLE volume_names USING fts5 (
    volume, content = 'volume_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0, detail = none);
INSERT INTO volume_names (volume_names) VALUES ('rebuild');
)sql";

// The entries move into blocks; the name index keeps its ids and names, read through the new table.
Result<Done> FifthVersion(const SqliteDatabase& db) {
    Result<Done> made =
        db.execute("CREATE TABLE entry_blocks (first INTEGER PRIMARY KEY, last INTEGER NOT NULL,"
                   " data BLOB NOT NULL)");
    Result<SqliteStatement> rows = Then(made, [&] {
        return db.prepare("SELECT id, folder, name, is_folder, size, modified FROM entries ORDER BY id");
    });
    if (!rows) {
        return rows.failure();
    }
    std::vector<BlockEntry> run;
    std::int64_t runFirst = 0;
    Result<Done> packed = Done{};
    const auto flush = [&] {
        if (packed && !run.empty()) {
            packed = AddEntryBlocks(db, runFirst, run, false);
        }
        run.clear();
    };
    Result<Done> read = rows.value().forEachRow([&](const SqliteStatement& row) {
        const std::int64_t id = row.integer(0);
        if (run.empty() || id != runFirst + static_cast<std::int64_t>(run.size())) {
            flush();
            runFirst = id;
        }
        run.push_back({row.integer(1), row.text(2), row.integer(3) != 0,
                       static_cast<std::uint64_t>(row.integer(4)), row.integer(5)});
        if (run.size() == 65536) {
            flush(); // a whole number of blocks, not the whole file in memory
        }
    });
    flush();
    if (!read || !packed) {
        return read ? packed : read;
    }
    return db.execute("DROP TABLE entries; CREATE VIRTUAL TABLE entries USING tessaline_entries");
}

// The name index keeps a document a block rather than a name: less than half its size, and much less of
// the recording's time. What it answers are blocks whose names may hold a word; each name is checked.
// A block's document is known by the block's number, given in the order blocks are written: a disk's
// blocks are numbered one after the other, and the index keeps the differences of its numbers, which
// are then as small as they can be (by the ids, half the index again).
Result<Done> SixthVersion(const SqliteDatabase& db) {
    Result<Done> made = db.execute("DROP TABLE entry_names; DROP VIEW entry_text;"
                                   "CREATE VIRTUAL TABLE entry_names USING fts5 (name, content = '',"
                                   " tokenize = 'trigram', columnsize = 0, detail = none);"
                                   "ALTER TABLE entry_blocks ADD COLUMN number INTEGER");
    Result<SqliteStatement> numbered =
        Then(made, [&] { return db.prepare("UPDATE entry_blocks SET number = ? WHERE first = ?"); });
    Result<SqliteStatement> index = Then(numbered, [&] { return db.prepare(IndexBlock); });
    if (!index) {
        return index.failure();
    }
    std::int64_t number = 0;
    Result<Done> indexed =
        EachBlockNamed(db, db.prepare("SELECT first, last, data FROM entry_blocks ORDER BY first"), 0,
                       [&](const SqliteStatement& block, const std::string& names) {
                           numbered.value().reset();
                           index.value().reset();
                           return Then(numbered.value().bind(1, ++number).bind(2, block.integer(0)).run(),
                                       [&] { return index.value().bind(1, number).bind(2, names).run(); });
                       });
    return Then(indexed, [&] {
        return db.execute("CREATE UNIQUE INDEX entry_blocks_number ON entry_blocks (number)");
    });
}

// Keeps each disk row's folders in packs under ids of its range; answers their new ids by their old.
Result<std::unordered_map<std::int64_t, std::int64_t>> PackEveryListsFolders(const SqliteDatabase& db) {
    std::vector<std::pair<std::int64_t, std::int64_t>> lists; // each disk row's id and range
    Result<SqliteStatement> listed = db.prepare("SELECT id, entry_range FROM disks ORDER BY id");
    Result<Done> read = Then(listed, [&] {
        return listed.value().forEachRow(
            [&](const SqliteStatement& row) { lists.emplace_back(row.integer(0), row.integer(1)); });
    });
    Result<SqliteStatement> folders = Then(read, [&] {
        return db.prepare("SELECT id, path, unreadable, first_entry, last_entry FROM folders WHERE disk = ?"
                          " ORDER BY id");
    });
    if (!folders) {
        return folders.failure();
    }
    std::unordered_map<std::int64_t, std::int64_t> renumbered;
    for (const auto& [list, range] : lists) {
        std::vector<PackedFolder> packs;
        SqliteStatement& query = folders.value();
        query.reset();
        query.bind(1, list);
        Result<Done> listRead = query.forEachRow([&](const SqliteStatement& row) {
            renumbered.emplace(row.integer(0), FolderId(range, packs.size()));
            packs.push_back({row.text(1), row.integer(2) != 0, row.isNull(3) ? 0 : row.integer(3),
                             row.isNull(4) ? 0 : row.integer(4)});
        });
        if (Result<Done> written = Then(listRead, [&] { return WriteFolderPacks(db, range, packs); });
            !written) {
            return written.failure();
        }
    }
    return renumbered;
}

// Writes every block again with its entries' folders renumbered.
Result<Done> RenumberBlockFolders(const SqliteDatabase& db,
                                  const std::unordered_map<std::int64_t, std::int64_t>& renumbered) {
    return RewriteBlocks(db,
                         [&](std::int64_t first, std::int64_t last,
                             std::string_view stored) -> Result<std::optional<std::string>> {
                             Result<UnpackedEntries> unpacked = ReadBlock(db, stored, first, last);
                             if (!unpacked) {
                                 return unpacked.failure();
                             }
                             std::vector<BlockEntry> entries;
                             entries.reserve(unpacked->size());
                             for (std::size_t at = 0; at < unpacked->size(); ++at) {
                                 const UnpackedEntries::Entry& entry = (*unpacked)[at];
                                 const auto id = renumbered.find(entry.folder);
                                 entries.push_back({id == renumbered.end() ? entry.folder : id->second,
                                                    std::string(unpacked->name(entry)), entry.isFolder,
                                                    entry.size, entry.modified});
                             }
                             Result<std::string> pressed = db.blockCodec().press(PackEntries(entries));
                             return Then(pressed, [&] {
                                 return Result<std::optional<std::string>>(std::move(pressed).value());
                             });
                         });
}

// Each list's folders are kept in packs, numbered within the list's range: the folders and their index
// by path took a quarter of the file. The blocks are written again with the folders' new ids.
Result<Done> SeventhVersion(const SqliteDatabase& db) {
    Result<Done> made =
        db.execute("CREATE TABLE folder_packs (first INTEGER PRIMARY KEY, data BLOB NOT NULL)");
    Result<std::unordered_map<std::int64_t, std::int64_t>> renumbered =
        Then(made, [&] { return PackEveryListsFolders(db); });
    Result<Done> rewritten = Then(renumbered, [&] { return RenumberBlockFolders(db, *renumbered); });
    return Then(rewritten, [&] {
        return db.execute("DROP TABLE folders; CREATE VIRTUAL TABLE folders USING tessaline_folders");
    });
}

Result<Done> SetVersion(const SqliteDatabase& db, int version) {
    return db.execute("PRAGMA user_version = " + std::to_string(version));
}

} // namespace

Result<Done> CreateCatalogueSchema(const SqliteDatabase& db) {
    if (auto created = db.execute(FirstTables); !created) {
        return created;
    }
    return UpgradeCatalogueSchema(db, 1);
}

Result<Done> UpgradeCatalogueSchema(const SqliteDatabase& db, int version) {
    static_assert(SqliteCatalogueStore::SchemaVersion == 8, "a new version needs its step here");
    if (version < 2) {
        if (auto upgraded = db.execute(SecondVersion); !upgraded) {
            return upgraded;
        }
    }
    if (version < 3) {
        if (auto upgraded = db.execute(ThirdVersion); !upgraded) {
            return upgraded;
        }
    }
    if (version < 4) {
        if (auto upgraded = db.execute(FourthVersion); !upgraded) {
            return upgraded;
        }
    }
    if (version < 5) {
        if (auto upgraded = FifthVersion(db); !upgraded) {
            return upgraded;
        }
    }
    if (version < 6) {
        if (auto upgraded = SixthVersion(db); !upgraded) {
            return upgraded;
        }
    }
    if (version < 7) {
        if (auto upgraded = SeventhVersion(db); !upgraded) {
            return upgraded;
        }
    }
    if (version < 8) {
        // Once a file holds enough entries, its blocks are pressed with a dictionary trained on them.
        if (auto upgraded =
                db.execute("CREATE TABLE block_dictionary (id INTEGER PRIMARY KEY, data BLOB NOT NULL)");
            !upgraded) {
            return upgraded;
        }
    }
    return SetVersion(db, SqliteCatalogueStore::SchemaVersion);
}

std::string IndexedNames(std::span<const BlockEntry> entries) {
    std::string text;
    for (const BlockEntry& entry : entries) {
        ((text += NameStart) += entry.name) += NameEnd;
    }
    return text;
}

std::string IndexedNames(const UnpackedEntries& entries) {
    std::string text;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        ((text += NameStart) += entries.name(entries[at])) += NameEnd;
    }
    return text;
}

Result<Done> UnindexBlocks(const SqliteDatabase& db, std::int64_t from, std::int64_t to) {
    Result<SqliteStatement> remove =
        db.prepare("INSERT INTO entry_names (entry_names, rowid, name) VALUES ('delete', ?, ?)");
    if (!remove) {
        return remove.failure();
    }
    return EachBlockNamed(
        db,
        db.prepare("SELECT number, first, last, data FROM entry_blocks WHERE first BETWEEN ? AND ?", from,
                   to),
        1, [&](const SqliteStatement& block, const std::string& names) {
            remove.value().reset();
            return remove.value().bind(1, block.integer(0)).bind(2, names).run();
        });
}

Result<Done> AddEntryBlocks(const SqliteDatabase& db, std::int64_t first,
                            const std::vector<BlockEntry>& entries, bool indexed) {
    Result<SqliteStatement> insert =
        db.prepare(indexed ? "INSERT INTO entry_blocks (first, last, data, number) VALUES (?, ?, ?, ?)"
                           : "INSERT INTO entry_blocks (first, last, data) VALUES (?, ?, ?)");
    Result<SqliteStatement> index = Then(insert, [&] { return db.prepare(IndexBlock); });
    if (!index) {
        return index.failure();
    }
    std::int64_t number = 0; // of the block written last
    if (indexed) {
        Result<std::optional<std::int64_t>> last = db.queryInteger("SELECT max(number) FROM entry_blocks");
        if (!last) {
            return last.failure();
        }
        number = last->value_or(0);
    }
    for (std::size_t from = 0; from < entries.size();) {
        const std::int64_t id = first + static_cast<std::int64_t>(from);
        // A block ends with its disk's range of ids, so that a disk's blocks go with it.
        const std::int64_t toRangeEnd = EntriesPerDisk - (id % EntriesPerDisk);
        const std::size_t count = static_cast<std::size_t>(std::min<std::int64_t>(
            {EntriesPerBlock, toRangeEnd, static_cast<std::int64_t>(entries.size() - from)}));
        const std::span<const BlockEntry> block = std::span(entries).subspan(from, count);
        SqliteStatement& row = insert.value();
        row.reset();
        Result<std::string> stored = db.blockCodec().press(PackEntries(block));
        if (!stored) {
            return stored.failure();
        }
        row.bind(1, id).bind(2, id + static_cast<std::int64_t>(count) - 1).bindBlob(3, *stored);
        if (indexed) {
            row.bind(4, ++number);
        }
        if (Result<Done> added = row.run(); !added) {
            return added;
        }
        if (indexed) {
            index.value().reset();
            if (Result<Done> added = index.value().bind(1, number).bind(2, IndexedNames(block)).run();
                !added) {
                return added;
            }
        }
        from += count;
    }
    return Done{};
}

Result<Done> WriteFolderPacks(const SqliteDatabase& db, std::int64_t range,
                              std::span<const PackedFolder> folders, std::size_t from) {
    Result<SqliteStatement> write =
        db.prepare("INSERT OR REPLACE INTO folder_packs (first, data) VALUES (?, ?)");
    if (!write) {
        return write.failure();
    }
    constexpr auto PerPack = static_cast<std::size_t>(FoldersPerPack);
    for (std::size_t pack = from - from % PerPack; pack < folders.size(); pack += PerPack) {
        SqliteStatement& row = write.value();
        row.reset();
        row.bind(1, FolderId(range, pack))
            .bindBlob(2, PackFolders(folders.subspan(pack, std::min(PerPack, folders.size() - pack))));
        if (Result<Done> written = row.run(); !written) {
            return written;
        }
    }
    return Done{};
}

Result<Done> RewriteBlocks(const SqliteDatabase& db, const BlockRewrite& rewrite) {
    // The firsts first: the blocks are written while none is being read.
    std::vector<std::int64_t> blocks;
    Result<SqliteStatement> firsts = db.prepare("SELECT first FROM entry_blocks ORDER BY first");
    Result<Done> read = Then(firsts, [&] {
        return firsts.value().forEachRow(
            [&](const SqliteStatement& row) { blocks.push_back(row.integer(0)); });
    });
    Result<SqliteStatement> block =
        Then(read, [&] { return db.prepare("SELECT last, data FROM entry_blocks WHERE first = ?"); });
    Result<SqliteStatement> update =
        Then(block, [&] { return db.prepare("UPDATE entry_blocks SET data = ? WHERE first = ?"); });
    if (!update) {
        return update.failure();
    }
    for (const std::int64_t first : blocks) {
        SqliteStatement& row = block.value();
        row.reset();
        row.bind(1, first);
        Result<bool> found = row.step();
        if (!found || !*found) {
            return found ? Result<Done>(Failure{"a block of the catalogue's entries is damaged"})
                         : Result<Done>(found.failure());
        }
        Result<std::optional<std::string>> stored = rewrite(first, row.integer(0), row.blobView(1));
        if (!stored) {
            return stored.failure();
        }
        if (!*stored) {
            continue; // left as it is
        }
        SqliteStatement& written = update.value();
        written.reset();
        if (Result<Done> done = written.bindBlob(1, **stored).bind(2, first).run(); !done) {
            return done;
        }
    }
    return Done{};
}
