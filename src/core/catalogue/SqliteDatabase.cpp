#include "core/catalogue/SqliteDatabase.h"

#include "core/catalogue/BlockCodec.h"
#include "core/catalogue/EntryTable.h"
#include "core/catalogue/FolderTable.h"
#include "core/catalogue/SqliteLibrary.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

std::string SystemError(int error) {
    return error != 0 ? std::string(": ") + std::strerror(error) : "";
}

// What a person needs to hear about the file, before SQLite's own words.
std::string Problem(int code, int systemError, const std::string& path) {
    const bool noSpace = systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return path + " is in use by another program";
    case SQLITE_READONLY:
        return path + " is read-only";
    case SQLITE_FULL:
        return "the disk holding " + path + " is full";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return path + " is damaged";
    case SQLITE_CANTOPEN:
        return path + " cannot be opened" + SystemError(systemError);
    case SQLITE_IOERR:
        return noSpace ? "the disk holding " + path + " is full"
                       : path + " could not be read or written" + SystemError(systemError);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return path + " may not be changed";
    case SQLITE_INTERRUPT:
        return "stopped while reading " + path;
    default:
        return path;
    }
}

// A file name as an SQLite URI: the bytes a URI gives a meaning to are written as %XX.
std::string Uri(const std::string& path) {
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#' || static_cast<unsigned char>(c) < 0x20) {
            static constexpr char Hex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            uri += {'%', Hex[byte >> 4], Hex[byte & 0xf]};
        } else {
            uri += c;
        }
    }
    return uri;
}

} // namespace

SqliteDatabase::SqliteDatabase(std::string path, Access access, sqlite3* db)
    : m_path(std::move(path)), m_access(access), m_db(db) {}

SqliteDatabase::~SqliteDatabase() {
    Sqlite().close_v2(m_db);
}

Result<std::unique_ptr<SqliteDatabase>> SqliteDatabase::open(const std::string& path, Access access) {
    const int flags =
        (access == Access::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
        SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE | (access == Access::Immutable ? SQLITE_OPEN_URI : 0);
    const std::string name = access == Access::Immutable ? Uri(path) + "?immutable=1" : path;
    // Loaded here, on the first open: nothing else of SQLite is reached without a connection.
    if (Result<const SqliteLibrary*> library = LoadSqlite(); !library) {
        return Failure{path + " cannot be opened: " + library.reason()};
    }
    sqlite3* db = nullptr;
    const int rc = Sqlite().open_v2(name.c_str(), &db, flags, nullptr);
    std::unique_ptr<SqliteDatabase> opened(new SqliteDatabase(path, access, db));
    if (rc != SQLITE_OK) {
        return opened->failure(rc);
    }
    if (Result<Done> known = Then(AddEntryTableModule(db, *opened), [&] { return AddFolderTableModule(db); });
        !known) {
        return Failure{path + " cannot be opened: " + known.reason()};
    }
    return opened;
}

void SqliteDatabase::setBusyTimeout(std::chrono::milliseconds timeout) {
    Sqlite().busy_timeout(m_db, static_cast<int>(timeout.count()));
}

Result<SqliteStatement> SqliteDatabase::prepare(std::string_view sql) const {
    sqlite3_stmt* statement = nullptr;
    const int rc = Sqlite().prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (rc != SQLITE_OK) {
        return failure(rc);
    }
    return SqliteStatement(*this, statement);
}

Result<Done> SqliteDatabase::execute(const std::string& sql) const {
    const int rc = Sqlite().exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        return failure(rc);
    }
    return Done{};
}

std::int64_t SqliteDatabase::lastInsertId() const {
    return Sqlite().last_insert_rowid(m_db);
}

Result<Done> SqliteDatabase::copyInto(const SqliteDatabase& target) const {
    sqlite3_backup* backup = Sqlite().backup_init(target.m_db, "main", m_db, "main");
    if (backup == nullptr) {
        return target.failure(Sqlite().errcode(target.m_db));
    }
    const int stepped = Sqlite().backup_step(backup, -1);
    const int finished = Sqlite().backup_finish(backup);
    if (stepped != SQLITE_DONE) {
        return failure(stepped);
    }
    if (finished != SQLITE_OK) {
        return target.failure(finished);
    }
    return Done{};
}

void SqliteDatabase::interrupt() const {
    Sqlite().interrupt(m_db);
}

bool SqliteDatabase::lastFailureIsDamage() const {
    const int code = Sqlite().errcode(m_db) & 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

Failure SqliteDatabase::failure(int code) const {
    const char* message = m_db != nullptr ? Sqlite().errmsg(m_db) : Sqlite().errstr(code);
    const int systemError = m_db != nullptr ? Sqlite().system_errno(m_db) : 0;
    return Failure{Problem(code, systemError, m_path) + " (" + message + ")"};
}

BlockCodec& SqliteDatabase::blockCodec() const {
    if (!m_blockCodec) {
        m_blockCodec = std::make_unique<BlockCodec>();
    }
    return *m_blockCodec;
}
