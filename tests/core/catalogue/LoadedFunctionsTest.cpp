#include "core/catalogue/PgLibrary.h"
#include "core/catalogue/SqliteLibrary.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

template <typename Functions> std::string ReasonOf(const Result<Functions>& loaded) {
    return loaded ? std::string() : loaded.reason();
}

// A library that is not there, or is not the one asked for, is a failure that says which, never a call
// through a function that was not found.
TEST(LoadedFunctionsTest, ALibraryThatIsMissingOrIsAnotherIsAFailureThatSaysWhy) {
    const std::function<std::string(const char*)> sqlite = [](const char* file) {
        return ReasonOf(LoadSqliteLibrary(file));
    };
    const std::function<std::string(const char*)> pq = [](const char* file) {
        return ReasonOf(LoadPgLibrary(file));
    };
    const struct {
        const std::function<std::string(const char*)>& load;
        const char* file;
        std::string said;
    } rows[] = {
        {sqlite, "libtessaline-absent.so.0",
         "the SQLite library could not be loaded (libtessaline-absent.so.0"},
        {sqlite, "libc.so.6", "the SQLite library libc.so.6 lacks sqlite3_open_v2"},
        {pq, "libtessaline-absent.so.5", "PostgreSQL's client library could not be loaded ("},
        {pq, "libc.so.6", "PostgreSQL's client library libc.so.6 lacks PQconnectdb"},
    };
    for (const auto& row : rows) {
        const std::string reason = row.load(row.file);
        EXPECT_NE(reason.find(row.said), std::string::npos) << row.file << ": " << reason;
    }
}

} // namespace
