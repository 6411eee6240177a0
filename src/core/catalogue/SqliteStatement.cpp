#include "core/catalogue/SqliteStatement.h"

#include "core/catalogue/SqliteDatabase.h"

#include "core/catalogue/SqliteLibrary.h"

#include <utility>

SqliteStatement::SqliteStatement(const SqliteDatabase& db, sqlite3_stmt* statement)
    : m_db(&db), m_statement(statement) {}

SqliteStatement::~SqliteStatement() {
    release();
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(other.m_db), m_statement(std::exchange(other.m_statement, nullptr)),
      m_bindError(other.m_bindError) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        release();
        m_db = other.m_db;
        m_statement = std::exchange(other.m_statement, nullptr);
        m_bindError = other.m_bindError;
    }
    return *this;
}

void SqliteStatement::release() {
    if (m_statement != nullptr) {
        Sqlite().finalize(m_statement);
        m_statement = nullptr;
    }
}

void SqliteStatement::keepBindError(int rc) {
    if (rc != SQLITE_OK && m_bindError == 0) {
        m_bindError = rc;
    }
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    const int rc = Sqlite().bind_int64(m_statement, index, value);
    keepBindError(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    const int rc =
        Sqlite().bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    keepBindError(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes) {
    const int rc = Sqlite().bind_blob64(m_statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    keepBindError(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bindPointer(int index, void* pointer, const char* type) {
    const int rc = Sqlite().bind_pointer(m_statement, index, pointer, type, nullptr);
    keepBindError(rc);
    return *this;
}

Result<bool> SqliteStatement::step() {
    if (m_bindError != 0) {
        return m_db->failure(m_bindError);
    }
    const int rc = Sqlite().step(m_statement);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    // Taken before the reset, which would leave the connection's message for the reset.
    Failure failure = m_db->failure(rc);
    Sqlite().reset(m_statement);
    return failure;
}

Result<Done> SqliteStatement::run() {
    return forEachRow([](const SqliteStatement&) {});
}

Result<std::optional<std::int64_t>> SqliteStatement::firstInteger() {
    Result<bool> row = step();
    if (!row) {
        return Failure{row.reason()};
    }
    if (!*row || isNull(0)) {
        return std::optional<std::int64_t>();
    }
    return std::optional<std::int64_t>(integer(0));
}

Result<std::optional<std::string>> SqliteStatement::firstText() {
    Result<bool> row = step();
    if (!row) {
        return Failure{row.reason()};
    }
    if (!*row || isNull(0)) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(text(0));
}

void SqliteStatement::reset() {
    Sqlite().reset(m_statement);
}

std::int64_t SqliteStatement::integer(int column) const {
    return Sqlite().column_int64(m_statement, column);
}

std::string SqliteStatement::text(int column) const {
    return std::string(textView(column));
}

std::string_view SqliteStatement::textView(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(Sqlite().column_text(m_statement, column));
    if (bytes == nullptr) {
        return {};
    }
    return {bytes, static_cast<std::size_t>(Sqlite().column_bytes(m_statement, column))};
}

std::string_view SqliteStatement::blobView(int column) const {
    const auto* bytes = static_cast<const char*>(Sqlite().column_blob(m_statement, column));
    if (bytes == nullptr) {
        return {};
    }
    return {bytes, static_cast<std::size_t>(Sqlite().column_bytes(m_statement, column))};
}

bool SqliteStatement::isNull(int column) const {
    return Sqlite().column_type(m_statement, column) == SQLITE_NULL;
}
