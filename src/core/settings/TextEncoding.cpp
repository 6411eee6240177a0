#include "core/settings/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Code points of 0x80..0x9F in Windows-1252; the rest of the upper half equals Latin-1.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The code point that starts at `i` of well-formed UTF-8 text; `i` moves past it.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t cp = lead & (0x3F >> extra);
    for (std::size_t k = 0; k < extra; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    return cp;
}

char16_t UnitAt(std::string_view bytes, std::size_t i, ByteOrder order) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return order == ByteOrder::LittleEndian ? static_cast<char16_t>(first | (second << 8))
                                            : static_cast<char16_t>((first << 8) | second);
}

void AppendUnit(std::string& out, char16_t unit, ByteOrder order) {
    const auto low = static_cast<char>(unit & 0xFF);
    const auto high = static_cast<char>(unit >> 8);
    if (order == ByteOrder::LittleEndian) {
        out += low;
        out += high;
    } else {
        out += high;
        out += low;
    }
}

constexpr char32_t Replacement = 0xFFFD;

// The bytes at `i` that make one character, or, where they make none, the longest start of one that
// they do make (at least one byte): each such piece stands for one replacement mark, as Unicode advises.
struct Utf8Step {
    std::size_t length = 1;
    bool wellFormed = true;
};

Utf8Step StepAt(const unsigned char* p, std::size_t n, std::size_t i) {
    const unsigned char c = p[i];
    if (c < 0x80) {
        return {};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) {
            low = 0xA0; // overlong
        } else if (c == 0xED) {
            high = 0x9F; // surrogates
        }
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) {
            low = 0x90; // overlong
        } else if (c == 0xF4) {
            high = 0x8F; // above U+10FFFF
        }
    } else {
        return {1, false};
    }
    if (n - i < 2 || p[i + 1] < low || p[i + 1] > high) {
        return {1, false};
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (i + k >= n || !IsContinuation(p[i + k])) {
            return {k, false};
        }
    }
    return {length, true};
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        // Profiles are mostly ASCII: step over eight such bytes at a time.
        if (n - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const Utf8Step step = StepAt(p, n, i);
        if (!step.wellFormed) {
            return false;
        }
        i += step.length;
    }
    return true;
}

std::string Utf8WithReplacements(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string out;
    out.reserve(bytes.size() + 8);
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Step step = StepAt(p, bytes.size(), i);
        if (step.wellFormed) {
            out.append(bytes.substr(i, step.length));
        } else {
            AppendUtf8(out, Replacement);
        }
        i += step.length;
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else if (c < 0xA0) {
            AppendUtf8(out, HighControls[c - 0x80]);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view text) {
    if (!IsValidUtf8(text)) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto* found = std::find(HighControls.begin(), HighControls.end(), cp);
        if (found == HighControls.end()) {
            return std::nullopt;
        }
        out += static_cast<char>(0x80 + (found - HighControls.begin()));
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order, bool* exact) {
    bool whole = bytes.size() % 2 == 0;
    std::string out;
    out.reserve(bytes.size());
    const std::size_t units = bytes.size() / 2;
    for (std::size_t n = 0; n < units; ++n) {
        const char16_t unit = UnitAt(bytes, 2 * n, order);
        if (unit < 0xD800 || unit > 0xDFFF) {
            AppendUtf8(out, unit);
            continue;
        }
        if (unit <= 0xDBFF && n + 1 < units) {
            const char16_t next = UnitAt(bytes, 2 * (n + 1), order);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (next - 0xDC00));
                ++n;
                continue;
            }
        }
        AppendUtf8(out, Replacement);
        whole = false;
    }
    if (bytes.size() % 2 != 0) {
        AppendUtf8(out, Replacement);
    }
    if (exact != nullptr) {
        *exact = whole;
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view input, ByteOrder order) {
    // Decoding below trusts the text to be well-formed; anything else is taken as Windows-1252.
    const std::string fallback = IsValidUtf8(input) ? std::string() : Windows1252ToUtf8(input);
    const std::string_view text = fallback.empty() ? input : std::string_view(fallback);
    std::string out;
    out.reserve(2 * text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t cp = NextCodePoint(text, i);
        if (cp < 0x10000) {
            AppendUnit(out, static_cast<char16_t>(cp), order);
        } else {
            AppendUnit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), order);
            AppendUnit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), order);
        }
    }
    return out;
}

std::string_view Utf8Left(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t taken = 0; i < text.size(); ++taken) {
        if (taken == count) {
            return text.substr(0, i);
        }
        ++i;
        while (i < text.size() && IsContinuation(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    }
    return text;
}
