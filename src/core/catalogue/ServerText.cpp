#include "core/catalogue/ServerText.h"

namespace {

constexpr char32_t KeptBytes = 0x10FF00; // a byte b is kept as KeptBytes + b

// The length of the UTF-8 letter at the start of `text`, and the letter; 0 when it is none (a stray or
// overlong byte, a surrogate, a letter cut short).
std::size_t LetterAt(std::string_view text, char32_t& letter) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        letter = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        letter = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        letter = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return 0;
        }
        letter = (letter << 6) | (byte(at) & 0x3F);
    }
    if (letter < least || letter > 0x10FFFF || (letter >= 0xD800 && letter <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void Keep(unsigned char byte, std::string& into) {
    const char32_t letter = KeptBytes + byte;
    into += static_cast<char>(0xF4);
    into += static_cast<char>(0x80 | ((letter >> 12) & 0x3F));
    into += static_cast<char>(0x80 | ((letter >> 6) & 0x3F));
    into += static_cast<char>(0x80 | (letter & 0x3F));
}

} // namespace

std::string ToServerText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    AppendServerText(text, bytes);
    return text;
}

void AppendServerText(std::string& text, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            text += bytes[at++];
            continue;
        }
        char32_t letter = 0;
        const std::size_t length = LetterAt(bytes.substr(at), letter);
        if (length == 0) {
            Keep(byte, text); // and the next byte is looked at afresh: it may begin a letter
            ++at;
        } else if (letter >= KeptBytes + 0x80) {
            for (std::size_t n = 0; n < length; ++n) {
                Keep(static_cast<unsigned char>(bytes[at + n]), text);
            }
            at += length;
        } else {
            text.append(bytes.substr(at, length));
            at += length;
        }
    }
}

std::string FromServerText(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t letter = 0;
        if (static_cast<unsigned char>(text[at]) == 0xF4 && LetterAt(text.substr(at), letter) == 4 &&
            letter >= KeptBytes + 0x80) {
            bytes += static_cast<char>(letter - KeptBytes);
            at += 4;
        } else {
            bytes += text[at++];
        }
    }
    return bytes;
}
