#include "core/catalogue/EntryBlock.h"

#include "core/catalogue/PackedNumbers.h"

#include <optional>

std::string PackEntries(std::span<const BlockEntry> entries) {
    std::string out;
    PutNumber(out, entries.size());
    const BlockEntry none;
    const BlockEntry* before = &none;
    for (const BlockEntry& entry : entries) {
        const std::size_t shared = SharedStart(entry.name, before->name);
        PutNumber(out, Signed(Minus(entry.folder, before->folder)));
        PutNumber(out, shared);
        PutNumber(out, entry.name.size() - shared);
        out.append(entry.name, shared);
        // A folder has no size of its own: the flag and the size share one number.
        PutNumber(out, entry.isFolder ? 0 : entry.size + 1);
        PutNumber(out, Signed(Minus(entry.modified, before->modified)));
        before = &entry;
    }
    return out;
}

Result<UnpackedEntries> UnpackEntries(std::string_view bytes) {
    const Failure damaged{"a block of the catalogue's entries is damaged"};
    PackedReader in(bytes);
    const std::optional<std::uint64_t> count = in.number();
    // Every entry takes five bytes at least: no count can be larger than the bytes allow, and no name
    // longer than a block's bytes can make.
    if (!count || *count > bytes.size() / 5 || bytes.size() > UINT32_MAX / 4) {
        return damaged;
    }
    UnpackedEntries unpacked;
    unpacked.m_entries.resize(static_cast<std::size_t>(*count));
    unpacked.m_names.reserve(bytes.size() * 2);
    UnpackedEntries::Entry before{0, 0, 0, false, 0, 0};
    for (UnpackedEntries::Entry& entry : unpacked.m_entries) {
        const std::optional<std::uint64_t> folder = in.number();
        const std::optional<std::uint64_t> shared = in.number();
        const std::optional<std::uint64_t> rest = in.number();
        if (!folder || !shared || !rest || *shared > before.nameLength) {
            return damaged;
        }
        const std::optional<std::string_view> tail = in.bytes(*rest);
        const std::optional<std::uint64_t> size = in.number();
        const std::optional<std::uint64_t> modified = in.number();
        if (!tail || !size || !modified || unpacked.m_names.size() + *shared + tail->size() > UINT32_MAX) {
            return damaged;
        }
        entry.folder = Plus(before.folder, Unsigned(*folder));
        entry.nameAt = static_cast<std::uint32_t>(unpacked.m_names.size());
        entry.nameLength = static_cast<std::uint32_t>(*shared + tail->size());
        // The shared start is copied from the name before, which the string holds already.
        unpacked.m_names.append(unpacked.m_names, before.nameAt, static_cast<std::size_t>(*shared));
        unpacked.m_names.append(*tail);
        entry.isFolder = *size == 0;
        entry.size = entry.isFolder ? 0 : *size - 1;
        entry.modified = Plus(before.modified, Unsigned(*modified));
        before = entry;
    }
    if (!in.atEnd()) {
        return damaged;
    }
    return unpacked;
}

Result<UnpackedEntries> UnpackBlock(std::string_view bytes, std::int64_t first, std::int64_t last) {
    Result<UnpackedEntries> entries = UnpackEntries(bytes);
    if (entries && (last < first || static_cast<std::uint64_t>(last - first) + 1 != entries->size())) {
        return Failure{"a block of the catalogue's entries is damaged"};
    }
    return entries;
}
