#include "core/settings/IniLine.h"

#include "core/settings/TextEncoding.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::string IniAsUtf8(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

std::size_t IniBodyStart(std::string_view text) {
    return text.starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
}

IniRawLine IniLineAt(std::string_view text, std::size_t pos) {
    IniRawLine line;
    line.begin = pos;
    std::size_t i = pos;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') {
        ++i;
    }
    line.contentEnd = i;
    if (i < text.size()) {
        i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    }
    line.end = i;
    return line;
}

std::string_view IniLineText(std::string_view raw, std::string& decoded) {
    if (IsValidUtf8(raw)) {
        return raw;
    }
    decoded = Windows1252ToUtf8(raw);
    return decoded;
}

IniLineParts ParseIniLine(std::string_view line) {
    const std::string_view content = IniTrim(line);
    IniLineParts parsed;
    if (content.empty()) {
        return parsed;
    }
    if (content.front() == '[') {
        const std::size_t close = content.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = IniLineKind::Header;
            parsed.name = IniTrim(content.substr(1, close - 1));
            return parsed;
        }
    }
    parsed.kind = IniLineKind::Entry;
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        parsed.name = content;
        return parsed;
    }
    parsed.name = IniTrimRight(content.substr(0, equals));
    parsed.hasValue = true;
    parsed.value = IniTrimLeft(content.substr(equals + 1));
    return parsed;
}
