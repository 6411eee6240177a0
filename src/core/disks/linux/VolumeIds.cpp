#include "core/disks/linux/VolumeIds.h"

#include <algorithm>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool AllHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return HexValue(c) >= 0; });
}

std::uint32_t HexNumber(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        value = (value << 4) | static_cast<std::uint32_t>(HexValue(c));
    }
    return value;
}

} // namespace

std::string DecodeHexEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && HexValue(text[i + 2]) >= 0 &&
            HexValue(text[i + 3]) >= 0) {
            out.push_back(static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3])));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::uint32_t SerialFromUuid(std::string_view uuid) {
    if (uuid.size() == 9 && uuid[4] == '-' && AllHex(uuid.substr(0, 4)) && AllHex(uuid.substr(5))) {
        return (HexNumber(uuid.substr(0, 4)) << 16) | HexNumber(uuid.substr(5));
    }
    if (uuid.size() == 16 && AllHex(uuid)) {
        return HexNumber(uuid.substr(8));
    }
    std::string digits;
    for (char c : uuid) {
        if (c == '-') {
            continue;
        }
        if (HexValue(c) < 0 || digits.size() == 8) {
            break;
        }
        digits.push_back(c);
    }
    return HexNumber(digits);
}
