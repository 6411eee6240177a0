#include "core/catalogue/SqliteLibrary.h"

#include "core/catalogue/LoadedFunctions.h"

namespace {

const auto FindEach = [](SqliteLibrary& library, const auto& find) {
    find(library.open_v2, "sqlite3_open_v2");
    find(library.close_v2, "sqlite3_close_v2");
    find(library.busy_timeout, "sqlite3_busy_timeout");
    find(library.prepare_v2, "sqlite3_prepare_v2");
    find(library.exec, "sqlite3_exec");
    find(library.last_insert_rowid, "sqlite3_last_insert_rowid");
    find(library.backup_init, "sqlite3_backup_init");
    find(library.backup_step, "sqlite3_backup_step");
    find(library.backup_finish, "sqlite3_backup_finish");
    find(library.interrupt, "sqlite3_interrupt");
    find(library.errcode, "sqlite3_errcode");
    find(library.errmsg, "sqlite3_errmsg");
    find(library.errstr, "sqlite3_errstr");
    find(library.system_errno, "sqlite3_system_errno");
    find(library.finalize, "sqlite3_finalize");
    find(library.bind_int64, "sqlite3_bind_int64");
    find(library.bind_text64, "sqlite3_bind_text64");
    find(library.bind_pointer, "sqlite3_bind_pointer");
    find(library.step, "sqlite3_step");
    find(library.reset, "sqlite3_reset");
    find(library.column_int64, "sqlite3_column_int64");
    find(library.column_text, "sqlite3_column_text");
    find(library.column_bytes, "sqlite3_column_bytes");
    find(library.column_type, "sqlite3_column_type");
    find(library.column_blob, "sqlite3_column_blob");
    find(library.bind_blob64, "sqlite3_bind_blob64");
    find(library.create_module_v2, "sqlite3_create_module_v2");
    find(library.declare_vtab, "sqlite3_declare_vtab");
    find(library.value_int64, "sqlite3_value_int64");
    find(library.value_numeric_type, "sqlite3_value_numeric_type");
    find(library.value_double, "sqlite3_value_double");
    find(library.value_text, "sqlite3_value_text");
    find(library.value_bytes, "sqlite3_value_bytes");
    find(library.result_int64, "sqlite3_result_int64");
    find(library.result_text64, "sqlite3_result_text64");
    find(library.result_null, "sqlite3_result_null");
    find(library.mprintf, "sqlite3_mprintf");
    find(library.free, "sqlite3_free");
    find(library.stmt_busy, "sqlite3_stmt_busy");
    find(library.total_changes64, "sqlite3_total_changes64");
    find(library.file_control, "sqlite3_file_control");
};

} // namespace

Result<SqliteLibrary> LoadSqliteLibrary(const char* file) {
    return LoadFunctions<SqliteLibrary>(file, "the SQLite library", FindEach);
}

Result<const SqliteLibrary*> LoadSqlite() {
    return KeepLoaded<SqliteLibrary>(LoadSqliteLibrary, TESSALINE_SQLITE_LIBRARY);
}

const SqliteLibrary& Sqlite() {
    return *KeepLoaded<SqliteLibrary>(LoadSqliteLibrary, TESSALINE_SQLITE_LIBRARY).value();
}
