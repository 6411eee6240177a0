#include "core/label/LabelText.h"

#include "core/runtime/Conversions.h"
#include "core/runtime/RuntimeError.h"

#include <cstdint>
#include <limits>

std::string VerticalText(std::string& s) {
    const std::size_t trimmed = TrimBlanks(s).size();
    // The count is a 16-bit integer; a longer text overflows it.
    if (trimmed > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    std::string result;
    result.reserve(trimmed * 3);
    for (std::size_t i = 0; i < trimmed; ++i) {
        result += s[i];
        result += "\r\n";
    }
    return result;
}

std::string PrintableText(std::string& s) {
    s = TrimBlanks(s);
    std::string result;
    result.reserve(s.size());
    for (const char c : s) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 32 && code <= 126) {
            result += c;
        }
    }
    return result;
}
