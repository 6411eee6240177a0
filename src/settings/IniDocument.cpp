#include "settings/IniDocument.h"

#include "settings/IniLine.h"

#include <cstring>

namespace {

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::size_t IniDocument::FoldedHash::operator()(std::string_view name) const {
    std::size_t hash = 14695981039346656037ULL;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(IniLower(c))) * 1099511628211ULL;
    }
    return hash;
}

bool IniDocument::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    return SameIniName(a, b);
}

IniDocument::IniDocument(std::string_view text) : m_text(text) {
    // A header is a line whose first non-blank byte is '['. Jumping from '[' to '[' keeps this to a memchr
    // pass even over a large file; everything else waits until its section is asked for.
    const std::size_t start = IniBodyStart(text);
    std::size_t pos = start;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t open = kNone; // the section whose end is not known yet
    while (pos < text.size()) {
        const void* hit = std::memchr(text.data() + pos, '[', text.size() - pos);
        if (hit == nullptr) {
            break;
        }
        const auto bracket = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        std::size_t lineBegin = bracket;
        while (lineBegin > start && IsIniSpace(text[lineBegin - 1]) && !isLineBreak(text[lineBegin - 1])) {
            --lineBegin;
        }
        const IniRawLine line = IniLineAt(text, lineBegin);
        pos = line.end;
        if (lineBegin > start && !isLineBreak(text[lineBegin - 1])) {
            continue; // a '[' inside a line
        }
        const IniLineParts parsed = ParseIniLine(lineText(line.begin, line.contentEnd));
        if (parsed.kind != IniLineKind::Header) {
            continue;
        }
        if (open != kNone) {
            m_sections[open].end = line.begin;
            open = kNone;
        }
        if (m_sectionByName.try_emplace(parsed.name, m_sections.size()).second) {
            open = m_sections.size();
            m_sections.push_back({line.end, text.size()});
        }
    }
}

std::string_view IniDocument::lineText(std::size_t begin, std::size_t end) {
    const std::string_view raw = m_text.substr(begin, end - begin);
    std::string decoded;
    const std::string_view text = IniLineText(raw, decoded);
    if (text.data() == raw.data()) {
        return raw;
    }
    m_decoded.push_back(std::move(decoded));
    return m_decoded.back();
}

const IniDocument::NameMap<IniDocument::Entry>& IniDocument::keysOf(std::size_t section) {
    const auto [found, added] = m_keys.try_emplace(section);
    NameMap<Entry>& keys = found->second;
    if (!added) {
        return keys;
    }
    const Section& range = m_sections[section];
    std::size_t pos = range.begin;
    while (pos < range.end) {
        const IniRawLine line = IniLineAt(m_text, pos);
        pos = line.end;
        const IniLineParts parsed = ParseIniLine(lineText(line.begin, line.contentEnd));
        if (parsed.kind == IniLineKind::Entry) {
            keys.try_emplace(parsed.name, Entry{parsed.hasValue, parsed.value}); // the first one counts
        }
    }
    return keys;
}

std::optional<std::string> IniDocument::value(std::string_view sectionName, std::string_view keyName) {
    const std::string section = IniAsUtf8(IniTrim(sectionName));
    const auto found = m_sectionByName.find(section);
    if (found == m_sectionByName.end()) {
        return std::nullopt;
    }
    const NameMap<Entry>& keys = keysOf(found->second);
    const auto entry = keys.find(IniAsUtf8(IniTrim(keyName)));
    if (entry == keys.end() || !entry->second.hasValue) {
        return std::nullopt;
    }
    const std::string_view value = unquote(entry->second.value);
    return std::string(value.substr(0, value.find('\0')));
}
