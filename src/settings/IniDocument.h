#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// INI text parsed for many reads. The section headers are found when the document is made, a section's
// keys the first time that section is asked for; after that a read is a lookup. The answers are those of
// the Windows service's reading rules (see IniReadValue). The document views `text`, which must outlive it.
class IniDocument {
public:
    explicit IniDocument(std::string_view text);
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    // The value of `key` in the first section called `section`, as UTF-8, one pair of matching quotes
    // removed, ending at its first NUL byte. Nothing when the section or key is missing or the key's line
    // has no '='.
    std::optional<std::string> value(std::string_view section, std::string_view key);

private:
    // Hashing and comparing names with ASCII case ignored.
    struct FoldedHash {
        std::size_t operator()(std::string_view name) const;
    };
    struct FoldedEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };
    template <typename T> using NameMap = std::unordered_map<std::string_view, T, FoldedHash, FoldedEqual>;

    struct Entry {
        bool hasValue = false;
        std::string_view value;
    };
    // A section's lines: from behind its header up to the next header.
    struct Section {
        std::size_t begin = 0;
        std::size_t end = 0;
    };

    std::string_view lineText(std::size_t begin, std::size_t end);
    const NameMap<Entry>& keysOf(std::size_t section);

    std::string_view m_text;
    std::deque<std::string> m_decoded; // lines read as Windows-1252; names and values may point into them
    std::vector<Section> m_sections;   // the first section of each name
    NameMap<std::size_t> m_sectionByName;
    std::unordered_map<std::size_t, NameMap<Entry>> m_keys; // the sections asked for so far
};
