#include "core/settings/IniDocument.h"

#include "core/settings/IniLine.h"

#include <cstring>

namespace {

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

IniDocument::IniDocument(std::string_view text) : m_text(text) {
    // A header is a line whose first non-blank byte is '['. Jumping from '[' to '[' keeps this to a memchr
    // pass even over a large file; everything else waits until its section is asked for.
    const std::size_t start = IniBodyStart(text);
    std::size_t pos = start;
    while (pos < text.size()) {
        const void* hit = std::memchr(text.data() + pos, '[', text.size() - pos);
        if (hit == nullptr) {
            break;
        }
        const auto bracket = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        std::size_t lineBegin = bracket;
        while (lineBegin > start && IsIniSpace(text[lineBegin - 1]) && !IsLineBreak(text[lineBegin - 1])) {
            --lineBegin;
        }
        const IniRawLine line = IniLineAt(text, lineBegin);
        pos = line.end;
        if (lineBegin > start && !IsLineBreak(text[lineBegin - 1])) {
            continue; // a '[' inside a line
        }
        const IniLineParts parsed = ParseIniLine(lineText(line.begin, line.contentEnd));
        if (parsed.kind != IniLineKind::Header) {
            continue;
        }
        if (!m_sections.empty()) {
            m_sections.back().end = line.begin;
        }
        m_sections.push_back({parsed.name, line.end, text.size()});
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

const std::vector<IniDocument::Entry>& IniDocument::entriesOf(std::size_t section) {
    const auto [found, added] = m_entries.try_emplace(section);
    std::vector<Entry>& entries = found->second;
    if (!added) {
        return entries;
    }
    const Section& range = m_sections[section];
    std::size_t pos = range.begin;
    while (pos < range.end) {
        const IniRawLine line = IniLineAt(m_text, pos);
        pos = line.end;
        const IniLineParts parsed = ParseIniLine(lineText(line.begin, line.contentEnd));
        if (parsed.kind == IniLineKind::Entry) {
            entries.push_back({parsed.name, parsed.hasValue, parsed.value});
        }
    }
    return entries;
}

std::optional<std::size_t> IniDocument::sectionNamed(const std::string& name) {
    if (!m_lastName.empty() && name == m_lastName) {
        return m_lastSection;
    }
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        if (SameIniName(m_sections[s].name, name)) {
            m_lastName = name;
            m_lastSection = s;
            return s;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view sectionName, std::string_view keyName) {
    // Only the first section of that name counts, and in it the first entry of that key.
    const std::optional<std::size_t> section = sectionNamed(IniAsUtf8(IniTrim(sectionName)));
    if (!section) {
        return std::nullopt;
    }
    const std::string key = IniAsUtf8(IniTrim(keyName));
    for (const Entry& entry : entriesOf(*section)) {
        if (!SameIniName(entry.key, key)) {
            continue;
        }
        if (!entry.hasValue) {
            return std::nullopt;
        }
        const std::string_view value = Unquote(entry.value);
        return std::string(value.substr(0, value.find('\0')));
    }
    return std::nullopt;
}
