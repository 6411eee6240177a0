#include "core/runtime/Conversions.h"

#include "core/runtime/RuntimeError.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

double TextToDouble(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    std::string_view body = text.substr(begin, end - begin);

    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        ++i;
    }
    int digits = 0;
    int points = 0;
    for (; i < body.size(); ++i) {
        const char c = body[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            throw RuntimeError(RuntimeError::TypeMismatch);
        }
    }
    if (digits == 0 || points > 1) {
        throw RuntimeError(RuntimeError::TypeMismatch);
    }
    // strtod would honour the C locale's separator; the body holds only [+-]digits[.digits] here.
    const std::string copy(body);
    return std::strtod(copy.c_str(), nullptr);
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::int16_t CInt(double value) {
    if (std::isnan(value)) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    // nearbyint uses the default rounding mode: to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0) {
        throw RuntimeError(RuntimeError::Overflow);
    }
    return static_cast<std::int16_t>(rounded);
}

std::string IntToText(std::int16_t value) {
    return std::to_string(value);
}

std::string FormatFixed2(double value, char decimalSeparator) {
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
    }
    // Round on the value's 15-significant-digit decimal form, the way the classic Format does, so that
    // 1.005 gives 1.01 although its binary value lies just below.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // buffer: d.dddddddddddddde[+-]XX
    std::string digits;
    digits += buffer[0];
    digits.append(buffer + 2, 14);
    const int exponent = std::atoi(buffer + 17);

    // Digits of the whole part and of the fraction, as decimal text with the point after position `point`.
    int point = exponent + 1; // number of digits before the decimal point
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    if (static_cast<int>(digits.size()) < point + 3) {
        digits.append(static_cast<std::size_t>(point + 3) - digits.size(), '0');
    }
    // Keep two decimals, rounding half away from zero on the third.
    std::string kept = digits.substr(0, static_cast<std::size_t>(point + 2));
    const bool roundUp = digits[static_cast<std::size_t>(point + 2)] >= '5';
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
            kept[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++kept[static_cast<std::size_t>(i)];
        } else {
            kept.insert(0, 1, '1');
            ++point;
        }
    }
    std::string whole = kept.substr(0, static_cast<std::size_t>(point));
    const std::string fraction = kept.substr(static_cast<std::size_t>(point), 2);
    const auto firstNonZero = whole.find_first_not_of('0');
    whole = firstNonZero == std::string::npos ? "0" : whole.substr(firstNonZero);
    const bool negative = value < 0 && (whole != "0" || fraction != "00");
    return (negative ? "-" : "") + whole + decimalSeparator + fraction;
}
