#pragma once

#include "core/catalogue/CatalogueEntry.h"
#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SqliteDatabase;

// The catalogue file: every labelled disk and the folders and files on it, in one SQLite database.
// One store is one connection; a walk writes through a store of its own while windows read through theirs
// (the file is in WAL mode, so readers never wait on the writer). A store is used by one thread at a time.
class CatalogueStore {
public:
    // The schema version this program writes; older files are brought up to it when opened.
    static constexpr int SchemaVersion = 2;

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
    static Result<std::unique_ptr<CatalogueStore>> open(const std::string& path, const std::string& today);
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

    // A walk's writing: begin drops the disk's old entries and marks it incomplete; add appends a batch
    // in one transaction; finish sets the counts and whether the walk ran to the end. A batch holds the
    // file's write lock while it is written (some 20 µs an entry): a few thousand entries a batch keep
    // another store's change well within its quarter-second wait.
    Result<Done> beginEntries(std::int64_t diskId);
    Result<Done> addEntries(std::int64_t diskId, const std::vector<CatalogueEntry>& batch);
    Result<Done> finishEntries(std::int64_t diskId, bool complete, std::uint64_t skippedFolders);

    // The entries directly in one folder of a disk ("" for its root), folders first, then by name.
    Result<std::vector<CatalogueEntry>> folderEntries(std::int64_t diskId, const std::string& folder) const;

    // Entries whose names (or whose disk's volume name) hold every word of `text`: any letter case, accents
    // kept apart, any part of a name for two letters and more, whole names only for one letter; a
    // "quoted phrase" is one word. A word found in a disk's volume name stands for every entry of that disk
    // ("photos 2019" finds the 2019 files on the disk named PHOTOS, and every file on a disk named
    // PHOTOS 2019). At most `limit` hits, by disk number then path (in byte order); `total` counts all.
    Result<SearchResult> search(const std::string& text, std::size_t limit = 1000) const;

private:
    CatalogueStore(std::string path, std::unique_ptr<SqliteDatabase> db);

    std::string m_path;
    std::string m_movedAside;
    std::unique_ptr<SqliteDatabase> m_db;
};
