#include "core/catalogue/VirtualTable.h"

int FailTable(sqlite3_vtab* vtab, const std::string& why, int code) {
    Sqlite().free(vtab->zErrMsg);
    vtab->zErrMsg = Sqlite().mprintf("%s", why.c_str());
    return code;
}

std::string SchemaTable(const std::string& schema, const char* table) {
    std::string quoted = "\"";
    for (const char c : schema) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"." + table;
}

bool FileChanges::since(sqlite3* db) {
    unsigned int version = 0;
    const bool known = Sqlite().file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &version) == SQLITE_OK;
    const std::int64_t changes = Sqlite().total_changes64(db);
    const bool changed = !known || version != m_version || changes != m_changes;
    m_version = version;
    m_changes = changes;
    return changed;
}

sqlite3_module ReadOnlyModule(decltype(sqlite3_module::xConnect) connect,
                              decltype(sqlite3_module::xBestIndex) bestIndex,
                              decltype(sqlite3_module::xDisconnect) disconnect,
                              decltype(sqlite3_module::xOpen) open, decltype(sqlite3_module::xClose) close,
                              decltype(sqlite3_module::xFilter) filter, decltype(sqlite3_module::xNext) next,
                              decltype(sqlite3_module::xEof) eof, decltype(sqlite3_module::xColumn) column,
                              decltype(sqlite3_module::xRowid) rowId) {
    sqlite3_module module{};
    module.iVersion = 1;
    module.xCreate = connect;
    module.xConnect = connect;
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnect;
    module.xDestroy = disconnect;
    module.xOpen = open;
    module.xClose = close;
    module.xFilter = filter;
    module.xNext = next;
    module.xEof = eof;
    module.xColumn = column;
    module.xRowid = rowId;
    return module;
}

Result<Done> AddModule(sqlite3* db, const char* name, const sqlite3_module& module, const std::string& what,
                       void* data) {
    if (Sqlite().create_module_v2(db, name, &module, data, nullptr) != SQLITE_OK) {
        return Failure{"the table of the catalogue's " + what + " could not be made known to SQLite"};
    }
    return Done{};
}
