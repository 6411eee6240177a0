#include "core/catalogue/PgCatalogueSchema.h"

#include "core/catalogue/PgConnection.h"
#include "core/catalogue/PgTransaction.h"

#include <string_view>

namespace {

// A disk's entries are kept in a list of its own; a walk that goes over a disk again writes a new list,
// which takes the old one's place once it is complete. Entries have no foreign key: a walk sends them by
// the thousand, and the lists they belong to are dropped with them explicitly. Each path is kept with its
// letter case folded as the program folds it, so that the server's trigram index answers every search
// with the program's own meaning of a match.
constexpr std::string_view Tables = R"sql(
CREATE SEQUENCE tessaline.ids;
CREATE TABLE tessaline.facts (key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE tessaline.numbers (one boolean PRIMARY KEY DEFAULT true CHECK (one), last integer NOT NULL);
CREATE TABLE tessaline.free_numbers (number integer PRIMARY KEY);
CREATE TABLE tessaline.disks (
    id bigint PRIMARY KEY DEFAULT nextval('tessaline.ids'), list bigint NOT NULL, number integer NOT NULL,
    volume text NOT NULL, serial bigint NOT NULL, drive_type text NOT NULL, capacity bigint NOT NULL,
    used bigint NOT NULL, free bigint NOT NULL, first_labelled bigint NOT NULL, last_labelled bigint NOT NULL,
    company text NOT NULL, skipped_folders bigint NOT NULL DEFAULT 0, complete boolean NOT NULL DEFAULT false,
    confirmed boolean NOT NULL DEFAULT true, reserved_by text NOT NULL DEFAULT '');
CREATE INDEX disks_identity ON tessaline.disks (serial, capacity);
CREATE TABLE tessaline.lists (
    id bigint PRIMARY KEY, disk bigint NOT NULL REFERENCES tessaline.disks ON DELETE CASCADE,
    entry_count bigint NOT NULL DEFAULT 0);
CREATE INDEX lists_disk ON tessaline.lists (disk);
CREATE TABLE tessaline.entries (
    list bigint NOT NULL, folder text COLLATE "C" NOT NULL, name text COLLATE "C" NOT NULL,
    is_folder boolean NOT NULL, size bigint NOT NULL, modified bigint NOT NULL, folded text NOT NULL);
CREATE INDEX entries_folder ON tessaline.entries (list, folder);
CREATE TABLE tessaline.unreadable (
    list bigint NOT NULL, path text COLLATE "C" NOT NULL, PRIMARY KEY (list, path));
)sql";

// A script's statements one by one: a statement with parameters stands alone.
Result<Done> RunEach(const PgConnection& connection, std::string_view script) {
    for (std::size_t at = 0; at < script.size();) {
        std::size_t end = script.find(";\n", at);
        end = end == std::string_view::npos ? script.size() : end;
        if (script.substr(at, end - at).find_first_not_of(" \n") != std::string_view::npos) {
            if (Result<Done> done = connection.run(script.substr(at, end - at)); !done) {
                return done;
            }
        }
        at = end + 2;
    }
    return Done{};
}

std::string CreateRole(const char* role) {
    return "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '" + std::string(role) +
           "') THEN CREATE ROLE " + role + " NOLOGIN; END IF; END $$";
}

// Searching reads every table; labelling changes them and takes ids and numbers.
std::string Grants() {
    const std::string both = std::string(SearchRole) + ", " + LabelRole;
    return "GRANT USAGE ON SCHEMA tessaline TO " + both +
           ";\nGRANT SELECT ON ALL TABLES IN SCHEMA tessaline TO " + both +
           ";\nGRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA tessaline TO " + LabelRole +
           ";\nGRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA tessaline TO " + LabelRole + ";\n";
}

Result<std::optional<int>> VersionOnServer(const PgConnection& connection) {
    Result<PgRows> tables = connection.query("SELECT to_regclass('tessaline.facts') IS NOT NULL");
    if (!tables) {
        return tables.failure();
    }
    if (tables->text(0, 0) != "t") {
        return std::optional<int>();
    }
    Result<PgRows> version = connection.query("SELECT value FROM tessaline.facts WHERE key = 'version'");
    if (!version) {
        return version.failure();
    }
    return std::optional<int>(version->size() == 1 ? static_cast<int>(version->integer(0, 0)) : 0);
}

Result<Done> CreateTables(const PgConnection& connection, int lastNumber) {
    Result<Done> done = connection.run("CREATE SCHEMA IF NOT EXISTS tessaline");
    if (done) {
        done = connection.run("CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA tessaline");
    }
    if (done) {
        done = RunEach(connection, Tables);
    }
    // The trigram operators are wherever the extension was first made.
    Result<PgRows> where = Then(done, [&] {
        return connection.query("SELECT quote_ident(n.nspname) FROM pg_extension e JOIN pg_namespace n"
                                " ON n.oid = e.extnamespace WHERE e.extname = 'pg_trgm'");
    });
    if (!where) {
        return where.failure();
    }
    done = connection.run("CREATE INDEX entries_folded ON tessaline.entries USING gin (folded " +
                          std::string(where->text(0, 0)) + ".gin_trgm_ops)");
    if (done) {
        done = connection.run("INSERT INTO tessaline.numbers (last) VALUES ($1::integer)",
                              {std::to_string(lastNumber)});
    }
    if (done) {
        done = connection.run("INSERT INTO tessaline.facts (key, value) VALUES ('version', $1)",
                              {std::to_string(PgSchemaVersion)});
    }
    return done;
}

// Names are kept as UTF-8 text (see ServerText): a database in another encoding would refuse or change them.
Result<Done> SpeakUtf8(const PgConnection& connection) {
    Result<PgRows> encoding = connection.query("SELECT current_setting('server_encoding')");
    if (!encoding) {
        return encoding.failure();
    }
    if (encoding->text(0, 0) != "UTF8") {
        return Failure{
            "the catalogue's database on the server is not in UTF-8 but in " +
                std::string(encoding->text(0, 0)) +
                ": an administrator makes it anew with createdb --encoding=UTF8 --template=template0",
            true};
    }
    return connection.run("SET client_encoding TO 'UTF8'");
}

const char* const InitAdvice = "an administrator makes it with: tessaline --catalogue URI --init";

} // namespace

Result<std::string> InitPgCatalogue(const PgConnection& connection, int lastNumber) {
    if (Result<Done> utf8 = SpeakUtf8(connection); !utf8) {
        return utf8.failure();
    }
    Result<PgTransaction> transaction = PgTransaction::begin(connection);
    if (!transaction) {
        return transaction.failure();
    }
    Result<std::optional<int>> version = VersionOnServer(connection);
    if (!version) {
        return version.failure();
    }
    if (*version && **version > PgSchemaVersion) {
        return Failure{"the catalogue on the server was made by a newer version of Tessaline", true};
    }
    std::string what = "The catalogue on the server is up to date";
    if (!*version) {
        if (Result<Done> made = CreateTables(connection, lastNumber); !made) {
            return made.failure();
        }
        what = "The catalogue was made on the server; its disk numbers go on after " +
               std::to_string(lastNumber);
    }
    for (const char* role : {SearchRole, LabelRole}) {
        if (Result<Done> made = connection.run(CreateRole(role)); !made) {
            return made.failure();
        }
    }
    if (Result<Done> granted = RunEach(connection, Grants()); !granted) {
        return granted.failure();
    }
    if (Result<Done> committed = transaction.value().commit(); !committed) {
        return committed.failure();
    }
    return what + ". Grant " + SearchRole + " to the logins that may only search it, and " + LabelRole +
           " to those that label disks.";
}

Result<Done> CheckPgCatalogue(const PgConnection& connection) {
    if (Result<Done> utf8 = SpeakUtf8(connection); !utf8) {
        return utf8;
    }
    Result<std::optional<int>> version = VersionOnServer(connection);
    if (!version) {
        return version.failure();
    }
    if (!*version) {
        return Failure{"the server holds no Tessaline catalogue yet (or this login may not read it): " +
                           std::string(InitAdvice),
                       true};
    }
    if (**version > PgSchemaVersion) {
        return Failure{"the catalogue on the server was made by a newer version of Tessaline", true};
    }
    if (**version < PgSchemaVersion) {
        return Failure{"the catalogue on the server is of an older version: " + std::string(InitAdvice),
                       true};
    }
    return Done{};
}
