#pragma once

#include "core/catalogue/CatalogueEntry.h"
#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"
#include "core/catalogue/SqliteTransaction.h"
#include "core/runtime/Result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ListFolders;
class SqliteDatabase;

// What an opening of the catalogue file may do to it.
enum class CatalogueAccess {
    // Recording a disk: creates the file, brings an older one up to date, and moves a damaged one aside.
    // Only the program's own recording (one connection, on the window's thread) opens it so.
    Record,
    // Changing an existing file of the current version (a walk, removing a disk); a damaged file fails.
    Change,
    // Reading an existing file: nothing is created, brought up to date, moved or written, and no file is
    // left beside it. A file of no tables (a creation cut short) reads as an empty catalogue.
    Read,
};

// The catalogue file: every labelled disk and the folders and files on it, in one SQLite database.
// One store is one connection; a walk writes through a store of its own while windows read through theirs
// (the file is in WAL mode, so readers never wait on the writer). A store is used by one thread at a time.
class CatalogueStore {
public:
    // The schema version this program writes; older files are brought up to it when opened to record.
    static constexpr int SchemaVersion = 8;

    // Opens the file, creating it (mode 0600) and its folder (0700) when missing, and brings its schema up
    // to date. A file that is not a database or fails its integrity check is moved aside as
    // "<path>.corrupt-<today>" (today as YYYY-MM-DD; ".2", ".3" ... is added when that name is taken), with
    // its -wal and -shm files, and a new one started: movedAside() then names where it went. The whole-file
    // check reads every page, so it runs on the first opening of each day.
    // A read-only file opens for reading, and every change to it fails saying so. A file that another
    // program is writing opens too (readers never wait in WAL mode); a change waits a quarter of a second
    // for it, then fails saying the file is in use. Opening fails, with the reason, when the file or its
    // folder cannot be created or read, when it comes from a newer version of the program, or when it has
    // to be brought up to date and cannot be written.
    // All of this is for Record. Change and Read open only an existing file (a missing one fails), never
    // move it and never check it whole: a fault found by a query fails that query, and a failure that
    // comes from a damaged file says so and what to do about it.
    static Result<std::unique_ptr<CatalogueStore>> open(const std::string& path, const std::string& today,
                                                        CatalogueAccess access = CatalogueAccess::Record);
    // A connection that may write leaves everything in the main file (a checkpoint), so that a copy of the
    // file alone is whole.
    ~CatalogueStore();
    CatalogueStore(const CatalogueStore&) = delete;
    CatalogueStore& operator=(const CatalogueStore&) = delete;

    const std::string& path() const { return m_path; }
    // Where a corrupt file was moved when this store was opened; empty when nothing was moved.
    const std::string& movedAside() const { return m_movedAside; }

    // The most recently labelled disk with this identity; none for serial 0.
    Result<std::optional<DiskRecord>> recognise(const DiskIdentity& identity) const;
    // A newly labelled disk: a new record (first and last labelled at `printedAt`), incomplete and without
    // entries. Answers its id.
    Result<std::int64_t> addDisk(const DiskRecord& disk, std::int64_t printedAt);
    // A known disk labelled again: its facts (volume, space, drive type, company) refreshed, its number and
    // first label date kept, last labelled at `printedAt`.
    Result<Done> relabelDisk(std::int64_t diskId, const DiskRecord& facts, std::int64_t printedAt);
    Result<std::optional<DiskRecord>> disk(std::int64_t diskId) const;
    // Every disk, by number then id.
    Result<std::vector<DiskRecord>> disks() const;
    // Removes a disk with all its entries.
    Result<Done> removeDisk(std::int64_t diskId);

    // A walk's writing. begin answers the list the walk writes to: for a disk without entries its own,
    // filled as the walk goes; for a disk that has entries a new list, while the old one stays findable.
    // add appends a batch to that list in one transaction (with the folders found unreadable, which are
    // marked). finish ends the walk: a complete new list replaces the old one in one transaction; a walk
    // that ended short leaves a disk's old list as it was (and drops the new one), or marks a first list
    // incomplete. A batch holds the file's write lock while it is written (a few µs an entry): a few
    // thousand entries a batch keep another store's change well within its quarter-second wait.
    Result<std::int64_t> beginEntries(std::int64_t diskId);
    Result<Done> addEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                            const std::vector<std::string>& unreadableFolders = {});
    // add in parts, for a walk that goes on while its entries are written: stage writes a batch in a
    // transaction left open for the next ones, committed once it holds EntriesPerCommit entries or has
    // held the write lock for StagedLongest; commit commits what is staged (finish does too). Until then
    // the entries are seen by this store only, and lost should it close; nothing else is to be written
    // through it meanwhile.
    static constexpr std::size_t EntriesPerCommit = 8192;
    static constexpr std::chrono::milliseconds StagedLongest{100};
    Result<Done> stageEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                              const std::vector<std::string>& unreadableFolders = {});
    Result<Done> commitEntries();
    Result<Done> finishEntries(std::int64_t diskId, std::int64_t listId, bool complete,
                               std::uint64_t skippedFolders);
    // A known disk's facts (volume, space, drive type) refreshed without a new label: its number and
    // label dates stay.
    Result<Done> refreshDisk(std::int64_t diskId, const DiskRecord& facts);

    // The entries directly in one folder of a disk ("" for its root), folders first, then by name.
    Result<std::vector<CatalogueEntry>> folderEntries(std::int64_t diskId, const std::string& folder) const;

    // The entries a search asks for (see SearchCatalogue): words anywhere in the path or the volume name,
    // -words left out, filters (ext:, size:, modified:, type:, disk:, dupes:). At most `limit` hits, those
    // whose own name holds every word first, then by disk number and path; `total` counts all, or is
    // reckoned (and marked so) when counting would keep the first hits of a common word waiting.
    Result<SearchResult> search(const std::string& text, std::size_t limit = 1000) const;
    // Every hit of a search in the same order, read from the file a disk at a time; `visit` gets each
    // with the count of all (0 without `withTotal`, which spares a reading of the disks) and answers
    // false to stop.
    using HitVisitor = std::function<bool(const SearchHit& hit, std::uint64_t total)>;
    Result<Done> forEachHit(const std::string& text, const HitVisitor& visit, bool withTotal = true) const;

    // A consistent copy of the whole catalogue at `to` (replaced only once the copy is complete), made
    // while other connections may be writing.
    Result<Done> backup(const std::string& to) const;

    // Makes a query running on another thread fail at once; safe from any thread while the store lives.
    void interrupt() const;

private:
    CatalogueStore(std::string path, std::unique_ptr<SqliteDatabase> db, CatalogueAccess access);
    static Result<std::unique_ptr<CatalogueStore>> OpenExisting(const std::string& path,
                                                                CatalogueAccess access);
    Failure cannot(std::string_view doing, const std::string& reason) const;

    std::string m_path;
    CatalogueAccess m_access;
    std::string m_movedAside;
    std::unique_ptr<SqliteDatabase> m_db;
    int m_schema = SchemaVersion;           // of the file as it is read
    std::unique_ptr<ListFolders> m_folders; // of the list a walk writes, between its batches

    // Entries staged and not yet committed, with the transaction that holds them.
    struct Staged {
        SqliteTransaction transaction;
        std::int64_t list = 0;
        std::int64_t first = 0; // of the list's range of ids
        std::int64_t last = 0;  // the id of the list's last entry so far
        std::int64_t count = 0; // staged
        std::chrono::steady_clock::time_point since;
    };
    Result<Done> openStage(std::int64_t listId);
    Result<Done> writeStage(const std::vector<CatalogueEntry>& batch,
                            const std::vector<std::string>& unreadableFolders);
    std::optional<Staged> m_staged; // after m_db, so that it is rolled back first
};
