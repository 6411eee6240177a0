#include "core/catalogue/EntryTable.h"

#include "core/catalogue/BlockDictionary.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/SqliteLibrary.h"
#include "core/catalogue/VirtualTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

enum Column { Id, Folder, Name, IsFolder, Size, Modified };

// Which bounds on the id xBestIndex was given, passed on to xFilter as its number, their values in this
// order.
enum Bound { Equal = 1, AtLeast = 2, Above = 4, AtMost = 8, Below = 16 };
constexpr Bound Bounds[] = {Equal, AtLeast, Above, AtMost, Below};

constexpr std::int64_t Lowest = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t Highest = std::numeric_limits<std::int64_t>::max();

// A decoded block, shared by the cursors that read it.
struct Block {
    std::int64_t first = 0;
    std::int64_t last = 0;
    UnpackedEntries entries;
};

struct Table {
    sqlite3_vtab base{};
    sqlite3* db = nullptr;
    const SqliteDatabase* database = nullptr; // the same connection, whose codec reads pressed blocks
    std::string blocks;                       // the blocks' table, with its schema
    std::vector<sqlite3_stmt*> idle;          // statements over the blocks that no cursor holds
    // The blocks read last: single ids asked in order (a join from the name index) mostly fall in one.
    std::shared_ptr<const Block> recent[4];
    std::size_t nextRecent = 0;
    // What the file was when they were read: the blocks of ids can change with any write, this
    // connection's or another's (a removed disk's range is given to the next one).
    FileChanges changes;

    ~Table() {
        for (sqlite3_stmt* statement : idle) {
            Sqlite().finalize(statement);
        }
    }

    // Forgets the recent blocks when the file may have changed since they were read.
    void checkRecent() {
        if (changes.since(db)) {
            for (std::shared_ptr<const Block>& block : recent) {
                block.reset();
            }
        }
    }
};

// A cursor reads on through the blocks with a statement of its own, taken from the table's idle ones: a
// statement run once an id opens a cursor each time, and preparing one each time cost more than reading.
struct Cursor {
    sqlite3_vtab_cursor base{};
    sqlite3_stmt* following = nullptr; // the blocks from an id on, in order
    std::shared_ptr<const Block> block;
    std::int64_t id = 0;
    std::int64_t high = -1;
    bool ended = true;
};

Table& TableOf(sqlite3_vtab* vtab) {
    return *reinterpret_cast<Table*>(vtab);
}

Cursor& CursorOf(sqlite3_vtab_cursor* cursor) {
    return *reinterpret_cast<Cursor*>(cursor);
}

int Connect(sqlite3* db, void* database, int argc, const char* const* argv, sqlite3_vtab** made,
            char** error) {
    const int rc = Sqlite().declare_vtab(
        db, "CREATE TABLE x (id INTEGER, folder INTEGER, name TEXT, is_folder INTEGER, size INTEGER, "
            "modified INTEGER)");
    if (rc != SQLITE_OK) {
        return rc;
    }
    // SQLite owns the table until it disconnects it.
    auto table = std::make_unique<Table>();
    table->db = db;
    table->database = static_cast<const SqliteDatabase*>(database);
    const std::string schema = argc > 1 ? argv[1] : "main";
    table->blocks = SchemaTable(schema, "entry_blocks");
    (void)error;
    *made = &table.release()->base;
    return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* vtab) {
    delete &TableOf(vtab);
    return SQLITE_OK;
}

// Bounds on the id are answered from the blocks' own ranges, kept to exactly (IdsAllowed), so that SQLite
// need not check each row against them again.
int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    int bounds = 0;
    int constraintOf[std::size(Bounds)];
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (!constraint.usable || (constraint.iColumn != Id && constraint.iColumn != -1)) {
            continue;
        }
        Bound bound{};
        switch (constraint.op) {
        case SQLITE_INDEX_CONSTRAINT_EQ:
            bound = Equal;
            break;
        case SQLITE_INDEX_CONSTRAINT_GE:
            bound = AtLeast;
            break;
        case SQLITE_INDEX_CONSTRAINT_GT:
            bound = Above;
            break;
        case SQLITE_INDEX_CONSTRAINT_LE:
            bound = AtMost;
            break;
        case SQLITE_INDEX_CONSTRAINT_LT:
            bound = Below;
            break;
        default:
            continue;
        }
        if ((bounds & bound) == 0) {
            bounds |= bound;
            constraintOf[std::find(std::begin(Bounds), std::end(Bounds), bound) - std::begin(Bounds)] = i;
        }
    }
    int argument = 0;
    for (std::size_t b = 0; b < std::size(Bounds); ++b) {
        if ((bounds & Bounds[b]) != 0) {
            info->aConstraintUsage[constraintOf[b]].argvIndex = ++argument;
            info->aConstraintUsage[constraintOf[b]].omit = 1; // the filter keeps to it exactly
        }
    }
    info->idxNum = bounds;
    const bool one = (bounds & Equal) != 0;
    const bool range = (bounds & (AtLeast | Above)) != 0 && (bounds & (AtMost | Below)) != 0;
    info->estimatedRows = one ? 1 : range ? 2000 : 1000000;
    info->estimatedCost = static_cast<double>(info->estimatedRows);
    if (one) {
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    }
    if (info->nOrderBy == 1 && (info->aOrderBy[0].iColumn == Id || info->aOrderBy[0].iColumn == -1) &&
        !info->aOrderBy[0].desc) {
        info->orderByConsumed = 1; // rows come in id order
    }
    return SQLITE_OK;
}

int Open(sqlite3_vtab* vtab, sqlite3_vtab_cursor** made) {
    auto cursor = std::make_unique<Cursor>();
    Table& table = TableOf(vtab);
    table.checkRecent();
    if (!table.idle.empty()) {
        cursor->following = table.idle.back();
        table.idle.pop_back();
    } else {
        const std::string sql =
            "SELECT first, last, data FROM " + table.blocks + " WHERE first BETWEEN ?1 AND ?2 ORDER BY first";
        const int rc = Sqlite().prepare_v2(table.db, sql.c_str(), -1, &cursor->following, nullptr);
        if (rc != SQLITE_OK) {
            return rc;
        }
    }
    *made = &cursor.release()->base;
    return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* base) {
    const std::unique_ptr<Cursor> cursor(&CursorOf(base));
    Sqlite().reset(cursor->following);
    TableOf(cursor->base.pVtab).idle.push_back(cursor->following);
    return SQLITE_OK;
}

// The block among the table's recent ones that holds `id`.
std::shared_ptr<const Block> RecentBlock(const Table& table, std::int64_t id) {
    for (const std::shared_ptr<const Block>& block : table.recent) {
        if (block && block->first <= id && id <= block->last) {
            return block;
        }
    }
    return nullptr;
}

// Moves the cursor into the next block that holds an id from its own on, asking for the blocks from
// `from` on unless `again` (the statement stands where the last block was read); past the last, it ends.
int NextBlock(Cursor& cursor, std::int64_t from, bool again) {
    sqlite3_stmt* const blocks = cursor.following;
    if (!again) {
        Sqlite().reset(blocks);
        Sqlite().bind_int64(blocks, 1, from);
        Sqlite().bind_int64(blocks, 2, cursor.high);
    }
    for (;;) {
        const int rc = Sqlite().step(blocks);
        if (rc == SQLITE_DONE) {
            cursor.ended = true;
            return SQLITE_OK;
        }
        if (rc != SQLITE_ROW) {
            return rc;
        }
        const std::int64_t first = Sqlite().column_int64(blocks, 0);
        const std::int64_t last = Sqlite().column_int64(blocks, 1);
        if (last < cursor.id) {
            continue; // a block before the range, looked at since it might have reached into it
        }
        cursor.id = std::max(cursor.id, first);
        Table& table = TableOf(cursor.base.pVtab);
        if (std::shared_ptr<const Block> known = RecentBlock(table, cursor.id)) {
            cursor.block = std::move(known);
            return SQLITE_OK;
        }
        const auto* bytes = static_cast<const char*>(Sqlite().column_blob(blocks, 2));
        Result<UnpackedEntries> entries = ReadBlock(
            *table.database,
            {bytes == nullptr ? "" : bytes, static_cast<std::size_t>(Sqlite().column_bytes(blocks, 2))},
            first, last);
        if (!entries) {
            return FailTable(cursor.base.pVtab, entries.reason(), SQLITE_CORRUPT_VTAB);
        }
        auto block = std::make_shared<const Block>(Block{first, last, std::move(entries).value()});
        table.recent[table.nextRecent] = block;
        table.nextRecent = (table.nextRecent + 1) % std::size(table.recent);
        cursor.block = std::move(block);
        return SQLITE_OK;
    }
}

// The ids, from and to, that the bound with this value lets through, as SQLite compares an integer column:
// exactly for a whole number, a fraction or a number out of range, none for NULL, and for text that is
// no number (which sorts after every number) all or none.
std::pair<std::int64_t, std::int64_t> IdsAllowed(Bound bound, sqlite3_value* value) {
    const std::pair<std::int64_t, std::int64_t> all{Lowest, Highest};
    const std::pair<std::int64_t, std::int64_t> none{Highest, Lowest};
    const int type = Sqlite().value_numeric_type(value);
    if (type == SQLITE_NULL) {
        return none;
    }
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
        return bound == AtMost || bound == Below ? all : none;
    }
    std::int64_t floor = 0;
    std::int64_t ceil = 0;
    if (type == SQLITE_INTEGER) {
        floor = ceil = Sqlite().value_int64(value);
    } else {
        const double real = Sqlite().value_double(value);
        if (real != real) {
            return none;
        }
        // 2^63 as a double: every id lies below it, and at or above its negative.
        constexpr double Limit = 9223372036854775808.0;
        if (real >= Limit) {
            return bound == AtMost || bound == Below ? all : none;
        }
        if (real < -Limit) {
            return bound == AtLeast || bound == Above ? all : none;
        }
        floor = static_cast<std::int64_t>(std::floor(real));
        ceil = real == std::floor(real) ? floor : floor + 1;
        if (bound == Equal && floor != ceil) {
            return none;
        }
    }
    switch (bound) {
    case Equal:
        return {floor, floor};
    case AtLeast:
        return {ceil, Highest};
    case Above:
        return floor == Highest ? none : std::pair{floor + 1, Highest};
    case AtMost:
        return {Lowest, floor};
    case Below:
        return ceil == Lowest ? none : std::pair{Lowest, ceil - 1};
    }
    return all;
}

int Filter(sqlite3_vtab_cursor* base, int bounds, const char*, int, sqlite3_value** values) {
    Cursor& cursor = CursorOf(base);
    std::int64_t low = Lowest;
    std::int64_t high = Highest;
    int argument = 0;
    for (const Bound bound : Bounds) {
        if ((bounds & bound) == 0) {
            continue;
        }
        sqlite3_value* const value = values[argument++];
        const auto [from, to] = IdsAllowed(bound, value);
        low = std::max(low, from);
        high = std::min(high, to);
    }
    cursor.high = high;
    cursor.id = low;
    cursor.ended = low > high;
    if (cursor.ended) {
        return SQLITE_OK;
    }
    std::shared_ptr<const Block> known =
        cursor.block && cursor.block->first <= low && low <= cursor.block->last
            ? cursor.block
            : RecentBlock(TableOf(base->pVtab), low);
    if (known) {
        Sqlite().reset(cursor.following);
        cursor.block = std::move(known);
        return SQLITE_OK;
    }
    // A block holds ids in a row: one that holds `low` begins at most a block's length before it.
    const std::int64_t from = low < Lowest + EntriesPerBlock ? Lowest : low - (EntriesPerBlock - 1);
    return NextBlock(cursor, from, false);
}

int Next(sqlite3_vtab_cursor* base) {
    Cursor& cursor = CursorOf(base);
    if (cursor.id >= cursor.high) {
        cursor.ended = true;
        return SQLITE_OK;
    }
    ++cursor.id;
    if (cursor.id <= cursor.block->last) {
        return SQLITE_OK;
    }
    // On where the statement stands, or asked afresh after a filter that began in a block read before.
    return NextBlock(cursor, cursor.id, Sqlite().stmt_busy(cursor.following) != 0);
}

int Eof(sqlite3_vtab_cursor* base) {
    return CursorOf(base).ended ? 1 : 0;
}

int ColumnOf(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
    const Cursor& cursor = CursorOf(base);
    const UnpackedEntries& entries = cursor.block->entries;
    const UnpackedEntries::Entry& entry = entries[static_cast<std::size_t>(cursor.id - cursor.block->first)];
    switch (column) {
    case Id:
        Sqlite().result_int64(context, cursor.id);
        break;
    case Folder:
        Sqlite().result_int64(context, entry.folder);
        break;
    case Name:
        Sqlite().result_text64(context, entries.name(entry).data(), entry.nameLength, SQLITE_TRANSIENT,
                               SQLITE_UTF8);
        break;
    case IsFolder:
        Sqlite().result_int64(context, entry.isFolder ? 1 : 0);
        break;
    case Size:
        Sqlite().result_int64(context, static_cast<std::int64_t>(entry.size));
        break;
    case Modified:
        Sqlite().result_int64(context, entry.modified);
        break;
    default:
        break;
    }
    return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = CursorOf(base).id;
    return SQLITE_OK;
}

const sqlite3_module EntryModule =
    ReadOnlyModule(Connect, BestIndex, Disconnect, Open, Close, Filter, Next, Eof, ColumnOf, RowId);

} // namespace

Result<Done> AddEntryTableModule(sqlite3* db, const SqliteDatabase& database) {
    return AddModule(db, "tessaline_entries", EntryModule, "entries",
                     const_cast<SqliteDatabase*>(&database)); // SQLite hands it back as it was given
}
