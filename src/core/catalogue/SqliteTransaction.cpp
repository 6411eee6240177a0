#include "core/catalogue/SqliteTransaction.h"

#include "core/catalogue/SqliteDatabase.h"

#include <utility>

Result<SqliteTransaction> SqliteTransaction::begin(const SqliteDatabase& db) {
    if (auto begun = db.execute("BEGIN IMMEDIATE"); !begun) {
        return Failure{begun.reason()};
    }
    return SqliteTransaction(db);
}

SqliteTransaction::SqliteTransaction(SqliteTransaction&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)) {}

SqliteTransaction::~SqliteTransaction() {
    if (m_db != nullptr) {
        // Nothing to tell on failure: SQLite has already rolled back whatever an error left open.
        (void)m_db->execute("ROLLBACK");
    }
}

Result<Done> SqliteTransaction::commit() {
    Result<Done> committed = m_db->execute("COMMIT");
    if (committed) {
        m_db = nullptr;
    }
    return committed;
}
