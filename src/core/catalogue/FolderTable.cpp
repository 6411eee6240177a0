#include "core/catalogue/FolderTable.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/FolderPack.h"
#include "core/catalogue/SqliteLibrary.h"
#include "core/catalogue/VirtualTable.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

enum Column { Id, Disk, Path, Unreadable, FirstEntry, LastEntry };

// Which constraints xBestIndex was given, passed on to xFilter as its number, their values in this order.
// SQLite checks each row against them again: the filter need only let through every row that may pass.
enum Bound {
    IdEqual = 1,
    DiskEqual = 2,
    PathEqual = 4,
    PathAtLeast = 8,
    PathAbove = 16,
    PathAtMost = 32,
    PathBelow = 64
};
constexpr Bound Bounds[] = {IdEqual, DiskEqual, PathEqual, PathAtLeast, PathAbove, PathAtMost, PathBelow};

struct Pack {
    std::int64_t first = 0;
    UnpackedFolders folders;
};

struct Row {
    std::int64_t id = 0;
    std::int64_t disk = 0;
    const Pack* pack = nullptr;
    const UnpackedFolders::Folder* folder = nullptr;

    std::string_view path() const { return pack->folders.path(*folder); }
};

// A disk's folders sorted by path, with the packs that hold them.
struct DiskFolders {
    std::int64_t disk = 0;
    std::vector<std::shared_ptr<const Pack>> packs;
    std::vector<Row> byPath;
};

struct Statement {
    sqlite3_stmt* statement = nullptr;
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { Sqlite().finalize(statement); }
};

struct Table {
    sqlite3_vtab base{};
    sqlite3* db = nullptr;
    std::string packs; // the packs' table, with its schema
    std::string disks;
    Statement packsFrom; // first and data of the packs whose first ids lie within bounds
    // What the file was when the packs below were read: any write, this connection's or another's, may
    // change them.
    FileChanges changes;
    std::map<std::int64_t, std::shared_ptr<const Pack>> recent;
    std::unordered_map<std::int64_t, std::int64_t> rangeOfDisk;
    std::unordered_map<std::int64_t, std::int64_t> diskOfRange;
    bool disksRead = false;
    std::shared_ptr<const DiskFolders> lastDisk;

    void checkRecent() {
        if (changes.since(db)) {
            recent.clear();
            rangeOfDisk.clear();
            diskOfRange.clear();
            disksRead = false;
            lastDisk.reset();
        }
    }
};

struct Cursor {
    sqlite3_vtab_cursor base{};
    std::vector<std::shared_ptr<const Pack>> packs; // that the rows point into
    std::shared_ptr<const DiskFolders> disk;
    std::vector<Row> rows;
    const Row* at = nullptr;
    const Row* end = nullptr;
};

Table& TableOf(sqlite3_vtab* vtab) {
    return *reinterpret_cast<Table*>(vtab);
}

Cursor& CursorOf(sqlite3_vtab_cursor* cursor) {
    return *reinterpret_cast<Cursor*>(cursor);
}

int Connect(sqlite3* db, void*, int argc, const char* const* argv, sqlite3_vtab** made, char**) {
    const int rc = Sqlite().declare_vtab(db, "CREATE TABLE x (id INTEGER, disk INTEGER, path TEXT, "
                                             "unreadable INTEGER, first_entry INTEGER, last_entry INTEGER)");
    if (rc != SQLITE_OK) {
        return rc;
    }
    // SQLite owns the table until it disconnects it.
    auto table = std::make_unique<Table>();
    table->db = db;
    const std::string schema = argc > 1 ? argv[1] : "main";
    table->packs = SchemaTable(schema, "folder_packs");
    table->disks = SchemaTable(schema, "disks");
    *made = &table.release()->base;
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* vtab) {
    delete &TableOf(vtab);
    return SQLITE_OK;
}

int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int bounds = 0;
    int constraintOf[std::size(Bounds)];
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (!constraint.usable) {
            continue;
        }
        Bound bound{};
        if ((constraint.iColumn == Id || constraint.iColumn == -1) &&
            constraint.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            bound = IdEqual;
        } else if (constraint.iColumn == Disk && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ) {
            bound = DiskEqual;
        } else if (constraint.iColumn == Path) {
            switch (constraint.op) {
            case SQLITE_INDEX_CONSTRAINT_EQ:
                bound = PathEqual;
                break;
            case SQLITE_INDEX_CONSTRAINT_GE:
                bound = PathAtLeast;
                break;
            case SQLITE_INDEX_CONSTRAINT_GT:
                bound = PathAbove;
                break;
            case SQLITE_INDEX_CONSTRAINT_LE:
                bound = PathAtMost;
                break;
            case SQLITE_INDEX_CONSTRAINT_LT:
                bound = PathBelow;
                break;
            default:
                continue;
            }
        } else {
            continue;
        }
        if ((bounds & bound) == 0) {
            bounds |= bound;
            constraintOf[std::find(std::begin(Bounds), std::end(Bounds), bound) - std::begin(Bounds)] = i;
        }
    }
    // Bounds on a path are of use only within a disk.
    if ((bounds & DiskEqual) == 0) {
        bounds &= IdEqual;
    }
    int argument = 0;
    for (std::size_t b = 0; b < std::size(Bounds); ++b) {
        if ((bounds & Bounds[b]) != 0) {
            info->aConstraintUsage[constraintOf[b]].argvIndex = ++argument;
        }
    }
    info->idxNum = bounds;
    const bool one = (bounds & (IdEqual | PathEqual)) != 0;
    const bool range = (bounds & (PathAtLeast | PathAbove | PathAtMost | PathBelow)) != 0;
    info->estimatedRows = one ? 1 : range ? 20 : (bounds & DiskEqual) != 0 ? 300 : 1000000;
    info->estimatedCost = static_cast<double>(info->estimatedRows);
    if ((bounds & IdEqual) != 0) {
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    }
    return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** made) {
    *made = &std::make_unique<Cursor>().release()->base;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* base) {
    delete &CursorOf(base);
    return SQLITE_OK;
}

// A whole number as SQLite compares an integer column with the value, or none.
std::optional<std::int64_t> WholeNumber(sqlite3_value* value) {
    const int type = Sqlite().value_numeric_type(value);
    if (type == SQLITE_INTEGER) {
        return Sqlite().value_int64(value);
    }
    if (type == SQLITE_FLOAT) {
        const double real = Sqlite().value_double(value);
        if (real == std::floor(real) && std::abs(real) < 9.0e18) {
            return static_cast<std::int64_t>(real);
        }
    }
    return std::nullopt;
}

int ReadDisks(Table& table) {
    if (table.disksRead) {
        return SQLITE_OK;
    }
    Statement disks;
    const std::string sql = "SELECT id, entry_range FROM " + table.disks + " ORDER BY id";
    int rc = Sqlite().prepare_v2(table.db, sql.c_str(), -1, &disks.statement, nullptr);
    while (rc == SQLITE_OK && (rc = Sqlite().step(disks.statement)) == SQLITE_ROW) {
        const std::int64_t disk = Sqlite().column_int64(disks.statement, 0);
        const std::int64_t range = Sqlite().column_int64(disks.statement, 1);
        table.rangeOfDisk[disk] = range;
        table.diskOfRange.try_emplace(range, disk); // a list taking over shares the range for a moment
        rc = SQLITE_OK;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_OK) {
        return rc;
    }
    table.disksRead = true;
    return SQLITE_OK;
}

// Calls `each(pack)` for the packs whose first ids lie from `from` to `to`, in order, each unpacked once
// while the file stays as it is.
template <typename Each> int EachPack(Table& table, std::int64_t from, std::int64_t to, Each&& each) {
    if (table.packsFrom.statement == nullptr) {
        const std::string sql =
            "SELECT first, data FROM " + table.packs + " WHERE first BETWEEN ?1 AND ?2 ORDER BY first";
        if (const int rc =
                Sqlite().prepare_v2(table.db, sql.c_str(), -1, &table.packsFrom.statement, nullptr);
            rc != SQLITE_OK) {
            return rc;
        }
    }
    sqlite3_stmt* const packs = table.packsFrom.statement;
    Sqlite().reset(packs);
    Sqlite().bind_int64(packs, 1, from);
    Sqlite().bind_int64(packs, 2, to);
    int rc = SQLITE_OK;
    while ((rc = Sqlite().step(packs)) == SQLITE_ROW) {
        const std::int64_t first = Sqlite().column_int64(packs, 0);
        std::shared_ptr<const Pack>& known = table.recent[first];
        if (!known) {
            const auto* bytes = static_cast<const char*>(Sqlite().column_blob(packs, 1));
            Result<UnpackedFolders> folders = UnpackFolderPack(
                {bytes == nullptr ? "" : bytes, static_cast<std::size_t>(Sqlite().column_bytes(packs, 1))});
            if (!folders) {
                Sqlite().reset(packs);
                table.recent.erase(first);
                return FailTable(&table.base, folders.reason(), SQLITE_CORRUPT_VTAB);
            }
            known = std::make_shared<const Pack>(Pack{first, std::move(folders).value()});
        }
        each(known);
    }
    Sqlite().reset(packs);
    // A bound on what is kept: the folders of a few large disks, not all of every disk.
    constexpr std::size_t KeptPacks = 1024;
    if (table.recent.size() > KeptPacks) {
        table.recent.clear();
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// The folders of the disk, sorted by path.
int FoldersOf(Table& table, std::int64_t disk, std::shared_ptr<const DiskFolders>& found) {
    if (table.lastDisk && table.lastDisk->disk == disk) {
        found = table.lastDisk;
        return SQLITE_OK;
    }
    if (const int rc = ReadDisks(table); rc != SQLITE_OK) {
        return rc;
    }
    auto folders = std::make_shared<DiskFolders>();
    folders->disk = disk;
    if (const auto range = table.rangeOfDisk.find(disk); range != table.rangeOfDisk.end()) {
        const std::int64_t from = range->second * EntriesPerDisk;
        const int rc =
            EachPack(table, from, from + EntriesPerDisk - 1, [&](const std::shared_ptr<const Pack>& pack) {
                folders->packs.push_back(pack);
                for (std::size_t n = 0; n < pack->folders.size(); ++n) {
                    folders->byPath.push_back(
                        {pack->first + static_cast<std::int64_t>(n), disk, pack.get(), &pack->folders[n]});
                }
            });
        if (rc != SQLITE_OK) {
            return rc;
        }
        const auto byPath = [](const Row& a, const Row& b) { return a.path() < b.path(); };
        if (!std::is_sorted(folders->byPath.begin(), folders->byPath.end(), byPath)) {
            std::sort(folders->byPath.begin(), folders->byPath.end(), byPath);
        }
    }
    table.lastDisk = folders;
    found = std::move(folders);
    return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int bounds, const char*, int, sqlite3_value** values) {
    Cursor& cursor = CursorOf(base);
    Table& table = TableOf(base->pVtab);
    table.checkRecent();
    cursor.packs.clear();
    cursor.disk.reset();
    cursor.rows.clear();
    cursor.at = cursor.end = nullptr;
    int argument = 0;
    const auto next = [&] { return values[argument++]; };
    if ((bounds & IdEqual) != 0) {
        const std::optional<std::int64_t> id = WholeNumber(next());
        if (!id || *id <= 0) {
            return SQLITE_OK;
        }
        const std::int64_t range = *id / EntriesPerDisk;
        const std::int64_t n = *id - range * EntriesPerDisk - 1;
        if (n < 0) {
            return SQLITE_OK;
        }
        const std::int64_t first = *id - n % FoldersPerPack;
        if (const int rc = ReadDisks(table); rc != SQLITE_OK) {
            return rc;
        }
        const auto disk = table.diskOfRange.find(range);
        if (disk == table.diskOfRange.end()) {
            return SQLITE_OK; // a list's folders go with its disk
        }
        const auto take = [&](const std::shared_ptr<const Pack>& pack) {
            const auto at = static_cast<std::size_t>(n % FoldersPerPack);
            if (at < pack->folders.size()) {
                cursor.packs.push_back(pack);
                cursor.rows.push_back({*id, disk->second, pack.get(), &pack->folders[at]});
            }
        };
        // A folder's path is asked for again and again, each time of another id: its pack is looked for
        // among those read first.
        if (const auto known = table.recent.find(first); known != table.recent.end()) {
            take(known->second);
        } else if (const int rc = EachPack(table, first, first, take); rc != SQLITE_OK) {
            return rc;
        }
    } else if ((bounds & DiskEqual) != 0) {
        const std::optional<std::int64_t> disk = WholeNumber(next());
        if (!disk) {
            return SQLITE_OK;
        }
        if (const int rc = FoldersOf(table, *disk, cursor.disk); rc != SQLITE_OK) {
            return rc;
        }
        const std::vector<Row>& all = cursor.disk->byPath;
        auto from = all.begin();
        auto to = all.end();
        const auto before = [](const Row& row, std::string_view path) { return row.path() < path; };
        const auto after = [](std::string_view path, const Row& row) { return path < row.path(); };
        for (const Bound bound : {PathEqual, PathAtLeast, PathAbove, PathAtMost, PathBelow}) {
            if ((bounds & bound) == 0) {
                continue;
            }
            sqlite3_value* const value = next();
            const auto* text = reinterpret_cast<const char*>(Sqlite().value_text(value));
            if (text == nullptr) {
                return SQLITE_OK; // NULL: nothing compares equal or in order
            }
            const std::string_view path(text, static_cast<std::size_t>(Sqlite().value_bytes(value)));
            if (bound == PathEqual || bound == PathAtLeast) {
                from = std::max(from, std::lower_bound(all.begin(), all.end(), path, before));
            }
            if (bound == PathAbove) {
                from = std::max(from, std::upper_bound(all.begin(), all.end(), path, after));
            }
            if (bound == PathEqual || bound == PathAtMost) {
                to = std::min(to, std::upper_bound(all.begin(), all.end(), path, after));
            }
            if (bound == PathBelow) {
                to = std::min(to, std::lower_bound(all.begin(), all.end(), path, before));
            }
        }
        if (from < to) {
            cursor.at = &*from;
            cursor.end = cursor.at + (to - from);
        }
        return SQLITE_OK;
    } else {
        if (const int rc = ReadDisks(table); rc != SQLITE_OK) {
            return rc;
        }
        const int rc = EachPack(table, 1, std::numeric_limits<std::int64_t>::max(),
                                [&](const std::shared_ptr<const Pack>& pack) {
                                    const auto disk = table.diskOfRange.find(pack->first / EntriesPerDisk);
                                    if (disk == table.diskOfRange.end()) {
                                        return;
                                    }
                                    cursor.packs.push_back(pack);
                                    for (std::size_t n = 0; n < pack->folders.size(); ++n) {
                                        cursor.rows.push_back({pack->first + static_cast<std::int64_t>(n),
                                                               disk->second, pack.get(), &pack->folders[n]});
                                    }
                                });
        if (rc != SQLITE_OK) {
            return rc;
        }
    }
    if (!cursor.rows.empty()) {
        cursor.at = cursor.rows.data();
        cursor.end = cursor.at + cursor.rows.size();
    }
    return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* base) {
    ++CursorOf(base).at;
    return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* base) {
    const Cursor& cursor = CursorOf(base);
    return cursor.at == cursor.end ? 1 : 0;
}

int ColumnOf(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
    const Row& row = *CursorOf(base).at;
    const UnpackedFolders::Folder& folder = *row.folder;
    switch (column) {
    case Id:
        Sqlite().result_int64(context, row.id);
        break;
    case Disk:
        Sqlite().result_int64(context, row.disk);
        break;
    case Path: {
        const std::string_view path = row.path();
        Sqlite().result_text64(context, path.data(), path.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case Unreadable:
        Sqlite().result_int64(context, folder.unreadable ? 1 : 0);
        break;
    case FirstEntry:
    case LastEntry:
        if (folder.firstEntry == 0) {
            Sqlite().result_null(context);
        } else {
            Sqlite().result_int64(context, column == FirstEntry ? folder.firstEntry : folder.lastEntry);
        }
        break;
    default:
        break;
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = CursorOf(base).at->id;
    return SQLITE_OK;
}

const sqlite3_module FolderModule =
    ReadOnlyModule(Connect, BestIndex, Disconnect, Open, Close, Filter, Next, Eof, ColumnOf, RowId);

} // namespace

Result<Done> AddFolderTableModule(sqlite3* db) {
    return AddModule(db, "tessaline_folders", FolderModule, "folders");
}
