#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CaseFolding;
class UnpackedEntries;

// Which names of a block hold a piece of text, letter case folded as CaseFolding folds it, without folding
// each name: the block's names are lowered in one pass and searched at once, and only a name with letters
// beyond ASCII (which may fold to ASCII) is folded on its own. A block holds tens of names, and a search
// reads most of them for a few matches.
class NameMatcher {
public:
    NameMatcher(CaseFolding& folding, std::string foldedText);

    // The indexes of the block's entries whose names hold the text, in order.
    const std::vector<std::size_t>& matches(const UnpackedEntries& block);

private:
    CaseFolding& m_folding;
    std::string m_text;
    bool m_asciiText = true;
    std::string m_lowered;
    std::string m_folded;
    std::vector<std::size_t> m_matches;
};
