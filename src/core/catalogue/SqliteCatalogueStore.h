#pragma once

#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteTransaction.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ListFolders;
class SqliteDatabase;

// The catalogue in one SQLite file, the store of a desk of its own. The file is in WAL mode, so readers
// never wait on the writer.
class SqliteCatalogueStore final : public CatalogueStore {
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
    ~SqliteCatalogueStore() override;

    const std::string& path() const override { return m_path; }
    const std::string& movedAside() const override { return m_movedAside; }

    Result<std::optional<DiskRecord>> recognise(const DiskIdentity& identity) const override;
    Result<std::int64_t> addDisk(const DiskRecord& disk, std::int64_t printedAt) override;
    Result<Done> relabelDisk(std::int64_t diskId, const DiskRecord& facts, std::int64_t printedAt) override;
    Result<std::optional<DiskRecord>> disk(std::int64_t diskId) const override;
    Result<std::vector<DiskRecord>> disks() const override;
    Result<Done> removeDisk(std::int64_t diskId) override;
    Result<std::int64_t> beginEntries(std::int64_t diskId) override;
    Result<Done> addEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                            const std::vector<std::string>& unreadableFolders = {}) override;
    Result<Done> stageEntries(std::int64_t listId, const std::vector<CatalogueEntry>& batch,
                              const std::vector<std::string>& unreadableFolders = {}) override;
    Result<Done> commitEntries() override;
    Result<Done> finishEntries(std::int64_t diskId, std::int64_t listId, bool complete,
                               std::uint64_t skippedFolders) override;
    Result<Done> refreshDisk(std::int64_t diskId, const DiskRecord& facts) override;
    Result<std::vector<CatalogueEntry>> folderEntries(std::int64_t diskId,
                                                      const std::string& folder) const override;
    Result<SearchResult> search(const std::string& text, std::size_t limit = 1000) const override;
    Result<Done> forEachHit(const std::string& text, const HitVisitor& visit,
                            bool withTotal = true) const override;
    Result<Done> backup(const std::string& to) const override;
    void interrupt() const override;

private:
    SqliteCatalogueStore(std::string path, std::unique_ptr<SqliteDatabase> db, CatalogueAccess access);
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
