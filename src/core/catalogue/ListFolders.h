#pragma once

#include "core/catalogue/FolderPack.h"
#include "core/runtime/Result.h"

#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

class SqliteDatabase;

// The folders of the list a walk writes, kept from one batch to the next: a batch names its entries'
// folders by path, and the packs are written again only from the first folder a batch changed.
class ListFolders {
public:
    // The list's folders as the file holds them; the caller holds a transaction.
    static Result<ListFolders> read(const SqliteDatabase& db, std::int64_t range);

    std::int64_t range() const { return m_range; }
    // Whether the file still holds what this last wrote: nothing else changed the list since.
    Result<bool> current(const SqliteDatabase& db) const;

    // The id of the folder at `path`, added when new.
    std::int64_t idOf(const std::string& path);
    // The folder `id` has entries from `first` to `last` too.
    void widen(std::int64_t id, std::int64_t first, std::int64_t last);
    void markUnreadable(const std::string& path);

    // Writes the packs changed since the last write; the caller holds a write transaction.
    Result<Done> write(const SqliteDatabase& db);

private:
    explicit ListFolders(std::int64_t range) : m_range(range) {}
    void changed(std::size_t n) { m_changedFrom = std::min(m_changedFrom, n); }

    std::int64_t m_range;
    std::vector<PackedFolder> m_folders;
    std::unordered_map<std::string, std::size_t> m_byPath;
    std::size_t m_changedFrom = std::numeric_limits<std::size_t>::max();
    std::string m_lastPack; // as written, the last pack's bytes
};
