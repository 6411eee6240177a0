#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class SqliteDatabase;
class UnpackedEntries;
struct BlockEntry;
struct PackedFolder;

// The tables of the catalogue file. Each change of them is a new version in PRAGMA user_version, and a file
// of an older version is brought up to the current one step by step.
//
// Version 1: disks, their folders (each path once per disk) and entries, and the index of entry names.
// Version 2: the count of folders a walk could not read, the index of volume names, the day of the last
//            full check of the file; the name index kept in step by the store instead of by triggers.
// Version 3: a disk walked again is written to a new list (a hidden disk row that replaces it) and takes
//            it over once complete; a disk's entries are numbered in the range of its entry_range; folders
//            that could not be read are marked.
// Version 4: the name indexes keep no positions (detail=none), so a word's trigrams find the names that
//            may hold it and the names are checked; entries have no index and no reference by folder: a
//            folder keeps the range of its entries' ids (first_entry, last_entry).
// Version 5: entries are packed, up to EntriesPerBlock of consecutive ids in a row of entry_blocks;
//            `entries` is a table over the blocks (EntryTable.h) that SQL reads as before.
// Version 6: the name index keeps a document a block (its rowid the block's number, no content of its
//            own): it answers the blocks whose names may hold a word, and each name is checked.
// Version 7: each list's folders are kept in packs (folder_packs) under ids of the list's range, and
//            `folders` is a table over them (FolderTable.h) that SQL reads as before.
// Version 8: blocks may be pressed with a dictionary trained on the file's own (block_dictionary; see
//            BlockCodec.h), once the file holds enough entries.
//
// Entries are numbered entry_range × 2^32 + n, so a disk's entries are one range of ids: a search tells an
// entry's disk without a lookup, and an entry needs no disk column. The name index is over each name
// between the marks \x02 and \x03, so that a one-letter name is a trigram of its own ("\x02a\x03") and a
// name's last two letters are the start of a trigram ("ab\x03"): both can be found through the index.

// Creates the current tables in an empty database; the caller holds a write transaction.
Result<Done> CreateCatalogueSchema(const SqliteDatabase& db);

// Brings the tables from `version` up to the current one; the caller holds a write transaction.
Result<Done> UpgradeCatalogueSchema(const SqliteDatabase& db, int version);

// Writes entries of the ids from `first` on as blocks, none of them reaching over the end of a disk's
// range, and (when `indexed`) each block into the name index; the caller holds a write transaction.
// Blocks are pressed when the connection has taken up the file's dictionary (UseBlockDictionary).
Result<Done> AddEntryBlocks(const SqliteDatabase& db, std::int64_t first,
                            const std::vector<BlockEntry>& entries, bool indexed = true);

// Takes the blocks whose first ids lie from `from` to `to` out of the name index (before they are deleted:
// the index needs their names to find them).
Result<Done> UnindexBlocks(const SqliteDatabase& db, std::int64_t from, std::int64_t to);

// Writes the packs of a list's folders (of the range `range`) from the pack that holds folder `from` on;
// the caller holds a write transaction.
Result<Done> WriteFolderPacks(const SqliteDatabase& db, std::int64_t range,
                              std::span<const PackedFolder> folders, std::size_t from = 0);

// How a block is written again: from its first and last ids and stored bytes, the bytes to store instead,
// or none to leave it as it is.
using BlockRewrite = std::function<Result<std::optional<std::string>>(std::int64_t first, std::int64_t last,
                                                                      std::string_view stored)>;

// Writes every block again as `rewrite` says, until one fails; the caller holds a write transaction.
Result<Done> RewriteBlocks(const SqliteDatabase& db, const BlockRewrite& rewrite);

// A block's document in the name index: each name between the marks below.
std::string IndexedNames(std::span<const BlockEntry> entries);
std::string IndexedNames(const UnpackedEntries& entries);

// The ids of one disk's entries: disk id × EntriesPerDisk + 1 and up.
inline constexpr std::int64_t EntriesPerDisk = std::int64_t{1} << 32;

// The marks around every indexed name.
inline constexpr char NameStart = '\x02';
inline constexpr char NameEnd = '\x03';

// The id of folder `n` (from 0) of the list of the range `range`.
inline constexpr std::int64_t FolderId(std::int64_t range, std::size_t n) {
    return range * EntriesPerDisk + 1 + static_cast<std::int64_t>(n);
}
