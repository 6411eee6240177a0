#pragma once

#include "core/catalogue/SqliteLibrary.h"
#include "core/runtime/Result.h"

#include <cstdint>
#include <string>

// What the catalogue's tables over packed rows (its entries and its folders) share.

// Gives SQLite the reason a table's call failed, and answers `code`.
int FailTable(sqlite3_vtab* vtab, const std::string& why, int code);

// The table `table` of the schema `schema` (as SQLite names the schema of a virtual table), for SQL.
std::string SchemaTable(const std::string& schema, const char* table);

// Whether a connection's file may have changed: any write, the connection's own or another's, since the
// last time it was asked. What was read before a change cannot be kept past it.
class FileChanges {
public:
    bool since(sqlite3* db);

private:
    unsigned int m_version = 0;
    std::int64_t m_changes = -1;
};

// The module of a table that SQL reads and cannot write: created and connected alike.
sqlite3_module ReadOnlyModule(decltype(sqlite3_module::xConnect) connect,
                              decltype(sqlite3_module::xBestIndex) bestIndex,
                              decltype(sqlite3_module::xDisconnect) disconnect,
                              decltype(sqlite3_module::xOpen) open, decltype(sqlite3_module::xClose) close,
                              decltype(sqlite3_module::xFilter) filter, decltype(sqlite3_module::xNext) next,
                              decltype(sqlite3_module::xEof) eof, decltype(sqlite3_module::xColumn) column,
                              decltype(sqlite3_module::xRowid) rowId);

// Makes the module known to the connection by `name`, its tables given `data`; a failure names the table
// by `what`.
Result<Done> AddModule(sqlite3* db, const char* name, const sqlite3_module& module, const std::string& what,
                       void* data = nullptr);
