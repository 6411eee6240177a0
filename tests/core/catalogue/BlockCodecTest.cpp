#include "core/catalogue/BlockCodec.h"

#include "core/catalogue/EntryBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Blocks of names as a shelf of disks holds them: a few words, dates and extensions over and over.
std::vector<std::string> Blocks(int count) {
    const char* const words[] = {"scan", "invoice", "photo", "Rechnung", "letter", "backup", "IMG", "report"};
    const char* const extensions[] = {".pdf", ".jpg", ".docx", ".tif", ".txt"};
    std::vector<std::string> blocks;
    for (int b = 0; b < count; ++b) {
        std::vector<BlockEntry> entries;
        for (int n = 0; n < 64; ++n) {
            const int k = b * 64 + n;
            entries.push_back({b,
                               std::string(words[(k * 7) % 8]) + " 20" + std::to_string(10 + k % 13) + "-0" +
                                   std::to_string(1 + k % 9) + " " + std::to_string(k % 1000) +
                                   extensions[(k / 3) % 5],
                               false, static_cast<std::uint64_t>(1000 + k * 37), 1500000000 + k * 61});
        }
        blocks.push_back(PackEntries(entries));
    }
    return blocks;
}

} // namespace

TEST(BlockCodec, BlocksComePressedAndBackAsTheyWent) {
    BlockCodec codec;
    const std::vector<std::string> blocks = Blocks(400);
    EXPECT_EQ(codec.press(blocks[0]).value(), blocks[0]) << "no dictionary: as they are";
    EXPECT_EQ(codec.unpress(blocks[0]).value(), blocks[0]);
    ASSERT_TRUE(codec.useDictionary(BlockCodec::Train(blocks).value()));
    std::size_t plain = 0;
    std::size_t pressed = 0;
    for (const std::string& block : blocks) {
        const std::string stored = codec.press(block).value();
        ASSERT_TRUE(BlockCodec::Pressed(stored));
        EXPECT_EQ(codec.unpress(stored).value(), block);
        EXPECT_EQ(codec.unpress(block).value(), block) << "a plain block written before stays readable";
        plain += block.size();
        pressed += stored.size();
    }
    EXPECT_LT(pressed, plain);
}

TEST(BlockCodec, DamagedOrUnreadableBlocksFailInsteadOfReadingBeyondThem) {
    const std::vector<std::string> blocks = Blocks(400);
    const std::string dictionary = BlockCodec::Train(blocks).value();
    BlockCodec codec;
    ASSERT_TRUE(codec.useDictionary(dictionary));
    const std::string whole = codec.press(blocks[7]).value();
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        EXPECT_FALSE(codec.unpress(whole.substr(0, cut))) << cut;
    }
    std::string longer = whole;
    longer[1] = '\x7f'; // more packed bytes than the pressed ones hold
    EXPECT_FALSE(codec.unpress(longer));
    EXPECT_FALSE(codec.unpress(std::string(1, BlockCodec::PressedMark) + "\xff\xff\xff\xff\x0f"))
        << "larger than any block";
    BlockCodec without;
    EXPECT_FALSE(without.unpress(whole)) << "pressed, and no dictionary to read it with";
    EXPECT_FALSE(without.useDictionary(""));
    EXPECT_FALSE(without.hasDictionary());
    EXPECT_FALSE(BlockCodec::Train({blocks.begin(), blocks.begin() + 2})) << "too few to train on";
}
