#pragma once

#include "support/PostgresServer.h"
#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include "core/catalogue/PgCatalogueSchema.h"
#include "core/catalogue/PgConnection.h"

#include "core/catalogue/SqliteDatabase.h"

#include <filesystem>
#include <memory>
#include <string>

// The two stores a catalogue may be kept in, for the tests that every store must pass.
enum class Backend { File, Server };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::File ? "File" : "Server";
}

// A catalogue location of its own for a test, opened as the program opens it: a file in a temporary folder,
// or a new database on the tests' PostgreSQL server with the catalogue's tables made as an administrator
// makes them.
struct CatalogueFile {
    explicit CatalogueFile(Backend kept = Backend::File) : backend(kept) {
        if (backend == Backend::Server) {
            static int made = 0;
            const std::string database = "catalogue_" + std::to_string(++made);
            PostgresServer::shared().createDatabase(database);
            path = PostgresServer::shared().connection(database);
            Result<std::unique_ptr<PgConnection>> admin = PgConnection::open(path);
            Result<std::string> init = Then(admin, [&] { return InitPgCatalogue(*admin.value(), 0); });
            EXPECT_TRUE(init) << init.reason();
        }
    }

    Backend backend;
    TempDir dir;
    std::string path = (dir / "tessaline" / "catalogue.sqlite").string();

    std::unique_ptr<CatalogueStore> open() const {
        Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(path, "2026-03-14");
        EXPECT_TRUE(store) << store.reason();
        return store ? std::move(store).value() : nullptr;
    }
};

inline // Every row a query answers, one line each: its first six columns between bars.
    std::string
    Rows(const SqliteDatabase& db, const std::string& sql) {
    Result<SqliteStatement> query = db.prepare(sql);
    EXPECT_TRUE(query) << sql << ": " << query.reason();
    std::string rows;
    if (query) {
        EXPECT_TRUE(query.value().forEachRow([&](const SqliteStatement& row) {
            for (int column = 0; column < 6; ++column) {
                rows += (column == 0 ? "" : "|") + row.text(column);
            }
            rows += "\n";
        }));
    }
    return rows;
}

// A file as the first version wrote it (its tables written out here on purpose: the program no longer
// makes them), with one disk and one entry.
inline const char* const VersionOneFile = R"sql(
PRAGMA journal_mode = WAL;
CREATE TABLE disks (
    id INTEGER PRIMARY KEY, number INTEGER NOT NULL, volume TEXT NOT NULL, serial INTEGER NOT NULL,
    drive_type TEXT NOT NULL, capacity INTEGER NOT NULL, used INTEGER NOT NULL, free INTEGER NOT NULL,
    first_labelled INTEGER NOT NULL, last_labelled INTEGER NOT NULL, company TEXT NOT NULL,
    entry_count INTEGER NOT NULL DEFAULT 0, complete INTEGER NOT NULL DEFAULT 0);
CREATE INDEX disks_identity ON disks (serial, capacity);
CREATE TABLE folders (
    id INTEGER PRIMARY KEY, disk INTEGER NOT NULL REFERENCES disks (id) ON DELETE CASCADE,
    path TEXT NOT NULL, UNIQUE (disk, path));
CREATE TABLE entries (
    id INTEGER PRIMARY KEY, folder INTEGER NOT NULL REFERENCES folders (id) ON DELETE CASCADE,
    name TEXT NOT NULL, is_folder INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL);
CREATE INDEX entries_folder ON entries (folder);
CREATE VIEW entry_text (id, name) AS SELECT id, char(2) || name || char(3) FROM entries;
CREATE VIRTUAL TABLE entry_names USING fts5 (
    name, content = 'entry_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0);
CREATE TRIGGER entries_added AFTER INSERT ON entries BEGIN
    INSERT INTO entry_names (rowid, name) VALUES (new.id, char(2) || new.name || char(3));
END;
CREATE TRIGGER entries_removed AFTER DELETE ON entries BEGIN
    INSERT INTO entry_names (entry_names, rowid, name) VALUES ('delete', old.id, char(2) || old.name || char(3));
END;
CREATE TRIGGER entries_renamed AFTER UPDATE OF id, name ON entries BEGIN
    INSERT INTO entry_names (entry_names, rowid, name) VALUES ('delete', old.id, char(2) || old.name || char(3));
    INSERT INTO entry_names (rowid, name) VALUES (new.id, char(2) || new.name || char(3));
END;
INSERT INTO disks (id, number, volume, serial, drive_type, capacity, used, free, first_labelled, last_labelled,
                   company, entry_count, complete)
    VALUES (1, 41, 'OLD ONE', 77, 'REMOVABLE', 100270080, 100139008, 131072, 100, 100, 'Example Widgets', 1, 1);
INSERT INTO folders (id, disk, path) VALUES (1, 1, '');
INSERT INTO entries (id, folder, name, is_folder, size, modified) VALUES (4294967297, 1, 'kept.txt', 0, 12, 300);
PRAGMA user_version = 1;
)sql";

inline void WriteVersionOneCatalogue(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(
        SqliteDatabase::open(path, SqliteDatabase::Access::ReadWrite).value()->execute(VersionOneFile));
}

// A file as the third version wrote it (its tables written out here on purpose), with two disks:
// #41 OLD ONE, whose folder "Taxes" could not be read, and #42 ДАЧА; the names are indexed.
inline const char* const VersionThreeFile = R"sql(
PRAGMA auto_vacuum = INCREMENTAL;
PRAGMA journal_mode = WAL;
CREATE TABLE disks (
    id INTEGER PRIMARY KEY, number INTEGER NOT NULL, volume TEXT NOT NULL, serial INTEGER NOT NULL,
    drive_type TEXT NOT NULL, capacity INTEGER NOT NULL, used INTEGER NOT NULL, free INTEGER NOT NULL,
    first_labelled INTEGER NOT NULL, last_labelled INTEGER NOT NULL, company TEXT NOT NULL,
    entry_count INTEGER NOT NULL DEFAULT 0, complete INTEGER NOT NULL DEFAULT 0,
    skipped_folders INTEGER NOT NULL DEFAULT 0, replaces INTEGER, entry_range INTEGER NOT NULL DEFAULT 0);
CREATE INDEX disks_identity ON disks (serial, capacity);
CREATE TABLE folders (
    id INTEGER PRIMARY KEY, disk INTEGER NOT NULL REFERENCES disks (id) ON DELETE CASCADE,
    path TEXT NOT NULL, unreadable INTEGER NOT NULL DEFAULT 0, UNIQUE (disk, path));
CREATE TABLE entries (
    id INTEGER PRIMARY KEY, folder INTEGER NOT NULL REFERENCES folders (id) ON DELETE CASCADE,
    name TEXT NOT NULL, is_folder INTEGER NOT NULL, size INTEGER NOT NULL, modified INTEGER NOT NULL);
CREATE INDEX entries_folder ON entries (folder);
CREATE VIEW entry_text (id, name) AS SELECT id, char(2) || name || char(3) FROM entries;
CREATE VIRTUAL TABLE entry_names USING fts5 (
    name, content = 'entry_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0);
CREATE VIEW volume_text (id, volume) AS SELECT id, char(2) || volume || char(3) FROM disks;
CREATE VIRTUAL TABLE volume_names USING fts5 (
    volume, content = 'volume_text', content_rowid = 'id', tokenize = 'trigram', columnsize = 0);
CREATE TRIGGER disks_added AFTER INSERT ON disks BEGIN
    INSERT INTO volume_names (rowid, volume) VALUES (new.id, char(2) || new.volume || char(3));
END;
CREATE TRIGGER disks_removed AFTER DELETE ON disks BEGIN
    INSERT INTO volume_names (volume_names, rowid, volume) VALUES ('delete', old.id, char(2) || old.volume || char(3));
END;
CREATE TRIGGER disks_renamed AFTER UPDATE OF id, volume ON disks BEGIN
    INSERT INTO volume_names (volume_names, rowid, volume) VALUES ('delete', old.id, char(2) || old.volume || char(3));
    INSERT INTO volume_names (rowid, volume) VALUES (new.id, char(2) || new.volume || char(3));
END;
CREATE TABLE facts (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
INSERT INTO disks (id, number, volume, serial, drive_type, capacity, used, free, first_labelled, last_labelled,
                   company, entry_count, complete, skipped_folders, entry_range)
    VALUES (1, 41, 'OLD ONE', 77, 'REMOVABLE', 100270080, 100139008, 131072, 100, 100, 'Example Widgets', 5, 1, 1, 1),
           (2, 42, 'ДАЧА', 78, 'REMOVABLE', 100270080, 100139008, 131072, 200, 200, 'Example Widgets', 1, 1, 0, 2);
INSERT INTO folders (id, disk, path, unreadable) VALUES (1, 1, '', 0), (2, 1, 'Photos 2019', 0), (3, 1, 'Taxes', 1),
                                                        (4, 2, '', 0);
INSERT INTO entries (id, folder, name, is_folder, size, modified) VALUES
    (4294967297, 1, 'Photos 2019', 1, 0, 300), (4294967298, 1, 'Taxes', 1, 0, 300),
    (4294967299, 1, 'kept.txt', 0, 12, 300), (4294967300, 2, 'IMG_1234.JPG', 0, 2000000, 400),
    (4294967301, 2, 'Été à Paris.jpg', 0, 3000000, 500), (8589934593, 4, 'отчёт 2019.pdf', 0, 4000, 600);
INSERT INTO entry_names (entry_names) VALUES ('rebuild');
PRAGMA user_version = 3;
)sql";

inline void WriteVersionThreeCatalogue(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(
        SqliteDatabase::open(path, SqliteDatabase::Access::ReadWrite).value()->execute(VersionThreeFile));
}
