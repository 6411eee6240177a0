#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number conversions of the program's logic; locale-free except where a separator is passed in.

// `s` without leading and trailing blanks (only the blank, code 32, counts).
std::string TrimBlanks(const std::string& s);

// Plain decimal text to double: surrounding blanks, an optional sign, digits with at most one decimal
// point. Empty text, text without digits or with anything else fails with "Type mismatch".
double TextToDouble(std::string_view text);

// Round to the nearest 16-bit integer, halves to even; "Overflow" outside -32768..32767 (and for NaN).
std::int16_t CInt(double value);

// Round to the nearest whole number, halves to even, as a double (no range check).
double RoundHalfEven(double value);

// Decimal text of a 16-bit integer, minus sign for negatives, no blanks.
std::string IntToText(std::int16_t value);

// The "0.00" pattern: at least one digit before the separator, exactly two after, halves rounded away
// from zero, no grouping.
std::string FormatFixed2(double value, char decimalSeparator = '.');
