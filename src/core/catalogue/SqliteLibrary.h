#pragma once

#include "core/runtime/Result.h"

#include <sqlite3.h>

// The SQLite functions the catalogue calls, named as SQLite's own extension interface names them. The
// library is loaded the first time a database is opened, not when the program starts: most runs (the
// desktop program that only makes labels, --help) never open the catalogue.
struct SqliteLibrary {
    decltype(&sqlite3_open_v2) open_v2;
    decltype(&sqlite3_close_v2) close_v2;
    decltype(&sqlite3_busy_timeout) busy_timeout;
    decltype(&sqlite3_prepare_v2) prepare_v2;
    decltype(&sqlite3_exec) exec;
    decltype(&sqlite3_last_insert_rowid) last_insert_rowid;
    decltype(&sqlite3_backup_init) backup_init;
    decltype(&sqlite3_backup_step) backup_step;
    decltype(&sqlite3_backup_finish) backup_finish;
    decltype(&sqlite3_interrupt) interrupt;
    decltype(&sqlite3_errcode) errcode;
    decltype(&sqlite3_errmsg) errmsg;
    decltype(&sqlite3_errstr) errstr;
    decltype(&sqlite3_system_errno) system_errno;
    decltype(&sqlite3_finalize) finalize;
    decltype(&sqlite3_bind_int64) bind_int64;
    decltype(&sqlite3_bind_text64) bind_text64;
    decltype(&sqlite3_bind_pointer) bind_pointer;
    decltype(&sqlite3_step) step;
    decltype(&sqlite3_reset) reset;
    decltype(&sqlite3_column_int64) column_int64;
    decltype(&sqlite3_column_text) column_text;
    decltype(&sqlite3_column_bytes) column_bytes;
    decltype(&sqlite3_column_type) column_type;
    decltype(&sqlite3_column_blob) column_blob;
    decltype(&sqlite3_bind_blob64) bind_blob64;
    // For the tables of packed entries and folders.
    decltype(&sqlite3_create_module_v2) create_module_v2;
    decltype(&sqlite3_declare_vtab) declare_vtab;
    decltype(&sqlite3_value_int64) value_int64;
    decltype(&sqlite3_value_numeric_type) value_numeric_type;
    decltype(&sqlite3_value_double) value_double;
    decltype(&sqlite3_value_text) value_text;
    decltype(&sqlite3_value_bytes) value_bytes;
    decltype(&sqlite3_result_int64) result_int64;
    decltype(&sqlite3_result_text64) result_text64;
    decltype(&sqlite3_result_null) result_null;
    decltype(&sqlite3_mprintf) mprintf;
    decltype(&sqlite3_free) free;
    decltype(&sqlite3_stmt_busy) stmt_busy;
    decltype(&sqlite3_total_changes64) total_changes64;
    decltype(&sqlite3_file_control) file_control;
};

// Loads the shared library `file` and finds every function above in it; a failure says which could not
// be loaded or found. Each call loads afresh: the program's one copy is Sqlite's.
Result<SqliteLibrary> LoadSqliteLibrary(const char* file);

// The program's SQLite, loaded on the first call (by any thread) and kept; a library that could not be
// loaded gives the same failure at every call.
Result<const SqliteLibrary*> LoadSqlite();

// The library that LoadSqlite() loaded: for code that holds a connection, which it made.
const SqliteLibrary& Sqlite();
