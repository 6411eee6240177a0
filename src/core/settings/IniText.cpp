#include "core/settings/IniText.h"

#include "core/settings/TextEncoding.h"

#include <cstddef>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsIniSpace(s[i])) {
        ++i;
    }
    return s.substr(i);
}

std::string_view trimRight(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && IsIniSpace(s[n - 1])) {
        --n;
    }
    return s.substr(0, n);
}

std::string_view trim(std::string_view s) {
    return trimRight(trimLeft(s));
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// Names and values from the program are UTF-8; bytes that are not are taken as Windows-1252, like the file.
std::string asUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// One physical line: its content [begin, contentEnd) and its ending (CR LF, CR or LF) up to `end`.
struct RawLine {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

class LineScanner {
public:
    explicit LineScanner(std::string_view text) : m_text(text), m_pos(bodyStart(text)) {}

    // Where the lines begin: behind a UTF-8 byte-order mark, which is no part of the first line.
    static std::size_t bodyStart(std::string_view text) {
        return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    }

    bool next(RawLine& line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        line.begin = m_pos;
        std::size_t i = m_pos;
        while (i < m_text.size() && m_text[i] != '\r' && m_text[i] != '\n') {
            ++i;
        }
        line.contentEnd = i;
        if (i < m_text.size()) {
            i += (m_text[i] == '\r' && i + 1 < m_text.size() && m_text[i + 1] == '\n') ? 2 : 1;
        }
        line.end = i;
        m_pos = i;
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

enum class LineKind { Blank, Header, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name; // section name or key
    bool hasValue = false;
    std::string_view value;
};

// Parses one line's content, decoding it from Windows-1252 when it is not UTF-8. The views point into
// `raw` or into `decoded`.
ParsedLine parseLine(std::string_view raw, bool textIsUtf8, std::string& decoded) {
    std::string_view content = raw;
    if (!textIsUtf8 && !IsValidUtf8(raw)) {
        decoded = Windows1252ToUtf8(raw);
        content = decoded;
    }
    content = trim(content);
    ParsedLine parsed;
    if (content.empty()) {
        return parsed;
    }
    if (content.front() == '[') {
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Header;
            parsed.name = trim(content.substr(1, close - 1));
            return parsed;
        }
    }
    parsed.kind = LineKind::Entry;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        parsed.name = content;
        return parsed;
    }
    parsed.name = trimRight(content.substr(0, equals));
    parsed.hasValue = true;
    parsed.value = trimLeft(content.substr(equals + 1));
    return parsed;
}

// CR LF, unless every line ending of the text is a bare LF or every one a bare CR.
std::string_view newLineFor(std::string_view text) {
    bool crlf = false;
    bool cr = false;
    bool lf = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                crlf = true;
                ++i;
            } else {
                cr = true;
            }
        } else if (text[i] == '\n') {
            lf = true;
        }
    }
    if (lf && !cr && !crlf) {
        return "\n";
    }
    if (cr && !lf && !crlf) {
        return "\r";
    }
    return "\r\n";
}

std::string entryLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key);
    line += '=';
    for (const char c : value) {
        line += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return line;
}

} // namespace

bool IsIniSpace(char c) {
    return (c >= '\t' && c <= '\r') || c == '\x1A' || c == ' ';
}

bool IsWritableSectionName(std::string_view name) {
    return name.find_first_of("\r\n]") == std::string_view::npos;
}

bool IsWritableKeyName(std::string_view name) {
    return name.find_first_of("\r\n=") == std::string_view::npos && !trimLeft(name).starts_with('[');
}

std::optional<std::string> IniReadValue(std::string_view text, std::string_view sectionName,
                                        std::string_view keyName) {
    const std::string sectionText = asUtf8(trim(sectionName));
    const std::string keyText = asUtf8(trim(keyName));
    const std::string_view section = sectionText;
    const std::string_view key = keyText;
    const bool textIsUtf8 = IsValidUtf8(text);
    bool inSection = false;
    std::string decoded;
    LineScanner scanner(text);
    RawLine line;
    while (scanner.next(line)) {
        const ParsedLine parsed =
            parseLine(text.substr(line.begin, line.contentEnd - line.begin), textIsUtf8, decoded);
        if (parsed.kind == LineKind::Header) {
            if (inSection) {
                return std::nullopt; // only the first section of that name counts
            }
            inSection = sameName(parsed.name, section);
        } else if (parsed.kind == LineKind::Entry && inSection && sameName(parsed.name, key)) {
            if (!parsed.hasValue) {
                return std::nullopt;
            }
            return std::string(unquote(parsed.value));
        }
    }
    return std::nullopt;
}

std::string IniWriteValue(std::string_view text, std::string_view sectionName, std::string_view keyName,
                          std::string_view valueText) {
    const std::string sectionText = asUtf8(trim(sectionName));
    const std::string keyText = asUtf8(trim(keyName));
    const std::string valueUtf8 = asUtf8(valueText);
    const std::string_view section = sectionText;
    const std::string_view key = keyText;
    const std::string_view value = valueUtf8;
    const bool textIsUtf8 = IsValidUtf8(text);
    enum class Where { Before, Inside, After } where = Where::Before;
    RawLine lastFilled;
    std::string decoded;
    LineScanner scanner(text);
    RawLine line;
    while (where != Where::After && scanner.next(line)) {
        const ParsedLine parsed =
            parseLine(text.substr(line.begin, line.contentEnd - line.begin), textIsUtf8, decoded);
        if (parsed.kind == LineKind::Header) {
            if (where == Where::Inside) {
                where = Where::After;
            } else if (sameName(parsed.name, section)) {
                where = Where::Inside;
                lastFilled = line;
            }
        } else if (parsed.kind == LineKind::Entry && where == Where::Inside) {
            lastFilled = line;
            if (sameName(parsed.name, key)) {
                // Keep the key as the file spells it; the line's ending stays too.
                std::string out;
                out.reserve(text.size() + value.size());
                out.append(text.substr(0, line.begin));
                out.append(entryLine(parsed.name, value));
                out.append(text.substr(line.contentEnd));
                return out;
            }
        }
    }

    const std::string_view newLine = newLineFor(text);
    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (where != Where::Before) {
        // A new key after the section's last non-empty line.
        out.append(text.substr(0, lastFilled.end));
        if (lastFilled.end == lastFilled.contentEnd) {
            out.append(newLine);
        }
        out.append(entryLine(key, value));
        out.append(newLine);
        out.append(text.substr(lastFilled.end));
        return out;
    }
    out.append(text);
    if (out.size() > LineScanner::bodyStart(text) && out.back() != '\r' && out.back() != '\n') {
        out.append(newLine);
    }
    out += '[';
    out.append(section);
    out += ']';
    out.append(newLine);
    out.append(entryLine(key, value));
    out.append(newLine);
    return out;
}
