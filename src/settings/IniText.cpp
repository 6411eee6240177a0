#include "settings/IniText.h"

#include "settings/IniDocument.h"
#include "settings/TextEncoding.h"

#include <cstddef>

namespace {

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
    line.append(value);
    return line;
}

std::string withoutLineBreaks(std::string_view value) {
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
    const std::string value = withoutLineBreaks(IniAsUtf8(valueText));
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
                out.append(entryLine(parsed.name, value));
                out.append(text.substr(line.contentEnd));
                return out;
            }
        }
    }

    const std::string_view newLine = newLineFor(text);
    const std::string entry = entryLine(key, value);
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
    out += '[';
    out.append(section);
    out += ']';
    out.append(newLine);
    out.append(entry);
    out.append(newLine);
    return out;
}
