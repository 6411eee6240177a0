#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// INI text parsed for many reads. The section headers are found when the document is made, a section's
// keys the first time that section is asked for; after that a read only searches what was split. The answers
// are those of the Windows service's reading rules (see IniReadValue). The document views `text`, which
// must outlive it.
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
    // A section's name and its lines: from behind its header up to the next header.
    struct Section {
        std::string_view name;
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    struct Entry {
        std::string_view key;
        bool hasValue = false;
        std::string_view value;
    };

    std::string_view lineText(std::size_t begin, std::size_t end);
    std::optional<std::size_t> sectionNamed(const std::string& name);
    const std::vector<Entry>& entriesOf(std::size_t section);

    std::string_view m_text;
    // Lines read as Windows-1252; names and values may point into them.
    std::deque<std::string> m_decoded;
    // Every section in file order, so that the first of a name is the first found. Plain lists rather than
    // hash maps: they cost one allocation, not one per name, and a search compares lengths first.
    std::vector<Section> m_sections;
    std::unordered_map<std::size_t, std::vector<Entry>> m_entries; // the sections asked for so far
    // The section found last: a caller reads several keys of one section in a row.
    std::string m_lastName;
    std::size_t m_lastSection = 0;
};
