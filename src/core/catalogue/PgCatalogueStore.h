#pragma once

#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/PgTransaction.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CaseFolding;
class PgConnection;
class SqliteDatabase;

// The catalogue of a team, on a PostgreSQL server that many desks share. Its tables are made by an
// administrator (InitPgCatalogue), never by a desk: opening fails, saying so, when there are none.
class PgCatalogueStore final : public CatalogueStore {
public:
    // `connection` is a libpq connection string or URI. Whatever the access, nothing is created: the rights
    // of the login decide what may be changed, and a change it may not make fails saying so.
    static Result<std::unique_ptr<CatalogueStore>> open(const std::string& connection);
    ~PgCatalogueStore() override;

    const std::string& path() const override { return m_name; }
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
    // A server's catalogue is backed up on the server (pg_dump): this says how, as its failure.
    Result<Done> backup(const std::string& to) const override;
    void interrupt() const override;

    bool givesNumbers() const override { return true; }
    Result<NumberedDisk> reserveNumber(const DiskRecord& disk, std::int64_t printedAt,
                                       const std::string& desk) override;
    Result<Done> confirmNumber(std::int64_t diskId) override;
    Result<Done> releaseNumber(std::int64_t diskId) override;
    Result<int> lastNumber() const override;
    Result<std::vector<UnconfirmedNumber>> unconfirmedNumbers() const override;

private:
    PgCatalogueStore(std::string name, std::unique_ptr<PgConnection> connection);
    Result<std::int64_t> listOf(std::int64_t diskId, std::int64_t listId) const;
    Result<Done> writeStage(std::int64_t list, const std::vector<CatalogueEntry>& batch,
                            const std::vector<std::string>& unreadableFolders);
    CaseFolding& folding() const;

    std::string m_name; // the connection as it may be shown: without a password
    std::string m_movedAside;
    std::unique_ptr<PgConnection> m_connection;
    // Letter case is folded by SQLite's own rules, through a database in memory, as the file's index does.
    mutable std::unique_ptr<SqliteDatabase> m_foldingDb;
    mutable std::unique_ptr<CaseFolding> m_folding;

    // Entries sent and not yet committed, with the transaction that holds them.
    struct Staged {
        PgTransaction transaction;
        std::int64_t list = 0;  // the list's own id on the server
        std::int64_t asked = 0; // as the walk named it
        std::int64_t count = 0;
        std::chrono::steady_clock::time_point since;
    };
    std::optional<Staged> m_staged; // after m_connection, so that it is rolled back first
};

// The connection as it may be shown to the user: a password given in it (against advice) is left out.
std::string ShownConnection(std::string_view connection);

// Whether the catalogue named so is a server's (a libpq URI or connection string) rather than a file.
bool IsServerCatalogue(std::string_view location);
