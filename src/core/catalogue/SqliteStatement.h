#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3_stmt;
class SqliteDatabase;

// One prepared statement of a SqliteDatabase, finalized with it. Parameters are numbered from 1, columns
// from 0. A bind that fails is reported by the next step, so a chain of binds needs no checks of its own.
class SqliteStatement {
public:
    SqliteStatement(const SqliteDatabase& db, sqlite3_stmt* statement);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
    SqliteStatement& bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }
    // Bytes kept as a blob, not as text.
    SqliteStatement& bindBlob(int index, std::string_view bytes);
    // A pointer passed to an SQL function that asks for one of this type (sqlite3_bind_pointer).
    SqliteStatement& bindPointer(int index, void* pointer, const char* type);

    // True while there is a row to read, false when the statement has run to its end.
    Result<bool> step();
    // Steps to the end, for a statement that answers no rows.
    Result<Done> run();
    // Steps to the end, handing each row to `read` (called with this statement).
    template <typename Read> Result<Done> forEachRow(Read&& read) {
        for (;;) {
            Result<bool> row = step();
            if (!row) {
                return Failure{row.reason()};
            }
            if (!*row) {
                return Done{};
            }
            read(*this);
        }
    }
    // Steps once: the first column of the row as an integer; none when there is no row or it is NULL.
    Result<std::optional<std::int64_t>> firstInteger();
    Result<std::optional<std::string>> firstText();
    // Makes the statement ready to run again; its bindings stay.
    void reset();

    std::int64_t integer(int column) const;
    std::string text(int column) const;
    // Valid until the next step or reset.
    std::string_view textView(int column) const;
    std::string_view blobView(int column) const;
    bool isNull(int column) const;

private:
    void release();
    void keepBindError(int rc);

    const SqliteDatabase* m_db;
    sqlite3_stmt* m_statement;
    int m_bindError = 0;
};
