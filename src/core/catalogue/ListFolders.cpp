#include "core/catalogue/ListFolders.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SqliteDatabase.h"

#include <algorithm>
#include <span>

namespace {

constexpr auto PerPart = static_cast<std::size_t>(FoldersPerPart);

const char* const LastPart =
    "SELECT first, data FROM folder_parts WHERE first BETWEEN ? AND ? ORDER BY first DESC LIMIT 1";

std::string PackLast(const std::vector<PartFolder>& folders) {
    if (folders.empty()) {
        return {};
    }
    const std::size_t from = (folders.size() - 1) / PerPart * PerPart;
    return PackFolders(std::span(folders).subspan(from));
}

} // namespace

Result<ListFolders> ListFolders::read(const SqliteDatabase& db, std::int64_t range) {
    ListFolders list(range);
    Result<SqliteStatement> parts =
        db.prepare("SELECT first, data FROM folder_parts WHERE first BETWEEN ? AND ? ORDER BY first",
                   FolderId(range, 0), FolderId(range + 1, 0) - 1);
    if (!parts) {
        return parts.failure();
    }
    std::optional<Failure> failed;
    Result<Done> read = parts.value().forEachRow([&](const SqliteStatement& row) {
        Result<std::vector<PartFolder>> folders = UnpackFolders(row.blobView(1));
        // Parts in a row, each full but the last: another layout is not one this wrote.
        if (!failed && (!folders || row.integer(0) != FolderId(range, list.m_folders.size()) ||
                        list.m_folders.size() % PerPart != 0)) {
            failed = folders ? Failure{"a part of the catalogue's folders is damaged"} : folders.failure();
        }
        if (!failed) {
            for (PartFolder& folder : folders.value()) {
                list.m_byPath.emplace(folder.path, list.m_folders.size());
                list.m_folders.push_back(std::move(folder));
            }
        }
    });
    if (!read || failed) {
        return read ? *failed : read.failure();
    }
    list.m_lastPart = PackLast(list.m_folders);
    return list;
}

Result<bool> ListFolders::current(const SqliteDatabase& db) const {
    Result<SqliteStatement> last = db.prepare(LastPart, FolderId(m_range, 0), FolderId(m_range + 1, 0) - 1);
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
           last.value().integer(0) == FolderId(m_range, (m_folders.size() - 1) / PerPart * PerPart) &&
           last.value().blobView(1) == m_lastPart;
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
    PartFolder& folder = m_folders.at(n);
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
    Result<Done> written = WriteFolderParts(db, m_range, m_folders, m_changedFrom);
    if (written) {
        m_changedFrom = std::numeric_limits<std::size_t>::max();
        m_lastPart = PackLast(m_folders);
    }
    return written;
}
