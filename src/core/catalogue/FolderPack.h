#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One folder of a disk's list as the list's folders keep it. Its id is not kept: a list's folders are
// numbered from its range on in the order they were met, and a pack holds FoldersPerPack of them in a row.
struct PackedFolder {
    std::string path;
    bool unreadable = false;
    // The ids its entries span; none (0) for a folder without entries.
    std::int64_t firstEntry = 0;
    std::int64_t lastEntry = 0;

    bool operator==(const PackedFolder&) const = default;
};

// How many folders a pack holds, and how ids find theirs: folder n (from 0) of a list of the range r has
// the id r × EntriesPerDisk + 1 + n, and lies in the pack whose first id is that of folder
// n - n % FoldersPerPack.
inline constexpr std::int64_t FoldersPerPack = 256;

// A pack's folders packed into bytes, each against the one before it: its path as the length of the start
// it shares with the path before and the rest, the first id of its entries as a difference.
std::string PackFolders(std::span<const PackedFolder> folders);

// A pack's folders unpacked for reading: their paths side by side in one string, so that unpacking makes
// no string of its own for each folder.
class UnpackedFolders {
public:
    struct Folder {
        std::uint32_t pathAt;
        std::uint32_t pathLength;
        bool unreadable;
        std::int64_t firstEntry; // 0: no entries
        std::int64_t lastEntry;
    };

    std::size_t size() const { return m_folders.size(); }
    const Folder& operator[](std::size_t index) const { return m_folders[index]; }
    std::string_view path(const Folder& folder) const {
        return {m_paths.data() + folder.pathAt, folder.pathLength};
    }

private:
    friend Result<UnpackedFolders> UnpackFolderPack(std::string_view bytes);
    std::string m_paths;
    std::vector<Folder> m_folders;
};

// The folders PackFolders packed, in order; bytes that are not such a pack (a damaged file) fail.
Result<UnpackedFolders> UnpackFolderPack(std::string_view bytes);
Result<std::vector<PackedFolder>> UnpackFolders(std::string_view bytes);
