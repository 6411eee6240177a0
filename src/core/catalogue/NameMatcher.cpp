#include "core/catalogue/NameMatcher.h"

#include "core/catalogue/CaseFolding.h"
#include "core/catalogue/EntryBlock.h"

#include <algorithm>
#include <string_view>

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

NameMatcher::NameMatcher(CaseFolding& folding, std::string foldedText)
    : m_folding(folding), m_text(std::move(foldedText)), m_asciiText(IsAscii(m_text)) {}

const std::vector<std::size_t>& NameMatcher::matches(const UnpackedEntries& block) {
    m_matches.clear();
    const std::string_view names = block.names();
    const bool asciiNames = IsAscii(names);
    if (m_text.empty()) {
        for (std::size_t index = 0; index < block.size(); ++index) {
            m_matches.push_back(index);
        }
        return m_matches;
    }
    if (asciiNames && !m_asciiText) {
        return m_matches; // ASCII holds no other letters, folded or not
    }
    // ASCII text is found in the names with only their ASCII letters lowered: a name holds it so exactly
    // when it holds it folded, unless a letter beyond ASCII folds to ASCII.
    if (m_asciiText) {
        m_lowered.resize(names.size());
        std::transform(names.begin(), names.end(), m_lowered.begin(), AsciiLower);
        const std::string_view lowered = m_lowered;
        std::size_t next = 0; // the first entry that may still hold what is found
        for (std::size_t at = lowered.find(m_text); at != std::string_view::npos;) {
            while (next < block.size() && block[next].nameAt + block[next].nameLength < at + m_text.size()) {
                ++next; // ends before what was found does
            }
            if (next == block.size()) {
                break;
            }
            const UnpackedEntries::Entry& entry = block[next];
            if (entry.nameAt <= at) {
                m_matches.push_back(next);
                at = lowered.find(m_text, entry.nameAt + entry.nameLength);
                ++next;
            } else {
                at = lowered.find(m_text, entry.nameAt); // found across two names
            }
        }
        if (asciiNames) {
            return m_matches;
        }
    }
    // The names beyond ASCII, folded one by one.
    const std::size_t found = m_matches.size();
    for (std::size_t index = 0, passed = 0; index < block.size(); ++index) {
        if (passed < found && m_matches[passed] == index) {
            ++passed;
            continue;
        }
        const std::string_view name = block.name(block[index]);
        if (IsAscii(name)) {
            continue;
        }
        m_folding.foldInto(name, m_folded);
        if (m_folded.find(m_text) != std::string::npos) {
            m_matches.push_back(index);
        }
    }
    std::inplace_merge(m_matches.begin(), m_matches.begin() + static_cast<std::ptrdiff_t>(found),
                       m_matches.end());
    return m_matches;
}
