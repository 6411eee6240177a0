#pragma once

#include "core/catalogue/CatalogueEntry.h"
#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"
#include "core/runtime/Result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// A disk recorded under a number the store gave out.
struct NumberedDisk {
    std::int64_t id = 0;
    int number = 0;
};

// A number taken for a label whose printing was never confirmed.
struct UnconfirmedNumber {
    int number = 0;
    std::string desk;
    std::int64_t takenAt = 0; // seconds since the epoch
};

// The catalogue: every labelled disk and the folders and files on it. The program asks it through this
// interface, whichever store keeps it. One store is one connection; a walk writes through a store of its own
// while windows read through theirs, and readers never wait on the writer. A store is used by one thread at
// a time.
class CatalogueStore {
public:
    // The catalogue file at `path` (see SqliteCatalogueStore::open), or the catalogue server that `path`
    // names by a libpq URI or connection string (see PgCatalogueStore::open).
    static Result<std::unique_ptr<CatalogueStore>> open(const std::string& path, const std::string& today,
                                                        CatalogueAccess access = CatalogueAccess::Record);
    virtual ~CatalogueStore() = default;
    CatalogueStore(const CatalogueStore&) = delete;
    CatalogueStore& operator=(const CatalogueStore&) = delete;

    // Where the catalogue is, as the user named it.
    virtual const std::string& path() const = 0;
    // Where a corrupt file was moved when this store was opened; empty when nothing was moved.
    virtual const std::string& movedAside() const = 0;

    // The most recently labelled disk with this identity; none for serial 0.
    virtual Result<std::optional<DiskRecord>> recognise(const DiskIdentity& identity) const = 0;
    // A newly labelled disk: a new record (first and last labelled at `printedAt`), incomplete and without
    // entries. Answers its id.
    virtual Result<std::int64_t> addDisk(const DiskRecord& disk, std::int64_t printedAt) = 0;
    // A known disk labelled again: its facts (volume, space, drive type, company) refreshed, its number and
    // first label date kept, last labelled at `printedAt`.
    virtual Result<Done> relabelDisk(std::int64_t diskId, const DiskRecord& facts,
                                     std::int64_t printedAt) = 0;
    virtual Result<std::optional<DiskRecord>> disk(std::int64_t diskId) const = 0;
    // Every disk, by number then id.
    virtual Result<std::vector<DiskRecord>> disks() const = 0;
    // Removes a disk with all its entries.
    virtual Result<Done> removeDisk(std::int64_t diskId) = 0;

    // A walk's writing. begin answers the list the walk writes to: for a disk without entries its own,
    // filled as the walk goes; for a disk that has entries a new list, while the old one stays findable.
    // add appends a batch to that list in one transaction (with the folders found unreadable, which are
    // marked). finish ends the walk: a complete new list replaces the old one in one transaction; a walk
    // that ended short leaves a disk's old list as it was (and drops the new one), or marks a first list
    // incomplete. A batch holds the catalogue's write lock while it is written (a few µs an entry): a few
    // thousand entries a batch keep another store's change well within its quarter-second wait.
    virtual Result<std::int64_t> beginEntries(std::int64_t diskId) = 0;
    virtual Result<Done> addEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                                    const std::vector<std::string>& unreadableFolders = {}) = 0;
    // add in parts, for a walk that goes on while its entries are written: stage writes a batch in a
    // transaction left open for the next ones, committed once it holds EntriesPerCommit entries or has
    // held the write lock for StagedLongest; commit commits what is staged (finish does too). Until then
    // the entries are seen by this store only, and lost should it close; nothing else is to be written
    // through it meanwhile.
    static constexpr std::size_t EntriesPerCommit = 8192;
    static constexpr std::chrono::milliseconds StagedLongest{100};
    virtual Result<Done> stageEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                                      const std::vector<std::string>& unreadableFolders = {}) = 0;
    virtual Result<Done> commitEntries() = 0;
    virtual Result<Done> finishEntries(std::int64_t diskId, std::int64_t listId, bool complete,
                                       std::uint64_t skippedFolders) = 0;
    // A known disk's facts (volume, space, drive type) refreshed without a new label: its number and
    // label dates stay.
    virtual Result<Done> refreshDisk(std::int64_t diskId, const DiskRecord& facts) = 0;

    // The entries directly in one folder of a disk ("" for its root), folders first, then by name.
    virtual Result<std::vector<CatalogueEntry>> folderEntries(std::int64_t diskId,
                                                              const std::string& folder) const = 0;

    // The entries a search asks for (see SearchCatalogue): words anywhere in the path or the volume name,
    // -words left out, filters (ext:, size:, modified:, type:, disk:, dupes:). At most `limit` hits, those
    // whose own name holds every word first, then by disk number and path; `total` counts all, or is
    // reckoned (and marked so) when counting would keep the first hits of a common word waiting.
    virtual Result<SearchResult> search(const std::string& text, std::size_t limit = 1000) const = 0;
    // Every hit of a search in the same order, read a disk at a time; `visit` gets each
    // with the count of all (0 without `withTotal`, which spares a reading of the disks) and answers
    // false to stop.
    using HitVisitor = std::function<bool(const SearchHit& hit, std::uint64_t total)>;
    virtual Result<Done> forEachHit(const std::string& text, const HitVisitor& visit,
                                    bool withTotal = true) const = 0;

    // A consistent copy of the whole catalogue at `to` (replaced only once the copy is complete), made
    // while other connections may be writing.
    virtual Result<Done> backup(const std::string& to) const = 0;

    // Makes a query running on another thread fail at once; safe from any thread while the store lives.
    virtual void interrupt() const = 0;

    // The disk numbers of a team, given out by a store that many desks share. A store that gives none (a
    // file: its desk numbers labels from its own profile) fails each of these saying so.
    virtual bool givesNumbers() const { return false; }
    // Takes the number for a label about to be printed and records the disk under it, unconfirmed, in one
    // transaction: the lowest number a failed print gave back, else the one after the last given. Answers
    // the disk's id and its number. `desk` names the machine, for a number that is never confirmed.
    virtual Result<NumberedDisk> reserveNumber(const DiskRecord& disk, std::int64_t printedAt,
                                               const std::string& desk);
    // The printer took the label: the disk is labelled, its number used for good.
    virtual Result<Done> confirmNumber(std::int64_t diskId);
    // The print failed: the unconfirmed disk is forgotten and its number given back for the next label.
    virtual Result<Done> releaseNumber(std::int64_t diskId);
    // The last number given out.
    virtual Result<int> lastNumber() const;
    // Numbers taken for labels that were never confirmed (a desk that stopped mid-print): never given again.
    virtual Result<std::vector<UnconfirmedNumber>> unconfirmedNumbers() const;

protected:
    CatalogueStore() = default;
};
