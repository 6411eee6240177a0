#include "core/catalogue/NameMatcher.h"

#include "core/catalogue/CaseFolding.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/SqliteDatabase.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CaseFolding> Folding(const SqliteDatabase& db) {
    return CaseFolding::make(FullTextSearch(db).value()).value();
}

UnpackedEntries Block(const std::vector<std::string>& names) {
    std::vector<BlockEntry> entries;
    for (const std::string& name : names) {
        entries.push_back({1, name, false, 1, 1});
    }
    return UnpackEntries(PackEntries(entries)).value();
}

// The names that hold the text when each is folded whole: what the matcher must answer.
std::vector<std::size_t> Holding(CaseFolding& folding, const std::vector<std::string>& names,
                                 const std::string& text) {
    std::vector<std::size_t> holding;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (folding.fold(names[index]).find(text) != std::string::npos) {
            holding.push_back(index);
        }
    }
    return holding;
}

} // namespace

// Names of ASCII and of other letters (some fold to ASCII: the Kelvin sign to k), broken UTF-8, text found
// across two names, empty names: the matcher answers as folding each name would.
TEST(NameMatcher, FindsWhatFoldingEachNameWouldFind) {
    const auto db = SqliteDatabase::open(":memory:", SqliteDatabase::Access::ReadWrite).value();
    const auto folding = Folding(*db);
    const std::vector<std::string> pieces = {
        "a",  "B", "k", "\xe2\x84\xaa" /* Kelvin sign */, "é", "É", "ж", "Ж", "\xff", "\xd0", "ab",
        "BK", ".", "_"};
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> names(1 + random() % 64);
        for (std::string& name : names) {
            for (std::size_t n = random() % 6; n > 0; --n) {
                name += pieces[random() % pieces.size()];
            }
        }
        const UnpackedEntries block = Block(names);
        for (const std::string text : {"a", "ab", "k", "kk", "bk", "é", "жж", "ба", "\xff", "k.", "a_b"}) {
            NameMatcher matcher(*folding, folding->fold(text));
            ASSERT_EQ(matcher.matches(block), Holding(*folding, names, folding->fold(text)))
                << "round " << round << ", " << text;
        }
    }
}
