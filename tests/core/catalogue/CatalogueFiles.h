#pragma once

#include "support/SampleCatalogue.h"
#include "support/TempDir.h"

#include "core/catalogue/SqliteDatabase.h"

#include <filesystem>
#include <memory>
#include <string>

// A catalogue file in a temporary folder, opened as the program opens it.
struct CatalogueFile {
    TempDir dir;
    std::string path = (dir / "tessaline" / "catalogue.sqlite").string();

    std::unique_ptr<CatalogueStore> open() const {
        Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(path, "2026-03-14");
        EXPECT_TRUE(store) << store.reason();
        return store ? std::move(store).value() : nullptr;
    }
};

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
