#include "core/catalogue/SqliteDatabase.h"
#include "core/catalogue/SqliteTransaction.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Database {
    TempDir dir;
    std::string path = (dir / "test.sqlite").string();
    std::unique_ptr<SqliteDatabase> db =
        SqliteDatabase::open(path, SqliteDatabase::Access::ReadWrite).value();

    std::int64_t rows() const { return db->queryInteger("SELECT count(*) FROM t").value().value_or(-1); }
};

TEST(SqliteDatabaseTest, ATransactionCountsOnlyOnceCommitted) {
    Database file;
    ASSERT_TRUE(file.db->execute("CREATE TABLE t (x)"));
    {
        auto transaction = SqliteTransaction::begin(*file.db);
        ASSERT_TRUE(file.db->run("INSERT INTO t VALUES (?)", std::int64_t{1}));
    }
    EXPECT_EQ(file.rows(), 0);
    auto transaction = SqliteTransaction::begin(*file.db);
    ASSERT_TRUE(file.db->run("INSERT INTO t VALUES (?)", "one"));
    ASSERT_TRUE(transaction.value().commit());
    EXPECT_EQ(file.rows(), 1);
    EXPECT_EQ(file.db->queryText("SELECT x FROM t").value(), "one");
}

TEST(SqliteDatabaseTest, TellsWhatIsWrongInWordsAndInSqlitesOwn) {
    const struct {
        const char* name;
        std::string setUp;
        std::string sql;
        std::string reason; // after the file's path
    } cases[] = {
        {"full", "PRAGMA max_page_count = 3", "INSERT INTO t VALUES (zeroblob(100000))",
         " is full (database or disk is full)"},
        {"damaged", "", "", " is damaged (file is not a database)"},
        {"mistyped", "", "SELEC 1", " (near \"SELEC\": syntax error)"},
        {"unbound", "", "SELECT ?1", " (column index out of range)"},
    };
    for (const auto& c : cases) {
        Database file;
        if (std::string(c.name) == "damaged") {
            WriteBytes(file.path, std::string(4096, 'x'));
        }
        ASSERT_TRUE(file.db->execute("CREATE TABLE IF NOT EXISTS t (x);" + c.setUp) || c.sql.empty())
            << c.name;
        Result<SqliteStatement> statement = file.db->prepare(c.sql.empty() ? "SELECT * FROM t" : c.sql);
        if (statement && c.sql.find('?') != std::string::npos) {
            statement.value().bind(2, std::int64_t{1});
        }
        Result<bool> row = statement ? statement.value().step() : Failure{statement.reason()};
        ASSERT_FALSE(row) << c.name;
        EXPECT_EQ(row.reason().substr(row.reason().find(file.path) + file.path.size()), c.reason) << c.name;
    }
}

} // namespace
