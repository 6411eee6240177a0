#pragma once

#include "core/runtime/Result.h"

struct sqlite3;

// The catalogue keeps each list's folders in packs (folder_packs: the first folder's id, the packed
// bytes; see FolderPack.h); `folders` is a table over them for SQL to read as a plain table's rows: id,
// disk, path, unreadable, first_entry, last_entry. It finds a folder by id, and a disk's folders by path
// (equal to, or within bounds) from a copy of them sorted by path; it cannot be written: the store writes
// the packs. A disk's folders are those of its entry range.
// Every connection to a catalogue makes the module known before it reads `folders`.
Result<Done> AddFolderTableModule(sqlite3* db);
