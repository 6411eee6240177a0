#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <string_view>

class SqliteDatabase;
class UnpackedEntries;

// The catalogue's blocks, pressed or plain (BlockCodec.h), as a connection reads and writes them.

// A stored block's entries, which must be one for each id from `first` to `last`; a pressed block is
// unpressed with the file's dictionary, read when first needed.
Result<UnpackedEntries> ReadBlock(const SqliteDatabase& db, std::string_view stored, std::int64_t first,
                                  std::int64_t last);

// Takes up the file's dictionary, when it has one, for the blocks this connection writes.
Result<Done> UseBlockDictionary(const SqliteDatabase& db);

// Once the file holds enough entries and has no dictionary yet: trains one on its blocks, keeps it, and
// presses every block with it. Answers whether it did; the caller holds a write transaction, and when that
// fails to commit, makes the connection forget the dictionary (ForgetBlockDictionary).
Result<bool> PressBlocks(const SqliteDatabase& db);

// The connection's dictionary is not the file's after all (the transaction that kept it was undone).
void ForgetBlockDictionary(const SqliteDatabase& db);
