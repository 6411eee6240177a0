#pragma once

#include "core/runtime/Result.h"

class SqliteDatabase;

// A write transaction that is rolled back unless it is committed. It takes the write lock when it begins
// (BEGIN IMMEDIATE), so a file locked by another connection fails there, before anything is changed.
class SqliteTransaction {
public:
    static Result<SqliteTransaction> begin(const SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(SqliteTransaction&& other) noexcept;
    SqliteTransaction& operator=(SqliteTransaction&&) = delete;
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    Result<Done> commit();

private:
    explicit SqliteTransaction(const SqliteDatabase& db) : m_db(&db) {}

    const SqliteDatabase* m_db;
};
