#include "core/app/TerminalText.h"

#include "core/settings/TextEncoding.h"

#include <algorithm>
#include <cstddef>

namespace {

// The length of the well-formed UTF-8 character at `at`; 0 when the byte there begins none.
std::size_t CharacterLength(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    return length != 0 && IsValidUtf8(bytes.substr(at, length)) ? length : 0;
}

// Bytes below 0x20, 0x7F, and the C1 controls U+0080 to U+009F, which some terminals act on.
bool IsControl(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    return lead < 0x20 || lead == 0x7F ||
           (lead == 0xC2 && character.size() == 2 && static_cast<unsigned char>(character[1]) < 0xA0);
}

} // namespace

std::string TerminalText(std::string_view bytes) {
    std::string text;
    AppendTerminalText(text, bytes);
    return text;
}

void AppendTerminalText(std::string& text, std::string_view bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    text.reserve(text.size() + bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        // Printable ASCII, most of most names, goes as it is in one piece.
        const std::size_t plain = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(),
                                               [](char c) {
                                                   const auto byte = static_cast<unsigned char>(c);
                                                   return byte < 0x20 || byte >= 0x7F || c == '\\';
                                               }) -
                                  bytes.begin();
        text.append(bytes, at, plain - at);
        at = plain;
        if (at == bytes.size()) {
            break;
        }
        const std::size_t length = CharacterLength(bytes, at);
        const std::string_view character = bytes.substr(at, std::max<std::size_t>(length, 1));
        switch (character[0]) {
        case '\\':
            text += "\\\\";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            if (length == 0 || IsControl(character)) {
                for (const char c : character) {
                    const auto byte = static_cast<unsigned char>(c);
                    text += {'\\', 'x', Digits[byte >> 4], Digits[byte & 0xF]};
                }
            } else {
                text += character;
            }
        }
        at += character.size();
    }
}
