#pragma once

#include "core/catalogue/SqliteStatement.h"
#include "core/runtime/Result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

// One connection to an SQLite database file, closed with it. Every failure comes back as a Failure whose
// reason says in plain words what is wrong with the file (locked, read-only, full, damaged), followed by
// SQLite's own message in brackets. A connection is used by one thread at a time (it has no mutex of its
// own); threads that work at once open a connection each.
class BlockCodec;

class SqliteDatabase {
public:
    // Immutable reads a file that nothing may change while it is open, taking no locks and creating no
    // shared-memory file beside it.
    enum class Access { ReadWrite, ReadOnly, Immutable };

    // Opens the file; with ReadWrite a missing file is created (with the process's default mode: a caller
    // that wants another creates the file first). Nothing is read from the file yet. ":memory:" is a
    // database in memory.
    static Result<std::unique_ptr<SqliteDatabase>> open(const std::string& path, Access access);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const std::string& path() const { return m_path; }
    bool readOnly() const { return m_access != Access::ReadWrite; }
    sqlite3* handle() const { return m_db; }

    // How long a statement waits for another connection's lock before it fails as locked.
    void setBusyTimeout(std::chrono::milliseconds timeout);

    Result<SqliteStatement> prepare(std::string_view sql) const;
    // A statement with its parameters bound in order.
    template <typename... Values>
    Result<SqliteStatement> prepare(std::string_view sql, const Values&... values) const {
        Result<SqliteStatement> statement = prepare(sql);
        if (statement) {
            int index = 0;
            (statement.value().bind(++index, values), ...);
        }
        return statement;
    }
    // Runs one statement that answers no rows, its parameters bound in order.
    template <typename... Values> Result<Done> run(std::string_view sql, const Values&... values) const {
        Result<SqliteStatement> statement = prepare(sql, values...);
        if (!statement) {
            return Failure{statement.reason()};
        }
        return statement.value().run();
    }
    // Runs one or more statements that answer no rows.
    Result<Done> execute(const std::string& sql) const;
    // The first column of a query's first row as an integer; none for no row or NULL.
    template <typename... Values>
    Result<std::optional<std::int64_t>> queryInteger(std::string_view sql, const Values&... values) const {
        Result<SqliteStatement> statement = prepare(sql, values...);
        if (!statement) {
            return Failure{statement.reason()};
        }
        return statement.value().firstInteger();
    }
    // The first column of a query's first row as text; none for no row or NULL.
    template <typename... Values>
    Result<std::optional<std::string>> queryText(std::string_view sql, const Values&... values) const {
        Result<SqliteStatement> statement = prepare(sql, values...);
        if (!statement) {
            return Failure{statement.reason()};
        }
        return statement.value().firstText();
    }
    std::int64_t lastInsertId() const;
    // Copies the whole database into `target` (another connection), replacing what it held.
    Result<Done> copyInto(const SqliteDatabase& target) const;
    // Makes the statement running on another thread fail at once (as interrupted).
    void interrupt() const;

    // The failure for an SQLite result code just returned on this connection.
    Failure failure(int code) const;
    // Whether the connection's last failure was a damaged file (not a database, or a malformed one).
    bool lastFailureIsDamage() const;

    // How this connection presses and unpresses the catalogue's blocks (see BlockDictionary.h).
    BlockCodec& blockCodec() const;

private:
    SqliteDatabase(std::string path, Access access, sqlite3* db);

    std::string m_path;
    Access m_access;
    sqlite3* m_db;
    mutable std::unique_ptr<BlockCodec> m_blockCodec;
};
