#include "core/catalogue/CatalogueStore.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/CatalogueSearch.h"
#include "core/catalogue/SqliteDatabase.h"
#include "core/catalogue/SqliteTransaction.h"

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

// A locked file must fail fast: the label is printed whether or not the disk could be recorded.
constexpr auto BusyTimeout = std::chrono::milliseconds(250);

enum class Health { Ready, Damaged };

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

// Root may write any file, but a file without write permission is still meant to be left alone.
bool Writable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return true;
    }
    if (::geteuid() == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
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
    if (version == CatalogueStore::SchemaVersion) {
        return Health::Ready;
    }
    if (version > CatalogueStore::SchemaVersion) {
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

// Everything an opening needs: a readable database in WAL mode, checked and of the current schema.
Result<Health> Prepare(const SqliteDatabase& db, const std::string& today) {
    if (Result<Done> on = db.execute("PRAGMA foreign_keys = ON"); !on) {
        return Failure{on.reason()};
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
    if (!db.readOnly()) {
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
    if (health && *health == Health::Ready && checked && !db.readOnly()) {
        // Failing here (a locked file) costs no more than another check at the next opening.
        (void)db.run("INSERT OR REPLACE INTO facts (key, value) VALUES ('checked', ?)", today);
    }
    return health;
}

// Runs `work` in one write transaction: a failure anywhere leaves the file as it was.
template <typename Work> Result<Done> InTransaction(const SqliteDatabase& db, Work work) {
    Result<SqliteTransaction> transaction = SqliteTransaction::begin(db);
    if (!transaction) {
        return Failure{transaction.reason()};
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
        return Failure{query.reason()};
    }
    std::vector<DiskRecord> disks;
    if (Result<Done> read =
            query.value().forEachRow([&](const SqliteStatement& disk) { disks.push_back(ReadDisk(disk)); });
        !read) {
        return Failure{read.reason()};
    }
    return disks;
}

Result<std::optional<DiskRecord>> FirstDisk(Result<SqliteStatement> query) {
    Result<std::vector<DiskRecord>> disks = ReadDisks(std::move(query));
    if (!disks) {
        return Failure{disks.reason()};
    }
    if (disks->empty()) {
        return std::optional<DiskRecord>();
    }
    return std::optional<DiskRecord>(disks->front());
}

Result<Done> NeedDisk(const SqliteDatabase& db, std::int64_t diskId) {
    Result<std::optional<std::int64_t>> known = db.queryInteger("SELECT 1 FROM disks WHERE id = ?", diskId);
    if (!known) {
        return Failure{known.reason()};
    }
    if (!*known) {
        return Failure{"the catalogue holds no disk " + std::to_string(diskId)};
    }
    return Done{};
}

// The name index follows the entries a range at a time, in one statement (see CatalogueSchema.cpp).
Result<Done> IndexEntries(const SqliteDatabase& db, std::int64_t first, std::int64_t last) {
    return db.run(
        "INSERT INTO entry_names (rowid, name) SELECT id, name FROM entry_text WHERE id BETWEEN ? AND ?",
        first, last);
}

Result<Done> UnindexEntries(const SqliteDatabase& db, std::int64_t diskId) {
    return db.run("INSERT INTO entry_names (entry_names, rowid, name)"
                  " SELECT 'delete', id, name FROM entry_text WHERE id BETWEEN ? AND ?",
                  diskId * EntriesPerDisk, (diskId + 1) * EntriesPerDisk - 1);
}

// The id of a disk's folder, added when it is new.
class FolderIds {
public:
    FolderIds(const SqliteDatabase& db, std::int64_t diskId) : m_db(db), m_diskId(diskId) {}

    Result<std::int64_t> operator()(const std::string& path) {
        if (auto known = m_ids.find(path); known != m_ids.end()) {
            return known->second;
        }
        Result<std::optional<std::int64_t>> known =
            m_db.queryInteger("SELECT id FROM folders WHERE disk = ? AND path = ?", m_diskId, path);
        if (!known) {
            return Failure{known.reason()};
        }
        std::int64_t id = known->value_or(0);
        if (!*known) {
            if (Result<Done> added =
                    m_db.run("INSERT INTO folders (disk, path) VALUES (?, ?)", m_diskId, path);
                !added) {
                return Failure{added.reason()};
            }
            id = m_db.lastInsertId();
        }
        m_ids.emplace(path, id);
        return id;
    }

private:
    const SqliteDatabase& m_db;
    std::int64_t m_diskId;
    std::unordered_map<std::string, std::int64_t> m_ids;
};

} // namespace

CatalogueStore::CatalogueStore(std::string path, std::unique_ptr<SqliteDatabase> db)
    : m_path(std::move(path)), m_db(std::move(db)) {}

CatalogueStore::~CatalogueStore() = default;

Result<std::unique_ptr<CatalogueStore>> CatalogueStore::open(const std::string& path,
                                                             const std::string& today) {
    const std::string doing = "open the catalogue";
    if (Result<Done> made = MakeFolders(fs::path(path).parent_path()); !made) {
        return Cannot(doing, made.reason());
    }
    std::string movedAside;
    for (;;) {
        if (Result<Done> created = CreateFile(path); !created) {
            return Cannot(doing, created.reason());
        }
        const auto access =
            Writable(path) ? SqliteDatabase::Access::ReadWrite : SqliteDatabase::Access::ReadOnly;
        Result<std::unique_ptr<SqliteDatabase>> db = SqliteDatabase::open(path, access);
        if (!db) {
            return Cannot(doing, db.reason());
        }
        db.value()->setBusyTimeout(BusyTimeout);
        Result<Health> health = Prepare(*db.value(), today);
        if (!health) {
            return Cannot(doing, health.reason());
        }
        if (*health == Health::Ready) {
            std::unique_ptr<CatalogueStore> store(new CatalogueStore(path, std::move(db).value()));
            store->m_movedAside = std::move(movedAside);
            return store;
        }
        // A file started anew that is damaged at once is not worth another round.
        if (access == SqliteDatabase::Access::ReadOnly || !movedAside.empty()) {
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

Result<std::optional<DiskRecord>> CatalogueStore::recognise(const DiskIdentity& identity) const {
    if (identity.serial == 0) {
        return std::optional<DiskRecord>();
    }
    Result<std::optional<DiskRecord>> disk = FirstDisk(
        m_db->prepare("SELECT " + std::string(DiskColumns) +
                          " FROM disks WHERE serial = ? AND capacity = ?"
                          " ORDER BY last_labelled DESC, id DESC LIMIT 1",
                      std::int64_t{identity.serial}, static_cast<std::int64_t>(identity.capacityBytes)));
    if (!disk) {
        return Cannot("look the disk up in the catalogue", disk.reason());
    }
    return disk;
}

Result<std::int64_t> CatalogueStore::addDisk(const DiskRecord& disk, std::int64_t printedAt) {
    Result<Done> added = m_db->run(
        "INSERT INTO disks (number, volume, serial, drive_type, capacity, used, free, first_labelled,"
        " last_labelled, company) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        std::int64_t{disk.number}, disk.volumeName, std::int64_t{disk.serial}, disk.driveType,
        static_cast<std::int64_t>(disk.capacityBytes), static_cast<std::int64_t>(disk.usedBytes),
        static_cast<std::int64_t>(disk.freeBytes), printedAt, printedAt, disk.company);
    if (!added) {
        return Cannot("record disk #" + std::to_string(disk.number) + " in the catalogue", added.reason());
    }
    return m_db->lastInsertId();
}

Result<Done> CatalogueStore::relabelDisk(std::int64_t diskId, const DiskRecord& facts,
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
        return Cannot("record the new label in the catalogue", done.reason());
    }
    return done;
}

Result<std::optional<DiskRecord>> CatalogueStore::disk(std::int64_t diskId) const {
    Result<std::optional<DiskRecord>> disk =
        FirstDisk(m_db->prepare("SELECT " + std::string(DiskColumns) + " FROM disks WHERE id = ?", diskId));
    if (!disk) {
        return Cannot("read the catalogue", disk.reason());
    }
    return disk;
}

Result<std::vector<DiskRecord>> CatalogueStore::disks() const {
    Result<std::vector<DiskRecord>> disks =
        ReadDisks(m_db->prepare("SELECT " + std::string(DiskColumns) + " FROM disks ORDER BY number, id"));
    if (!disks) {
        return Cannot("read the catalogue", disks.reason());
    }
    return disks;
}

Result<Done> CatalogueStore::removeDisk(std::int64_t diskId) {
    // Its folders and their entries go with it.
    Result<Done> removed = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> unindexed = UnindexEntries(*m_db, diskId); !unindexed) {
            return unindexed;
        }
        return m_db->run("DELETE FROM disks WHERE id = ?", diskId);
    });
    if (!removed) {
        return Cannot("remove the disk from the catalogue", removed.reason());
    }
    return removed;
}

Result<Done> CatalogueStore::beginEntries(std::int64_t diskId) {
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        if (Result<Done> unindexed = UnindexEntries(*m_db, diskId); !unindexed) {
            return unindexed;
        }
        if (Result<Done> dropped = m_db->run("DELETE FROM folders WHERE disk = ?", diskId); !dropped) {
            return dropped;
        }
        return m_db->run("UPDATE disks SET entry_count = 0, skipped_folders = 0, complete = 0 WHERE id = ?",
                         diskId);
    });
    if (!done) {
        return Cannot("start the disk's entries in the catalogue", done.reason());
    }
    return done;
}

Result<Done> CatalogueStore::addEntries(std::int64_t diskId, const std::vector<CatalogueEntry>& batch) {
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        const std::int64_t first = diskId * EntriesPerDisk;
        Result<std::optional<std::int64_t>> last = m_db->queryInteger(
            "SELECT max(id) FROM entries WHERE id BETWEEN ? AND ?", first, first + EntriesPerDisk - 1);
        if (!last) {
            return Failure{last.reason()};
        }
        std::int64_t id = last->value_or(first);
        if (id - first + static_cast<std::int64_t>(batch.size()) >= EntriesPerDisk) {
            return Failure{"a disk holds too many entries for the catalogue"};
        }
        Result<SqliteStatement> insert = m_db->prepare(
            "INSERT INTO entries (id, folder, name, is_folder, size, modified) VALUES (?, ?, ?, ?, ?, ?)");
        if (!insert) {
            return Failure{insert.reason()};
        }
        FolderIds folderId(*m_db, diskId);
        for (const CatalogueEntry& entry : batch) {
            Result<std::int64_t> folder = folderId(entry.folder);
            if (!folder) {
                return Failure{folder.reason()};
            }
            SqliteStatement& row = insert.value();
            row.bind(1, ++id).bind(2, *folder).bind(3, entry.name).bind(4, std::int64_t{entry.isFolder});
            row.bind(5, static_cast<std::int64_t>(entry.size)).bind(6, entry.modified);
            if (Result<Done> added = row.run(); !added) {
                return added;
            }
            row.reset();
        }
        if (Result<Done> indexed = IndexEntries(*m_db, last->value_or(first) + 1, id); !indexed) {
            return indexed;
        }
        return m_db->run("UPDATE disks SET entry_count = entry_count + ? WHERE id = ?",
                         static_cast<std::int64_t>(batch.size()), diskId);
    });
    if (!done) {
        return Cannot("add the disk's entries to the catalogue", done.reason());
    }
    return done;
}

Result<Done> CatalogueStore::finishEntries(std::int64_t diskId, bool complete, std::uint64_t skippedFolders) {
    Result<Done> done = InTransaction(*m_db, [&]() -> Result<Done> {
        if (Result<Done> known = NeedDisk(*m_db, diskId); !known) {
            return known;
        }
        return m_db->run("UPDATE disks SET complete = ?, skipped_folders = ? WHERE id = ?",
                         std::int64_t{complete}, static_cast<std::int64_t>(skippedFolders), diskId);
    });
    if (!done) {
        return Cannot("finish the disk's entries in the catalogue", done.reason());
    }
    return done;
}

Result<std::vector<CatalogueEntry>> CatalogueStore::folderEntries(std::int64_t diskId,
                                                                  const std::string& folder) const {
    Result<SqliteStatement> query =
        m_db->prepare("SELECT e.name, e.is_folder, e.size, e.modified FROM folders f"
                      " JOIN entries e ON e.folder = f.id WHERE f.disk = ? AND f.path = ?"
                      " ORDER BY e.is_folder DESC, e.name",
                      diskId, folder);
    if (!query) {
        return Cannot("read the catalogue", query.reason());
    }
    std::vector<CatalogueEntry> entries;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& entry) {
            entries.push_back({folder, entry.text(0), entry.integer(1) != 0,
                               static_cast<std::uint64_t>(entry.integer(2)), entry.integer(3)});
        });
        !read) {
        return Cannot("read the catalogue", read.reason());
    }
    return entries;
}

Result<SearchResult> CatalogueStore::search(const std::string& text, std::size_t limit) const {
    Result<SearchResult> found = SearchCatalogue(*m_db, text, limit);
    if (!found) {
        return Cannot("search the catalogue", found.reason());
    }
    return found;
}
