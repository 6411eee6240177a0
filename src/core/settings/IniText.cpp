#include "core/settings/IniText.h"

#include "core/settings/IniDocument.h"
#include "core/settings/TextEncoding.h"

#include <cstddef>

namespace {

// CR LF, unless every line ending of the text is a bare LF or every one a bare CR.
std::string_view NewLineFor(std::string_view text) {
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

// The key of a line as the file spells it, in the file's bytes.
std::string_view RawKeyOf(std::string_view rawLine) {
    const std::string_view content = IniTrim(rawLine);
    const std::size_t equals = content.find('=');
    return equals == std::string_view::npos ? content : IniTrimRight(content.substr(0, equals));
}

// How the reader will see a written line.
std::string AsRead(std::string_view line) {
    return IniAsUtf8(line);
}

// Writes lines in the file's encoding. `keep1252` is set for a Windows-1252 file: there a line goes in that
// code page when it reads back as meant, which fails for a character the code page lacks (or for bytes that
// would pass for UTF-8); such a line is written in UTF-8, as the reader takes any line that is valid UTF-8.
class LineWriter {
public:
    explicit LineWriter(bool keep1252) : m_keep1252(keep1252) {}

    // `key=value`; `fileKey` is the key's spelling in the file (its bytes), `key` the same as UTF-8.
    std::string entry(std::string_view fileKey, std::string_view key, std::string_view value) const {
        const std::string meant = std::string(key) + '=' + std::string(value);
        if (m_keep1252) {
            if (const auto encoded = Utf8ToWindows1252(value)) {
                std::string line = std::string(fileKey) + '=' + *encoded;
                if (AsRead(line) == meant) {
                    return line;
                }
            }
        }
        return meant;
    }

    // A key or section name that is not in the file yet, in the file's encoding where possible.
    std::string newName(std::string_view name) const {
        if (m_keep1252) {
            if (auto encoded = Utf8ToWindows1252(name)) {
                return *std::move(encoded);
            }
        }
        return std::string(name);
    }

    std::string header(std::string_view section) const {
        const std::string meant = '[' + std::string(section) + ']';
        const std::string line = '[' + newName(section) + ']';
        return AsRead(line) == meant ? line : meant;
    }

private:
    bool m_keep1252;
};

std::string WithoutLineBreaks(std::string_view value) {
    std::string clean(value);
    for (char& c : clean) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return clean;
}

} // namespace

bool IsWritableSectionName(std::string_view name) {
    return name.find_first_of("\r\n]") == std::string_view::npos;
}

bool IsWritableKeyName(std::string_view name) {
    return name.find_first_of("\r\n=") == std::string_view::npos && !IniTrimLeft(name).starts_with('[');
}

std::optional<std::string> IniReadValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    IniDocument document(text);
    return document.value(section, key);
}

std::string IniWriteValue(std::string_view text, std::string_view sectionName, std::string_view keyName,
                          std::string_view valueText) {
    const std::string section = IniAsUtf8(IniTrim(sectionName));
    const std::string key = IniAsUtf8(IniTrim(keyName));
    const std::string value = WithoutLineBreaks(IniAsUtf8(valueText));
    const LineWriter writer(!IsValidUtf8(text));
    enum class Where { Before, Inside, After } where = Where::Before;
    IniRawLine lastFilled;
    std::string decoded;
    std::size_t pos = IniBodyStart(text);
    while (where != Where::After && pos < text.size()) {
        const IniRawLine line = IniLineAt(text, pos);
        pos = line.end;
        const std::string_view raw = text.substr(line.begin, line.contentEnd - line.begin);
        const IniLineParts parsed = ParseIniLine(IniLineText(raw, decoded));
        if (parsed.kind == IniLineKind::Header) {
            if (where == Where::Inside) {
                where = Where::After;
            } else if (SameIniName(parsed.name, section)) {
                where = Where::Inside;
                lastFilled = line;
            }
        } else if (parsed.kind == IniLineKind::Entry && where == Where::Inside) {
            lastFilled = line;
            if (SameIniName(parsed.name, key)) {
                // Keep the key as the file spells it; the line's ending stays too.
                std::string out;
                out.reserve(text.size() + value.size());
                out.append(text.substr(0, line.begin));
                out.append(writer.entry(RawKeyOf(raw), parsed.name, value));
                out.append(text.substr(line.contentEnd));
                return out;
            }
        }
    }

    const std::string_view newLine = NewLineFor(text);
    const std::string entry = writer.entry(writer.newName(key), key, value);
    std::string out;
    out.reserve(text.size() + section.size() + entry.size() + 8);
    if (where != Where::Before) {
        // A new key after the section's last non-empty line.
        out.append(text.substr(0, lastFilled.end));
        if (lastFilled.end == lastFilled.contentEnd) {
            out.append(newLine);
        }
        out.append(entry);
        out.append(newLine);
        out.append(text.substr(lastFilled.end));
        return out;
    }
    out.append(text);
    if (out.size() > IniBodyStart(text) && out.back() != '\r' && out.back() != '\n') {
        out.append(newLine);
    }
    out.append(writer.header(section));
    out.append(newLine);
    out.append(entry);
    out.append(newLine);
    return out;
}
