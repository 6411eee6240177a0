#include "core/catalogue/SqliteLibrary.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A library that is not there, or is not SQLite, is a failure that says which, never a call through a
// function that was not found.
TEST(SqliteLibraryTest, ALibraryThatIsMissingOrIsNotSqliteIsAFailureThatSaysWhy) {
    const struct {
        const char* file;
        std::string said;
    } rows[] = {
        {"libtessaline-absent.so.0", "libtessaline-absent.so.0"},
        {"libc.so.6", "lacks sqlite3_open_v2"},
    };
    for (const auto& row : rows) {
        const Result<SqliteLibrary> loaded = LoadSqliteLibrary(row.file);
        ASSERT_FALSE(loaded) << row.file;
        EXPECT_NE(loaded.reason().find(row.said), std::string::npos) << loaded.reason();
    }
}

} // namespace
