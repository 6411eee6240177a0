#pragma once

#include "core/runtime/Result.h"

#include <string_view>

class PgConnection;

// A transaction on a catalogue server, rolled back unless it was committed: a failure anywhere leaves
// the catalogue as it was.
class PgTransaction {
public:
    // `begin` is the statement that starts it, for a stricter isolation where one is needed.
    static Result<PgTransaction> begin(const PgConnection& connection, std::string_view begin = "BEGIN");
    ~PgTransaction();
    PgTransaction(PgTransaction&& other) noexcept;
    PgTransaction& operator=(PgTransaction&&) = delete;
    PgTransaction(const PgTransaction&) = delete;
    PgTransaction& operator=(const PgTransaction&) = delete;

    Result<Done> commit();

private:
    explicit PgTransaction(const PgConnection& connection) : m_connection(&connection) {}

    const PgConnection* m_connection; // none once committed or moved from
};
