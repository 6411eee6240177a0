#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One entry as a block keeps it: its folder by id, not by path.
struct BlockEntry {
    std::int64_t folder = 0;
    std::string name;
    bool isFolder = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const BlockEntry&) const = default;
};

// The entries of consecutive ids packed into bytes. A walk writes a folder's entries together, so each
// entry is kept against the one before it: its folder and date as differences, its name as the length of
// the start it shares with the name before and the rest. The bytes hold their own count.
std::string PackEntries(const std::vector<BlockEntry>& entries);

// The entries PackEntries packed, in order; bytes that are not such a block (a damaged file) fail.
Result<std::vector<BlockEntry>> UnpackEntries(std::string_view bytes);
