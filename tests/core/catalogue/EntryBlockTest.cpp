#include "core/catalogue/EntryBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t Most = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t Least = std::numeric_limits<std::int64_t>::min();

BlockEntry File(std::int64_t folder, std::string name, std::uint64_t size, std::int64_t modified) {
    return {folder, std::move(name), false, size, modified};
}

BlockEntry Folder(std::int64_t folder, std::string name, std::int64_t modified) {
    return {folder, std::move(name), true, 0, modified};
}

Result<std::vector<BlockEntry>> RoundTrip(const std::vector<BlockEntry>& entries) {
    const Result<UnpackedEntries> unpacked = UnpackEntries(PackEntries(entries));
    if (!unpacked) {
        return unpacked.failure();
    }
    std::vector<BlockEntry> back;
    for (std::size_t i = 0; i < unpacked->size(); ++i) {
        const UnpackedEntries::Entry& entry = (*unpacked)[i];
        back.push_back(
            {entry.folder, std::string(unpacked->name(entry)), entry.isFolder, entry.size, entry.modified});
    }
    return back;
}

} // namespace

TEST(EntryBlock, EntriesComeBackAsTheyWent) {
    const std::vector<std::vector<BlockEntry>> blocks = {
        {},
        {File(1, "", 0, 0)}, // an empty file with no name: nothing taken for a folder
        {Folder(7, "Scans", 1552557600), File(7, "IMG_1234.JPG", 4096, 1552557601),
         File(7, "IMG_1235.JPG", 4097, 1552557500), File(7, "IMG_12.JPG", 1, 1552557500),
         File(8, "IMG_1234.JPG.bak", 0, 0)},
        // Names are bytes: not UTF-8, NULs inside, longer than one byte can count.
        {File(3, std::string("a\0b\xFF", 4), 1, 1), File(3, std::string(300, 'x'), 2, 2),
         File(3, std::string(300, 'x') + "y", 3, 3)},
        // Folders and dates far apart either way, sizes as large as a file can be.
        {File(Most, "a", static_cast<std::uint64_t>(Most), Least), File(0, "b", 0, Most),
         Folder(Least, "c", -1), File(1, "d", 5, Least)},
    };
    for (const std::vector<BlockEntry>& entries : blocks) {
        const Result<std::vector<BlockEntry>> back = RoundTrip(entries);
        ASSERT_TRUE(back) << back.reason();
        EXPECT_EQ(*back, entries) << entries.size();
    }
}

TEST(EntryBlock, ARunOfLikeNamesTakesLittleMoreThanItsDifferences) {
    std::vector<BlockEntry> entries;
    for (int n = 1000; n < 1100; ++n) {
        entries.push_back(File(42, "IMG_" + std::to_string(n) + ".JPG", 3000000 + n, 1552557600 + n));
    }
    // Each: the folder, two lengths, "34.JPG", a size of four bytes, a date one second on.
    EXPECT_LE(PackEntries(entries).size(), 1 + entries.size() * 14);
}

TEST(EntryBlock, DamagedBytesFailInsteadOfReadingBeyondThem) {
    const std::string whole = PackEntries(std::vector<BlockEntry>{
        Folder(7, "Scans", 1552557600), File(7, "IMG_1234.JPG", 4096, 1552557601), File(9, "x", 1, 2)});
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        EXPECT_FALSE(UnpackEntries(whole.substr(0, cut))) << cut;
    }
    EXPECT_FALSE(UnpackEntries(whole + "x"));
    std::string tooMany = whole;
    tooMany[0] = '\x7f';
    EXPECT_FALSE(UnpackEntries(tooMany));
    EXPECT_FALSE(UnpackEntries(std::string(12, '\xff')));
    // A stored block holds one entry for each id of its range, no more and no fewer.
    EXPECT_TRUE(UnpackBlock(whole, 10, 12));
    EXPECT_FALSE(UnpackBlock(whole, 10, 11));
    EXPECT_FALSE(UnpackBlock(whole, 10, 13));
    EXPECT_FALSE(UnpackBlock(whole, 12, 10));
}
