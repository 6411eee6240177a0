#pragma once

#include "core/catalogue/PgRows.h"
#include "core/runtime/Result.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_cancel;

// One connection to a PostgreSQL server, closed with it. Every statement goes with its parameters bound,
// never pasted into its text, as text in PostgreSQL's input formats (nullopt is NULL). Every failure comes
// back as a Failure whose reason says in plain words what went wrong (the server cannot be reached, asks
// for a password, refused a statement, went away), followed by libpq's or the server's own message in
// brackets. A connection is used by one thread at a time.
class PgConnection {
public:
    using Parameter = std::optional<std::string>;

    // `connection` is a libpq connection string or URI; libpq's own ways (~/.pgpass, service files,
    // PG* variables, certificates) fill in what it leaves out.
    static Result<std::unique_ptr<PgConnection>> open(const std::string& connection);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    Result<PgRows> query(std::string_view sql, const std::vector<Parameter>& parameters = {}) const;
    Result<Done> run(std::string_view sql, const std::vector<Parameter>& parameters = {}) const;
    // COPY ... FROM STDIN with `rows` in COPY's text format: fields made with CopyField, each followed by a
    // tab, or by a newline at a row's end.
    Result<Done> copyIn(std::string_view sql, std::string_view rows) const;
    // Makes a statement running on another thread fail at once, saying it was interrupted; safe from any
    // thread while the connection lives. Nothing happens when none is running.
    void interrupt() const;

private:
    explicit PgConnection(pg_conn* connection) : m_connection(connection) {}
    Failure failed(const char* message, const char* state = nullptr) const;

    pg_conn* m_connection;
    pg_cancel* m_cancel = nullptr;
};

// A value as a field of COPY's text format: backslash, tab, newline and carriage return escaped.
std::string CopyField(std::string_view text);
// The same, appended to `into`.
void AppendCopyField(std::string& into, std::string_view text);
