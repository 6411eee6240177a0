#include "support/PostgresServer.h"

#include "core/catalogue/PgConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

const PostgresServer& Server() {
    return PostgresServer::shared();
}

std::unique_ptr<PgConnection> Connect(const std::string& database = "postgres") {
    Result<std::unique_ptr<PgConnection>> opened = PgConnection::open(Server().connection(database));
    EXPECT_TRUE(opened) << opened.reason();
    return opened ? std::move(opened).value() : nullptr;
}

bool Says(const Result<Done>& done, const std::string& words) {
    return !done && done.reason().find(words) != std::string::npos;
}

// Whatever a value holds (quotes, SQL, tabs, line ends, backslashes, letters beyond ASCII, nothing at all,
// NULL), it reaches the server as it is and comes back so, by a statement's parameters or by COPY.
TEST(PgConnectionTest, AValueComesBackAsItWentInByParameterOrByCopy) {
    Server().createDatabase("values_test");
    const auto db = Connect("values_test");
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->run("CREATE TABLE t (n integer, v text)"));
    const std::vector<std::optional<std::string>> values = {
        "O'Brien'); DROP TABLE t; --",
        "tab\there\nand a line\r\n",
        "back\\slash \\N",
        "Steuer/Belege ж.pdf",
        "",
        std::nullopt,
    };
    std::string copied;
    for (std::size_t n = 0; n < values.size(); ++n) {
        ASSERT_TRUE(db->run("INSERT INTO t VALUES ($1, $2)", {std::to_string(n), values[n]}));
        copied += std::to_string(100 + n) + "\t" + (values[n] ? CopyField(*values[n]) : "\\N") + "\n";
    }
    ASSERT_TRUE(db->copyIn("COPY t (n, v) FROM STDIN", copied));
    const Result<PgRows> rows = db->query("SELECT n, v FROM t WHERE n % 100 = $1 ORDER BY n", {"0"});
    ASSERT_TRUE(rows) << rows.reason();
    EXPECT_EQ(rows->size(), 2);
    for (std::size_t n = 0; n < values.size(); ++n) {
        const Result<PgRows> back = db->query("SELECT v FROM t WHERE n IN ($1, $2) ORDER BY n",
                                              {std::to_string(n), std::to_string(100 + n)});
        ASSERT_TRUE(back) << back.reason();
        ASSERT_EQ(back->size(), 2) << n;
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(back->isNull(row, 0), !values[n]) << n;
            EXPECT_EQ(std::string(back->text(row, 0)), values[n].value_or("")) << n;
        }
    }
    EXPECT_EQ(db->query("SELECT count(*) FROM t")->integer(0, 0), 12);
    // A value that is no whole number, or NULL, reads as 0.
    const Result<PgRows> words = db->query("SELECT v, n FROM t WHERE n IN (3, 5) ORDER BY n");
    ASSERT_TRUE(words) << words.reason();
    EXPECT_EQ(words->integer(0, 0), 0) << words->text(0, 0);
    EXPECT_EQ(words->integer(1, 0), 0);
    EXPECT_EQ(words->integer(1, 1), 5);
}

// A server that wants a password says so when none is given, and refuses a wrong one, in words; the
// password itself belongs in libpq's own places, never in the profile.
TEST(PgConnectionTest, ALoginIsAskedForAndRefusedInWords) {
    const PostgresServer guarded("open sesame");
    const struct {
        std::string given;
        std::string said; // empty: connected
    } rows[] = {
        {"", "the catalogue server asks for a password: keep it in ~/.pgpass or a service file"},
        {" password=wrong", "the catalogue server refused the login ("},
        {" password='open sesame'", ""},
    };
    for (const auto& row : rows) {
        const Result<std::unique_ptr<PgConnection>> opened =
            PgConnection::open(guarded.connection() + row.given);
        if (row.said.empty()) {
            EXPECT_TRUE(opened) << opened.reason();
        } else {
            ASSERT_FALSE(opened) << row.given;
            EXPECT_NE(opened.reason().find(row.said), std::string::npos) << opened.reason();
        }
    }
}

// A connection closed is gone from the server: desks that come and go leave no sessions behind.
TEST(PgConnectionTest, AClosedConnectionLeavesTheServer) {
    const auto sessions = [](const PgConnection& db) {
        return db.query("SELECT count(*) FROM pg_stat_activity WHERE backend_type = 'client backend'")
            ->integer(0, 0);
    };
    const auto watching = Connect();
    ASSERT_TRUE(watching);
    const std::int64_t before = sessions(*watching);
    Connect().reset();
    // The server notes a session's end a moment after the client has gone.
    std::int64_t after = sessions(*watching);
    for (int tries = 0; tries < 100 && after != before; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        after = sessions(*watching);
    }
    EXPECT_EQ(after, before);
}

// Substring search on the server goes through trigram indexes, which its package brings.
TEST(PgConnectionTest, TheServerKeepsTrigramIndexes) {
    Server().createDatabase("trigram_test");
    const auto db = Connect("trigram_test");
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->run("CREATE EXTENSION pg_trgm"));
    ASSERT_TRUE(db->run("CREATE TABLE names (name text)"));
    ASSERT_TRUE(db->run("CREATE INDEX names_trigrams ON names USING gin (name gin_trgm_ops)"));
    ASSERT_TRUE(db->copyIn("COPY names FROM STDIN", "Belege_2019\nScan ж.pdf\nIMG_1234.JPG\n"));
    const Result<PgRows> found = db->query("SELECT name FROM names WHERE name ILIKE $1", {"%lege%"});
    ASSERT_TRUE(found) << found.reason();
    ASSERT_EQ(found->size(), 1);
    EXPECT_EQ(found->text(0, 0), "Belege_2019");
}

// Each failure in words first, libpq's or the server's own message after; a connection stays usable after
// a statement the server refused, and a server that went away is said to be so.
TEST(PgConnectionTest, FailuresSayWhatWentWrongInWords) {
    const auto db = Connect();
    ASSERT_TRUE(db);
    EXPECT_TRUE(Says(db->run("SELEC 1"), "the catalogue server refused a request (ERROR:  syntax error"));
    EXPECT_TRUE(Says(db->copyIn("COPY nowhere FROM STDIN", "1\n"), "refused a request"));
    EXPECT_TRUE(Says(db->copyIn("COPY pg_class (relname) FROM STDIN", "a\tb\tc\n"), "refused a request"));
    EXPECT_EQ(db->query("SELECT 41 + 1")->integer(0, 0), 42) << "still usable";

    const Result<std::unique_ptr<PgConnection>> nowhere =
        PgConnection::open("host=/tmp/tessaline-no-such-folder port=5432 user=tessaline dbname=postgres");
    ASSERT_FALSE(nowhere);
    EXPECT_NE(nowhere.reason().find("the catalogue server cannot be reached ("), std::string::npos)
        << nowhere.reason();

    PostgresServer going;
    const Result<std::unique_ptr<PgConnection>> opened = PgConnection::open(going.connection());
    ASSERT_TRUE(opened) << opened.reason();
    going.stop();
    EXPECT_TRUE(Says(opened.value()->run("SELECT 1"), "the connection to the catalogue server was lost"));
    going.start();
    EXPECT_TRUE(PgConnection::open(going.connection()));
}

} // namespace
