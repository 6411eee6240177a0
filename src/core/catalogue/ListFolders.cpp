#include "core/catalogue/ListFolders.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SqliteDatabase.h"

#include <algorithm>
#include <span>

namespace {

constexpr auto PerPack = static_cast<std::size_t>(FoldersPerPack);

const char* const LastPack =
    "SELECT first, data FROM folder_packs WHERE first BETWEEN ? AND ? ORDER BY first DESC LIMIT 1";

std::string PackLast(const std::vector<PackedFolder>& folders) {
    if (folders.empty()) {
        return {};
    }
    const std::size_t from = (folders.size() - 1) / PerPack * PerPack;
    return PackFolders(std::span(folders).subspan(from));
}

} // namespace

Result<ListFolders> ListFolders::read(const SqliteDatabase& db, std::int64_t range) {
    ListFolders list(range);
    Result<SqliteStatement> packs =
        db.prepare("SELECT first, data FROM folder_packs WHERE first BETWEEN ? AND ? ORDER BY first",
                   FolderId(range, 0), FolderId(range + 1, 0) - 1);
    if (!packs) {
        return packs.failure();
    }
    std::optional<Failure> failed;
    Result<Done> read = packs.value().forEachRow([&](const SqliteStatement& row) {
        Result<std::vector<PackedFolder>> folders = UnpackFolders(row.blobView(1));
        // Packs in a row, each full but the last: another layout is not one this wrote.
        if (!failed && (!folders || row.integer(0) != FolderId(range, list.m_folders.size()) ||
                        list.m_folders.size() % PerPack != 0)) {
            failed = folders ? Failure{"a pack of the catalogue's folders is damaged"} : folders.failure();
        }
        if (!failed) {
            for (PackedFolder& folder : folders.value()) {
                list.m_byPath.emplace(folder.path, list.m_folders.size());
                list.m_folders.push_back(std::move(folder));
            }
        }
    });
    if (!read || failed) {
        return read ? *failed : read.failure();
    }
    list.m_lastPack = PackLast(list.m_folders);
    return list;
}

Result<bool> ListFolders::current(const SqliteDatabase& db) const {
    Result<SqliteStatement> last = db.prepare(LastPack, FolderId(m_range, 0), FolderId(m_range + 1, 0) - 1);
    if (!last) {
        return last.failure();
    }
    Result<bool> row = last.value().step();
    if (!row) {
        return row.failure();
    }
    if (!*row) {
        return m_folders.empty();
    }
    return !m_folders.empty() &&
           last.value().integer(0) == FolderId(m_range, (m_folders.size() - 1) / PerPack * PerPack) &&
           last.value().blobView(1) == m_lastPack;
}

std::int64_t ListFolders::idOf(const std::string& path) {
    const auto [known, added] = m_byPath.try_emplace(path, m_folders.size());
    if (added) {
        changed(m_folders.size());
        m_folders.push_back({path, false, 0, 0});
    }
    return FolderId(m_range, known->second);
}

void ListFolders::widen(std::int64_t id, std::int64_t first, std::int64_t last) {
    const auto n = static_cast<std::size_t>(id - FolderId(m_range, 0));
    PackedFolder& folder = m_folders.at(n);
    const bool none = folder.firstEntry == 0;
    folder.firstEntry = none ? first : std::min(folder.firstEntry, first);
    folder.lastEntry = none ? last : std::max(folder.lastEntry, last);
    changed(n);
}

void ListFolders::markUnreadable(const std::string& path) {
    const auto n = static_cast<std::size_t>(idOf(path) - FolderId(m_range, 0));
    if (!m_folders[n].unreadable) {
        m_folders[n].unreadable = true;
        changed(n);
    }
}

Result<Done> ListFolders::write(const SqliteDatabase& db) {
    if (m_changedFrom >= m_folders.size()) {
        return Done{};
    }
    Result<Done> written = WriteFolderPacks(db, m_range, m_folders, m_changedFrom);
    if (written) {
        m_changedFrom = std::numeric_limits<std::size_t>::max();
        m_lastPack = PackLast(m_folders);
    }
    return written;
}
