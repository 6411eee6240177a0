#include "core/catalogue/FolderPack.h"

#include "core/catalogue/PackedNumbers.h"

#include <cstdint>
#include <optional>

namespace {

constexpr std::uint64_t Unreadable = 1;
constexpr std::uint64_t HasEntries = 2;

} // namespace

std::string PackFolders(std::span<const PackedFolder> folders) {
    std::string out;
    PutNumber(out, folders.size());
    const PackedFolder none;
    const PackedFolder* before = &none;
    std::int64_t firstBefore = 0;
    for (const PackedFolder& folder : folders) {
        const std::size_t shared = SharedStart(folder.path, before->path);
        PutNumber(out, shared);
        PutNumber(out, folder.path.size() - shared);
        out.append(folder.path, shared);
        const bool hasEntries = folder.firstEntry != 0;
        PutNumber(out, (folder.unreadable ? Unreadable : 0) | (hasEntries ? HasEntries : 0));
        if (hasEntries) {
            PutNumber(out, Signed(Minus(folder.firstEntry, firstBefore)));
            PutNumber(out, static_cast<std::uint64_t>(Minus(folder.lastEntry, folder.firstEntry)));
            firstBefore = folder.firstEntry;
        }
        before = &folder;
    }
    return out;
}

Result<UnpackedFolders> UnpackFolderPack(std::string_view bytes) {
    const Failure damaged{"a pack of the catalogue's folders is damaged"};
    PackedReader in(bytes);
    const std::optional<std::uint64_t> count = in.number();
    if (!count || *count > static_cast<std::uint64_t>(FoldersPerPack) || bytes.size() > UINT32_MAX / 4) {
        return damaged;
    }
    UnpackedFolders unpacked;
    unpacked.m_folders.resize(static_cast<std::size_t>(*count));
    unpacked.m_paths.reserve(bytes.size() * 4);
    UnpackedFolders::Folder before{0, 0, false, 0, 0};
    std::int64_t firstBefore = 0;
    for (UnpackedFolders::Folder& folder : unpacked.m_folders) {
        const std::optional<std::uint64_t> shared = in.number();
        const std::optional<std::uint64_t> rest = in.number();
        if (!shared || !rest || *shared > before.pathLength) {
            return damaged;
        }
        const std::optional<std::string_view> tail = in.bytes(*rest);
        const std::optional<std::uint64_t> flags = in.number();
        if (!tail || !flags || *flags > (Unreadable | HasEntries) ||
            unpacked.m_paths.size() + *shared + tail->size() > UINT32_MAX) {
            return damaged;
        }
        folder.pathAt = static_cast<std::uint32_t>(unpacked.m_paths.size());
        folder.pathLength = static_cast<std::uint32_t>(*shared + tail->size());
        // The shared start is copied from the path before, which the string holds already.
        unpacked.m_paths.append(unpacked.m_paths, before.pathAt, static_cast<std::size_t>(*shared));
        unpacked.m_paths.append(*tail);
        folder.unreadable = (*flags & Unreadable) != 0;
        folder.firstEntry = 0;
        folder.lastEntry = 0;
        if ((*flags & HasEntries) != 0) {
            const std::optional<std::uint64_t> first = in.number();
            const std::optional<std::uint64_t> span = in.number();
            if (!first || !span) {
                return damaged;
            }
            folder.firstEntry = Plus(firstBefore, Unsigned(*first));
            folder.lastEntry = Plus(folder.firstEntry, static_cast<std::int64_t>(*span));
            if (folder.firstEntry == 0 || folder.lastEntry < folder.firstEntry) {
                return damaged;
            }
            firstBefore = folder.firstEntry;
        }
        before = folder;
    }
    if (!in.atEnd()) {
        return damaged;
    }
    return unpacked;
}

Result<std::vector<PackedFolder>> UnpackFolders(std::string_view bytes) {
    Result<UnpackedFolders> unpacked = UnpackFolderPack(bytes);
    if (!unpacked) {
        return unpacked.failure();
    }
    std::vector<PackedFolder> folders;
    folders.reserve(unpacked->size());
    for (std::size_t at = 0; at < unpacked->size(); ++at) {
        const UnpackedFolders::Folder& folder = (*unpacked)[at];
        folders.push_back(
            {std::string(unpacked->path(folder)), folder.unreadable, folder.firstEntry, folder.lastEntry});
    }
    return folders;
}
