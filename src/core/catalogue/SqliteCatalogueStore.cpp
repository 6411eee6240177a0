#include "core/catalogue/SqliteCatalogueStore.h"

#include "core/catalogue/BlockDictionary.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/CatalogueSearch.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/ListFolders.h"
#include "core/catalogue/SearchQuery.h"
#include "core/catalogue/SqliteDatabase.h"
#include "core/catalogue/SqliteTransaction.h"
#include "core/runtime/FileAccess.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unordered_map>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Older versions that a reading takes as they are (their name index answers the same questions; converting
// a large file in memory would cost seconds at every reading); the oldest of them keeps no range of ids in
// its folders, which have an index of their entries instead. Older ones still are read through an
// up-to-date copy in memory.
constexpr int ReadAsItIsSince = 3;
constexpr int NoFolderSpans = 3;

// A locked file must fail fast: the label is printed whether or not the disk could be recorded.
constexpr auto BusyTimeout = std::chrono::milliseconds(250);

enum class Health { Ready, Damaged };

// What a user can do about a damaged file that a read or a change met.
constexpr const char* DamagedFileAdvice =
    ". Put a backup in its place, or let Tessaline move it aside and start a new catalogue: it does so when "
    "the next label is printed";

Failure Cannot(std::string_view doing, const std::string& reason) {
    return Failure{"cannot " + std::string(doing) + ": " + reason};
}

std::string SystemReason(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// Each missing folder on the way to the file, readable by the user only.
Result<Done> MakeFolders(const fs::path& folder) {
    fs::path path;
    for (const fs::path& part : folder) {
        path /= part;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            return Failure{SystemReason("cannot create the folder " + path.string(), errno)};
        }
    }
    return Done{};
}

// Created here rather than by SQLite, so that it is the user's alone from the start.
Result<Done> CreateFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) {
            return Done{};
        }
        return Failure{SystemReason("cannot create " + path, errno)};
    }
    ::close(fd);
    return Done{};
}

// A file without write permission is left alone, even by root.
bool Writable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 || !ReadOnlyReason(info, path);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Renames the file (with its write-ahead log and shared-memory index, so that it can still be opened)
// to "<path>.corrupt-<today>", or "<path>.corrupt-<today>.N" when that is taken.
Result<std::string> MoveAside(const std::string& path, const std::string& today) {
    const std::string base = path + ".corrupt-" + today;
    std::string aside = base;
    for (int n = 2; Exists(aside) || Exists(aside + "-wal"); ++n) {
        aside = base + "." + std::to_string(n);
    }
    for (const char* suffix : {"-wal", "-shm", ""}) {
        const std::string from = path + suffix;
        if (::rename(from.c_str(), (aside + suffix).c_str()) != 0 && (errno != ENOENT || *suffix == '\0')) {
            return Failure{SystemReason(path + " is damaged and cannot be moved aside", errno)};
        }
    }
    return aside;
}

// Whether the failure came from a damaged file, which is moved aside, or from something else, which is told.
Result<Health> DamagedOr(const SqliteDatabase& db, const std::string& reason) {
    if (db.lastFailureIsDamage()) {
        return Health::Damaged;
    }
    return Failure{reason};
}

// A whole-file check reads every page (a third of a second for a million entries), so it is done on the
// first opening of a day; a fault found in between fails the query that meets it.
Result<Health> Check(const SqliteDatabase& db, bool& checked, const std::string& today, int version) {
    if (version >= 2) {
        Result<std::optional<std::string>> last =
            db.queryText("SELECT value FROM facts WHERE key = 'checked'");
        if (!last) {
            return DamagedOr(db, last.reason());
        }
        if (*last == today) {
            return Health::Ready;
        }
    }
    Result<std::optional<std::string>> verdict = db.queryText("PRAGMA quick_check(1)");
    if (!verdict) {
        return DamagedOr(db, verdict.reason());
    }
    if (*verdict != "ok") {
        return Health::Damaged;
    }
    checked = true;
    return Health::Ready;
}

Result<Health> BringUpToDate(const SqliteDatabase& db, int version, bool empty) {
    if (version == SqliteCatalogueStore::SchemaVersion) {
        return Health::Ready;
    }
    if (version > SqliteCatalogueStore::SchemaVersion) {
        return Failure{db.path() + " was written by a newer version of Tessaline"};
    }
    if (version == 0 && !empty) {
        return Failure{db.path() + " is a database of another program"};
    }
    if (db.readOnly()) {
        return Failure{db.path() + " is read-only and needs to be brought up to date first"};
    }
    Result<SqliteTransaction> transaction = SqliteTransaction::begin(db);
    if (!transaction) {
        return DamagedOr(db, transaction.reason());
    }
    Result<Done> done = version == 0 ? CreateCatalogueSchema(db) : UpgradeCatalogueSchema(db, version);
    if (!done) {
        return DamagedOr(db, done.reason());
    }
    if (Result<Done> committed = transaction.value().commit(); !committed) {
        return DamagedOr(db, committed.reason());
    }
    return Health::Ready;
}

// New files give the space of removed entries back to the file system as it is freed.
Result<Done> ReclaimSpace(const SqliteDatabase& db) {
    return db.execute("PRAGMA incremental_vacuum");
}

// The name index keeps a removed entry as a mark until its pieces are merged: merged at once, the index
// gives back the removed disk's share (the whole index is written again: seconds for a million entries).
Result<Done> CompactNameIndex(const SqliteDatabase& db) {
    return db.execute("INSERT INTO entry_names (entry_names) VALUES ('optimize')");
}

// A file from before incremental vacuuming is converted once; it may fail (a full disk, a reader) and be
// tried at the next opening.
void ConvertToIncrementalVacuum(const SqliteDatabase& db) {
    Result<std::optional<std::int64_t>> mode = db.queryInteger("PRAGMA auto_vacuum");
    if (mode && mode->value_or(0) == 0) {
        (void)db.execute("PRAGMA auto_vacuum = INCREMENTAL; VACUUM");
    }
}

// Everything an opening to record needs: a readable database in WAL mode, checked and of the current
// schema. Other openings only see that the file is readable and of a version this program can read.
Result<Health> Prepare(const SqliteDatabase& db, const std::string& today, bool record) {
    if (Result<Done> on = db.execute("PRAGMA foreign_keys = ON"); !on) {
        return on.failure();
    }
    Result<std::optional<std::int64_t>> version = db.queryInteger("PRAGMA user_version");
    if (!version) {
        return DamagedOr(db, version.reason());
    }
    Result<std::optional<std::int64_t>> tables = db.queryInteger("SELECT count(*) FROM sqlite_schema");
    if (!tables) {
        return DamagedOr(db, tables.reason());
    }
    const int schema = static_cast<int>(version->value_or(0));
    const bool empty = tables->value_or(0) == 0;
    if (!record) {
        if (schema > SqliteCatalogueStore::SchemaVersion) {
            return Failure{db.path() + " was written by a newer version of Tessaline"};
        }
        if (schema == 0 && !empty) {
            return Failure{db.path() + " is a database of another program"};
        }
        return Health::Ready;
    }
    if (!db.readOnly()) {
        // Set before anything is written to a new file; an older file is converted once it is up to date.
        if (empty) {
            (void)db.execute("PRAGMA auto_vacuum = INCREMENTAL");
        }
        // NORMAL is safe in WAL mode: a power cut may lose the last transactions, never the file.
        Result<Done> wal = db.execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL");
        if (!wal) {
            return DamagedOr(db, wal.reason());
        }
    }
    bool checked = false;
    if (!empty) {
        Result<Health> health = Check(db, checked, today, schema);
        if (!health || *health == Health::Damaged) {
            return health;
        }
    }
    Result<Health> health = BringUpToDate(db, schema, empty);
    if (health && *health == Health::Ready && !db.readOnly()) {
        if (schema < 3 && !empty) {
            ConvertToIncrementalVacuum(db);
        } else if (schema < SqliteCatalogueStore::SchemaVersion && !empty) {
            // The smaller name index, the entries' index by folder, the entries packed into blocks.
            (void)ReclaimSpace(db);
        }
        if (checked) {
            // Failing here (a locked file) costs no more than another check at the next opening.
            (void)db.run("INSERT OR REPLACE INTO facts (key, value) VALUES ('checked', ?)", today);
        }
    }
    return health;
}

// The file's tables brought up to date in memory: a file of no tables reads as an empty catalogue, and an
// older one as it will be once it is recorded to, without a change to the file.
Result<std::unique_ptr<SqliteDatabase>> InMemoryCopy(const SqliteDatabase& file, int version) {
    Result<std::unique_ptr<SqliteDatabase>> memory =
        SqliteDatabase::open(":memory:", SqliteDatabase::Access::ReadWrite);
    if (!memory) {
        return memory;
    }
    Result<std::optional<std::int64_t>> tables = file.queryInteger("SELECT count(*) FROM sqlite_schema");
    if (!tables) {
        return tables.failure();
    }
    const bool empty = tables->value_or(0) == 0;
    if (!empty) {
        if (Result<Done> copied = file.copyInto(*memory.value()); !copied) {
            return copied.failure();
        }
    }
    if (Result<Done> on = memory.value()->execute("PRAGMA foreign_keys = ON"); !on) {
        return on.failure();
    }
    Result<Health> health = BringUpToDate(*memory.value(), version, empty);
    if (!health) {
        return health.failure();
    }
    return memory;
}

std::string DamageAdvice(const SqliteDatabase& db) {
    return db.lastFailureIsDamage() ? DamagedFileAdvice : "";
}

// Runs `work` in one write transaction: a failure anywhere leaves the file as it was.
template <typename Work> Result<Done> InTransaction(const SqliteDatabase& db, Work work) {
    Result<SqliteTransaction> transaction = SqliteTransaction::begin(db);
    if (!transaction) {
        return transaction.failure();
    }
    if (Result<Done> done = work(); !done) {
        return done;
    }
    return transaction.value().commit();
}

constexpr std::string_view DiskColumns =
    "id, number, volume, serial, drive_type, capacity, used, free, first_labelled, last_labelled, company, "
    "entry_count, skipped_folders, complete";

DiskRecord ReadDisk(const SqliteStatement& row) {
    DiskRecord disk;
    disk.id = row.integer(0);
    disk.number = static_cast<int>(row.integer(1));
    disk.volumeName = row.text(2);
    disk.serial = static_cast<std::uint32_t>(row.integer(3));
    disk.driveType = row.text(4);
    disk.capacityBytes = static_cast<std::uint64_t>(row.integer(5));
    disk.usedBytes = static_cast<std::uint64_t>(row.integer(6));
    disk.freeBytes = static_cast<std::uint64_t>(row.integer(7));
    disk.firstLabelled = row.integer(8);
    disk.lastLabelled = row.integer(9);
    disk.company = row.text(10);
    disk.entries = static_cast<std::uint64_t>(row.integer(11));
    disk.skippedFolders = static_cast<std::uint64_t>(row.integer(12));
    disk.complete = row.integer(13) != 0;
    return disk;
}

Result<std::vector<DiskRecord>> ReadDisks(Result<SqliteStatement> query) {
    if (!query) {
        return query.failure();
    }
    std::vector<DiskRecord> disks;
    if (Result<Done> read =
            query.value().forEachRow([&](const SqliteStatement& disk) { disks.push_back(ReadDisk(disk)); });
        !read) {
        return read.failure();
    }
    return disks;
}

Result<std::optional<DiskRecord>> FirstDisk(Result<SqliteStatement> query) {
    Result<std::vector<DiskRecord>> disks = ReadDisks(std::move(query));
    if (!disks) {
        return disks.failure();
    }
    if (disks->empty()) {
        return std::optional<DiskRecord>();
    }
    return std::optional<DiskRecord>(disks->front());
}

Result<Done> NeedDisk(const SqliteDatabase& db, std::int64_t diskId) {
    Result<std::optional<std::int64_t>> known = db.queryInteger("SELECT 1 FROM disks WHERE id = ?", diskId);
    if (!known) {
        return known.failure();
    }
    if (!*known) {
        return Failure{"the catalogue holds no disk " + std::to_string(diskId)};
    }
    return Done{};
}

// The range a list's entries are numbered in (a disk's, or a new list's).
Result<std::int64_t> RangeOf(const SqliteDatabase& db, std::int64_t listId) {
    Result<std::optional<std::int64_t>> range =
        db.queryInteger("SELECT entry_range FROM disks WHERE id = ?", listId);
    if (!range) {
        return range.failure();
    }
    if (!*range) {
        return Failure{"the catalogue holds no disk " + std::to_string(listId)};
    }
    return **range;
}

// A range's entries, out of the name index first (it needs their names to find them).
Result<Done> DropRange(const SqliteDatabase& db, std::int64_t range) {
    const std::int64_t first = range * EntriesPerDisk;
    const std::int64_t last = first + EntriesPerDisk - 1;
    Result<Done> unindexed = UnindexBlocks(db, first, last);
    Result<Done> dropped = Then(unindexed, [&] {
        return db.run("DELETE FROM entry_blocks WHERE first BETWEEN ? AND ?", first, last);
    });
    return Then(dropped, [&] {
        return db.run("DELETE FROM folder_packs WHERE first BETWEEN ? AND ?", FolderId(range, 0),
                      FolderId(range + 1, 0) - 1);
    });
}

// Drops a list with its folders and entries, and the disk row that holds it.
Result<Done> DropList(const SqliteDatabase& db, std::int64_t listId) {
    Result<std::int64_t> range = RangeOf(db, listId);
    if (!range) {
        return range.failure();
    }
    if (Result<Done> dropped = DropRange(db, *range); !dropped) {
        return dropped;
    }
    return db.run("DELETE FROM disks WHERE id = ?", listId);
}

// New lists of a disk left by a walk that never finished (the program ended mid-walk).
Result<Done> DropNewLists(const SqliteDatabase& db, std::int64_t diskId) {
    Result<SqliteStatement> query = db.prepare("SELECT id FROM disks WHERE replaces = ?", diskId);
    std::vector<std::int64_t> lists;
    if (!query) {
        return query.failure();
    }
    if (Result<Done> read =
            query.value().forEachRow([&](const SqliteStatement& row) { lists.push_back(row.integer(0)); });
        !read) {
        return read;
    }
    for (const std::int64_t list : lists) {
        if (Result<Done> dropped = DropList(db, list); !dropped) {
            return dropped;
        }
    }
    return Done{};
}

// A new disk row's id: above every id and every range in use, so that a new range is never one whose
// entries belong to another disk.
constexpr std::string_view NextId = "(SELECT coalesce(max(max(id, entry_range)), 0) + 1 FROM disks)";

} // namespace

SqliteCatalogueStore::SqliteCatalogueStore(std::string path, std::unique_ptr<SqliteDatabase> db,
                                           CatalogueAccess access)
    : m_path(std::move(path)), m_access(access), m_db(std::move(db)) {}

SqliteCatalogueStore::~SqliteCatalogueStore() {
    m_staged.reset(); // entries never committed are not kept
    if (m_db && !m_db->readOnly()) {
        // Whatever waits in the log goes into the main file; failing (another connection reads) leaves it
        // for the last connection's close.
        (void)m_db->execute("PRAGMA wal_checkpoint(TRUNCATE)");
    }
}

Failure SqliteCatalogueStore::cannot(std::string_view doing, const std::string& reason) const {
    return Cannot(doing, reason + (m_access != CatalogueAccess::Record ? DamageAdvice(*m_db) : ""));
}

Result<std::unique_ptr<CatalogueStore>>
SqliteCatalogueStore::open(const std::string& path, const std::string& today, CatalogueAccess access) {
    if (access != CatalogueAccess::Record) {
        return OpenExisting(path, access);
    }
    const std::string doing = "open the catalogue";
    if (Result<Done> made = MakeFolders(fs::path(path).parent_path()); !made) {
        return Cannot(doing, made.reason());
    }
    std::string movedAside;
    for (;;) {
        if (Result<Done> created = CreateFile(path); !created) {
            return Cannot(doing, created.reason());
        }
        const auto mode =
            Writable(path) ? SqliteDatabase::Access::ReadWrite : SqliteDatabase::Access::ReadOnly;
        Result<std::unique_ptr<SqliteDatabase>> db = SqliteDatabase::open(path, mode);
        if (!db) {
            return Cannot(doing, db.reason());
        }
        db.value()->setBusyTimeout(BusyTimeout);
        Result<Health> health = Prepare(*db.value(), today, true);
        if (!health) {
            return Cannot(doing, health.reason());
        }
        if (*health == Health::Ready) {
            std::unique_ptr<SqliteCatalogueStore> store(
                new SqliteCatalogueStore(path, std::move(db).value(), access));
            store->m_movedAside = std::move(movedAside);
            return std::unique_ptr<CatalogueStore>(std::move(store));
        }
        // A file started anew that is damaged at once is not worth another round.
        if (mode == SqliteDatabase::Access::ReadOnly || !movedAside.empty()) {
            return Cannot(doing, path + " is damaged");
        }
        db.value().reset();
        Result<std::string> aside = MoveAside(path, today);
        if (!aside) {
            return Cannot(doing, aside.reason());
        }
        movedAside = std::move(aside).value();
    }
}

Result<std::unique_ptr<CatalogueStore>> SqliteCatalogueStore::OpenExisting(const std::string& path,
                                                                           CatalogueAccess access) {
    const std::string doing = access == CatalogueAccess::Read ? "read the catalogue" : "open the catalogue";
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return Cannot(doing, SystemReason(path, errno));
    }
    SqliteDatabase::Access mode = SqliteDatabase::Access::ReadOnly;
    if (access == CatalogueAccess::Change && Writable(path)) {
        mode = SqliteDatabase::Access::ReadWrite;
    } else if (access == CatalogueAccess::Read && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 &&
               !Exists(path + "-wal")) {
        // Nothing writes a file without write bits, and without a log all of it is in the main file: read
        // so, no shared-memory file is made (one made now would keep its read-only mode once the user gives
        // the file its write bits back).
        mode = SqliteDatabase::Access::Immutable;
    }
    Result<std::unique_ptr<SqliteDatabase>> db = SqliteDatabase::open(path, mode);
    if (!db) {
        return Cannot(doing, db.reason());
    }
    db.value()->setBusyTimeout(BusyTimeout);
    Result<Health> health = Prepare(*db.value(), {}, false);
    if (!health) {
        return Cannot(doing, health.reason() + DamageAdvice(*db.value()));
    }
    if (*health == Health::Damaged) {
        return Cannot(doing, path + " is damaged" + DamagedFileAdvice);
    }
    Result<std::optional<std::int64_t>> version = db.value()->queryInteger("PRAGMA user_version");
    if (!version) {
        return Cannot(doing, version.reason() + DamageAdvice(*db.value()));
    }
    const int schema = static_cast<int>(version->value_or(0));
    if (schema != SchemaVersion && access == CatalogueAccess::Change) {
        Result<Health> updated = BringUpToDate(*db.value(), schema, false);
        if (!updated) {
            return Cannot(doing, updated.reason());
        }
    } else if (schema >= ReadAsItIsSince && schema < SchemaVersion) {
        std::unique_ptr<SqliteCatalogueStore> store(
            new SqliteCatalogueStore(path, std::move(db).value(), access));
        store->m_schema = schema;
        return std::unique_ptr<CatalogueStore>(std::move(store));
    } else if (schema != SchemaVersion) {
        // A file of no tables yet, or of an older version: read through an up-to-date copy in memory, so
        // that reading never changes the file.
        Result<std::unique_ptr<SqliteDatabase>> copy = InMemoryCopy(*db.value(), schema);
        if (!copy) {
            return Cannot(doing, copy.reason());
        }
        db = std::move(copy);
    }
    return std::unique_ptr<CatalogueStore>(new SqliteCatalogueStore(path, std::move(db).value(), access));
}

Result<std::optional<DiskRecord>> SqliteCatalogueStore::recognise(const DiskIdentity& identity) const {
    if (identity.serial == 0) {
        return std::optional<DiskRecord>();
    }
    Result<std::optional<DiskRecord>> disk = FirstDisk(
        m_db->prepare("SELECT " + std::string(DiskColumns) +
                          " FROM disks WHERE serial = ? AND capacity = ? AND replaces IS NULL"
                          " ORDER BY last_labelled DESC, id DESC LIMIT 1",
                      std::int64_t{identity.serial}, static_cast<std::int64_t>(identity.capacityBytes)));
    if (!disk) {
        return cannot("look the disk up in the catalogue", disk.reason());
    }
    return disk;
}

Result<std::int64_t> SqliteCatalogueStore::addDisk(const DiskRecord& disk, std::int64_t printedAt) {
    Result<std::int64_t> id = Failure{};
    Result<Done> added = InTransaction(*m_db, [&]() -> Result<Done> {
        Result<std::optional<std::int64_t>> next = m_db->queryInteger("SELECT " + std::string(NextId));
        if (!next) {
            return next.failure();
        }
        id = next->value_or(1);
        return m_db->run(
            "INSERT INTO disks (id, entry_range, number, volume, serial, drive_type, capacity, used, free,"
            " first_labelled, last_labelled, company) VALUES (?1, ?1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            *id, std::int64_t{disk.number}, disk.volumeName, std::int64_t{disk.serial}, disk.driveType,
            static_cast<std::int64_t>(disk.capacityBytes), static_cast<std::int64_t>(disk.usedBytes),
            static_cast<std::int64_t>(disk.freeBytes), printedAt, printedAt, disk.company);
    });
    if (!added) {
        return cannot("record disk #" + std::to_string(disk.number) + " in the catalogue", added.reason());
    }
    return id;
}

Result<Done> SqliteCatalogueStore::relabelDisk(std::int64_t diskId, const DiskRecord& facts,
                                               std::int64_t printedAt) {
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        return m_db->run("UPDATE disks SET volume = ?, drive_type = ?, capacity = ?, used = ?, free = ?,"
                         " company = ?, last_labelled = ? WHERE id = ?",
                         facts.volumeName, facts.driveType, static_cast<std::int64_t>(facts.capacityBytes),
                         static_cast<std::int64_t>(facts.usedBytes),
                         static_cast<std::int64_t>(facts.freeBytes), facts.company, printedAt, diskId);
    });
    if (!done) {
        return cannot("record the new label in the catalogue", done.reason());
    }
    return done;
}

Result<Done> SqliteCatalogueStore::refreshDisk(std::int64_t diskId, const DiskRecord& facts) {
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        return m_db->run(
            "UPDATE disks SET volume = ?, drive_type = ?, capacity = ?, used = ?, free = ? WHERE id = ?",
            facts.volumeName, facts.driveType, static_cast<std::int64_t>(facts.capacityBytes),
            static_cast<std::int64_t>(facts.usedBytes), static_cast<std::int64_t>(facts.freeBytes), diskId);
    });
    if (!done) {
        return cannot("record the disk's facts in the catalogue", done.reason());
    }
    return done;
}

Result<std::optional<DiskRecord>> SqliteCatalogueStore::disk(std::int64_t diskId) const {
    Result<std::optional<DiskRecord>> disk =
        FirstDisk(m_db->prepare("SELECT " + std::string(DiskColumns) + " FROM disks WHERE id = ?", diskId));
    if (!disk) {
        return cannot("read the catalogue", disk.reason());
    }
    return disk;
}

Result<std::vector<DiskRecord>> SqliteCatalogueStore::disks() const {
    Result<std::vector<DiskRecord>> disks = ReadDisks(m_db->prepare(
        "SELECT " + std::string(DiskColumns) + " FROM disks WHERE replaces IS NULL ORDER BY number, id"));
    if (!disks) {
        return cannot("read the catalogue", disks.reason());
    }
    return disks;
}

Result<Done> SqliteCatalogueStore::removeDisk(std::int64_t diskId) {
    // Its folders and their entries go with it, and a new list a walk was making.
    Result<Done> removed = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> dropped = DropNewLists(*m_db, diskId); !dropped) {
            return dropped;
        }
        return DropList(*m_db, diskId);
    });
    if (!removed) {
        return cannot("remove the disk from the catalogue", removed.reason());
    }
    // The disk is gone either way; a file that keeps its space for now gives it back with the next removal.
    if (CompactNameIndex(*m_db)) {
        (void)ReclaimSpace(*m_db);
    }
    return removed;
}

Result<std::int64_t> SqliteCatalogueStore::beginEntries(std::int64_t diskId) {
    std::int64_t list = diskId;
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        if (Result<Done> dropped = DropNewLists(*m_db, diskId); !dropped) {
            return dropped;
        }
        Result<std::optional<std::int64_t>> listed =
            m_db->queryInteger("SELECT 1 FROM folders WHERE disk = ? LIMIT 1", diskId);
        if (!listed) {
            return listed.failure();
        }
        if (!*listed) {
            return m_db->run(
                "UPDATE disks SET entry_count = 0, skipped_folders = 0, complete = 0 WHERE id = ?", diskId);
        }
        // The disk keeps its list, to be found, until the new one is complete.
        Result<std::optional<std::int64_t>> next = m_db->queryInteger("SELECT " + std::string(NextId));
        if (!next) {
            return next.failure();
        }
        list = next->value_or(1);
        return m_db->run("INSERT INTO disks (id, entry_range, replaces, number, volume, serial, drive_type,"
                         " capacity, used, free, first_labelled, last_labelled, company)"
                         " SELECT ?1, ?1, id, number, '', 0, '', 0, 0, 0, 0, 0, '' FROM disks WHERE id = ?2",
                         list, diskId);
    });
    if (!done) {
        return cannot("start the disk's entries in the catalogue", done.reason());
    }
    return list;
}

Result<Done> SqliteCatalogueStore::addEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                                              const std::vector<std::string>& unreadableFolders) {
    Result<Done> staged = stageEntries(listId, batch, unreadableFolders);
    return staged ? commitEntries() : staged;
}

Result<Done> SqliteCatalogueStore::stageEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                                                const std::vector<std::string>& unreadableFolders) {
    if (m_staged && m_staged->list != listId) {
        if (Result<Done> committed = commitEntries(); !committed) {
            return committed;
        }
    }
    Result<Done> done = m_staged ? Result<Done>(Done{}) : openStage(listId);
    if (done) {
        done = writeStage(batch, unreadableFolders);
    }
    if (!done) {
        m_staged.reset();
        m_folders.reset(); // what it holds may not be what the file holds
        return cannot("add the disk's entries to the catalogue", done.reason());
    }
    if (m_staged->count >= static_cast<std::int64_t>(EntriesPerCommit) ||
        std::chrono::steady_clock::now() - m_staged->since >= StagedLongest) {
        return commitEntries();
    }
    return done;
}

Result<Done> SqliteCatalogueStore::commitEntries() {
    if (!m_staged) {
        return Done{};
    }
    Result<Done> done = m_folders->write(*m_db);
    if (done) {
        done = m_db->run("UPDATE disks SET entry_count = entry_count + ? WHERE id = ?", m_staged->count,
                         m_staged->list);
    }
    if (done) {
        done = m_staged->transaction.commit();
    }
    m_staged.reset();
    if (!done) {
        m_folders.reset();
        return cannot("add the disk's entries to the catalogue", done.reason());
    }
    return done;
}

Result<Done> SqliteCatalogueStore::openStage(std::int64_t listId) {
    Result<SqliteTransaction> transaction = SqliteTransaction::begin(*m_db);
    if (!transaction) {
        return transaction.failure();
    }
    Result<std::int64_t> range = RangeOf(*m_db, listId);
    if (!range) {
        return range.failure();
    }
    const std::int64_t first = *range * EntriesPerDisk;
    Result<std::optional<std::int64_t>> last = m_db->queryInteger(
        "SELECT max(last) FROM entry_blocks WHERE first BETWEEN ? AND ?", first, first + EntriesPerDisk - 1);
    if (!last) {
        return last.failure();
    }
    // The list's folders as this store last wrote them, unless something else wrote them since.
    Result<bool> current =
        m_folders && m_folders->range() == *range ? m_folders->current(*m_db) : Result<bool>(false);
    if (!current) {
        return current.failure();
    }
    if (!*current) {
        m_folders.reset();
        Result<ListFolders> read = ListFolders::read(*m_db, *range);
        if (!read) {
            return read.failure();
        }
        m_folders = std::make_unique<ListFolders>(std::move(read).value());
    }
    // Pressed when the file has a dictionary, this connection's or another's.
    if (Result<Done> used = UseBlockDictionary(*m_db); !used) {
        return used;
    }
    m_staged.emplace(Staged{std::move(transaction).value(), listId, first, last->value_or(first), 0,
                            std::chrono::steady_clock::now()});
    return Done{};
}

Result<Done> SqliteCatalogueStore::writeStage(const std::vector<CatalogueEntry>& batch,
                                              const std::vector<std::string>& unreadableFolders) {
    Staged& staged = *m_staged;
    std::int64_t id = staged.last;
    if (id - staged.first + static_cast<std::int64_t>(batch.size()) >= EntriesPerDisk) {
        return Failure{"a disk holds too many entries for the catalogue"};
    }
    std::vector<BlockEntry> entries;
    entries.reserve(batch.size());
    // The ids each folder's entries of the batch span: one range a folder, as a walk writes them.
    std::unordered_map<std::int64_t, std::pair<std::int64_t, std::int64_t>> spans;
    for (const CatalogueEntry& entry : batch) {
        const std::int64_t folder = m_folders->idOf(entry.folder);
        entries.push_back({folder, entry.name, entry.isFolder, entry.size, entry.modified});
        ++id;
        auto [span, added] = spans.try_emplace(folder, id, id);
        span->second.second = id;
    }
    if (Result<Done> added = AddEntryBlocks(*m_db, staged.last + 1, entries); !added) {
        return added;
    }
    for (const auto& [folder, span] : spans) {
        m_folders->widen(folder, span.first, span.second);
    }
    for (const std::string& folder : unreadableFolders) {
        m_folders->markUnreadable(folder);
    }
    staged.last = id;
    staged.count += static_cast<std::int64_t>(batch.size());
    return Done{};
}

Result<Done> SqliteCatalogueStore::finishEntries(std::int64_t diskId, std::int64_t listId, bool complete,
                                                 std::uint64_t skippedFolders) {
    if (Result<Done> committed = commitEntries(); !committed) {
        return committed;
    }
    const auto skipped = static_cast<std::int64_t>(skippedFolders);
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        if (listId == diskId) {
            return m_db->run("UPDATE disks SET complete = ?, skipped_folders = ? WHERE id = ?",
                             std::int64_t{complete}, skipped, diskId);
        }
        if (!complete) {
            return DropList(*m_db, listId); // the old list stays as it was
        }
        // The new list takes the old one's place, all at once.
        Result<std::int64_t> oldRange = RangeOf(*m_db, diskId);
        if (!oldRange) {
            return oldRange.failure();
        }
        // The list's folders and entries are of its range, which the disk takes over.
        Result<Done> step = DropRange(*m_db, *oldRange);
        if (step) {
            step = m_db->run("UPDATE disks SET (entry_range, entry_count) = (SELECT entry_range, entry_count"
                             " FROM disks WHERE id = ?), complete = 1 WHERE id = ?",
                             listId, diskId);
        }
        if (step) {
            step = m_db->run("DELETE FROM disks WHERE id = ?", listId);
        }
        if (!step) {
            return step;
        }
        return m_db->run("UPDATE disks SET skipped_folders = ? WHERE id = ?", skipped, diskId);
    });
    if (!done) {
        return cannot("finish the disk's entries in the catalogue", done.reason());
    }
    // Once there are enough entries to train on, every block is pressed; the entries are recorded
    // whether or not that can be done now (the next walk tries again).
    Result<bool> pressed = false;
    if (!InTransaction(*m_db, [&]() -> Result<Done> {
            pressed = PressBlocks(*m_db);
            return pressed ? Result<Done>(Done{}) : Result<Done>(pressed.failure());
        })) {
        ForgetBlockDictionary(*m_db); // undone: later blocks are written plain, readable as they are
        pressed = false;
    }
    if (listId != diskId || (pressed && *pressed)) {
        (void)ReclaimSpace(*m_db);
    }
    return done;
}

Result<std::vector<CatalogueEntry>> SqliteCatalogueStore::folderEntries(std::int64_t diskId,
                                                                        const std::string& folder) const {
    Result<SqliteStatement> query = m_db->prepare(
        "SELECT e.name, e.is_folder, e.size, e.modified, e.is_folder AND EXISTS (SELECT 1 FROM folders u"
        " WHERE u.disk = f.disk AND u.unreadable AND u.path = iif(f.path = '', e.name, f.path || '/' || "
        "e.name))"
        " FROM folders f JOIN entries e ON " +
            std::string(m_schema == NoFolderSpans
                            ? "e.folder = f.id"
                            : "e.id BETWEEN f.first_entry AND f.last_entry AND e.folder = f.id") +
            " WHERE f.disk = ? AND f.path = ?"
            " ORDER BY e.is_folder DESC, e.name",
        diskId, folder);
    if (!query) {
        return cannot("read the catalogue", query.reason());
    }
    std::vector<CatalogueEntry> entries;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& entry) {
            entries.push_back({folder, entry.text(0), entry.integer(1) != 0,
                               static_cast<std::uint64_t>(entry.integer(2)), entry.integer(3),
                               entry.integer(4) != 0});
        });
        !read) {
        return cannot("read the catalogue", read.reason());
    }
    return entries;
}

Result<SearchResult> SqliteCatalogueStore::search(const std::string& text, std::size_t limit) const {
    // A search that cannot be read is the user's to mend, not the file's.
    if (Result<SearchQuery> query = ParseSearch(text); !query) {
        return query.failure();
    }
    Result<SearchResult> found = SearchCatalogue(*m_db, text, limit);
    if (!found) {
        return cannot("search the catalogue", found.reason());
    }
    return found;
}

Result<Done> SqliteCatalogueStore::forEachHit(const std::string& text, const HitVisitor& visit,
                                              bool withTotal) const {
    if (Result<SearchQuery> query = ParseSearch(text); !query) {
        return query.failure();
    }
    Result<Done> done = VisitCatalogueHits(*m_db, text, visit, withTotal);
    if (!done) {
        return cannot("search the catalogue", done.reason());
    }
    return done;
}

Result<Done> SqliteCatalogueStore::backup(const std::string& to) const {
    // Written beside the target and renamed over it once whole, so that a copy cut short leaves the old
    // one; the copy is the user's alone, as the catalogue is.
    const std::string partial = to + ".partial-" + std::to_string(::getpid());
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Cannot("back up the catalogue", SystemReason("cannot write " + to, errno));
    }
    ::close(fd);
    Result<Done> copied = m_db->run("VACUUM INTO ?", partial);
    int error = 0;
    if (copied) {
        const int written = ::open(partial.c_str(), O_RDONLY | O_CLOEXEC);
        if (written < 0 || ::fsync(written) != 0 || ::rename(partial.c_str(), to.c_str()) != 0) {
            error = errno;
        }
        if (written >= 0) {
            ::close(written);
        }
    }
    if (!copied || error != 0) {
        ::unlink(partial.c_str());
        return Cannot("back up the catalogue",
                      copied ? SystemReason("cannot write " + to, error) : copied.reason());
    }
    return Done{};
}

void SqliteCatalogueStore::interrupt() const {
    m_db->interrupt();
}
