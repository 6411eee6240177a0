#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <span>
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
std::string PackEntries(std::span<const BlockEntry> entries);

// A block's entries unpacked: their names side by side in one string, so that unpacking makes no string
// of its own for each entry.
class UnpackedEntries {
public:
    struct Entry {
        std::int64_t folder;
        std::uint32_t nameAt;
        std::uint32_t nameLength;
        bool isFolder;
        std::uint64_t size;
        std::int64_t modified;
    };

    std::size_t size() const { return m_entries.size(); }
    const Entry& operator[](std::size_t index) const { return m_entries[index]; }
    std::string_view name(const Entry& entry) const {
        return {m_names.data() + entry.nameAt, entry.nameLength};
    }
    // Every name, one after another in the entries' order.
    std::string_view names() const { return m_names; }

private:
    friend Result<UnpackedEntries> UnpackEntries(std::string_view bytes);
    std::string m_names;
    std::vector<Entry> m_entries;
};

// The entries PackEntries packed, in order; bytes that are not such a block (a damaged file) fail.
Result<UnpackedEntries> UnpackEntries(std::string_view bytes);

// A stored block's entries, which must be one for each id from `first` to `last`.
Result<UnpackedEntries> UnpackBlock(std::string_view bytes, std::int64_t first, std::int64_t last);
