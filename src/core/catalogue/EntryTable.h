#pragma once

#include "core/runtime/Result.h"

class SqliteDatabase;
struct sqlite3;

// The catalogue keeps its entries packed in blocks (entry_blocks: first and last id, the packed bytes);
// `entries` is a table over them for SQL to read, row by row, as a plain table's rows: id, folder, name,
// is_folder, size, modified. It answers ranges and single ids of `id` from the blocks that hold them and
// cannot be written: the store writes the blocks.
// Every connection to a catalogue makes the module known before it reads `entries`; its blocks are read
// through `database`, the connection's own.
Result<Done> AddEntryTableModule(sqlite3* db, const SqliteDatabase& database);

// The largest number of entries a block holds.
constexpr int EntriesPerBlock = 64;
