#pragma once

#include "core/runtime/LocaleFormats.h"

#include <string>

// The label's formats in the C locale: the English month abbreviations and AM/PM, a decimal point. What
// the program uses when no locale formats are given.
class CLocaleFormats final : public LocaleFormats {
public:
    std::string mediumDate(Clock::TimePoint when) const override;
    std::string mediumTime(Clock::TimePoint when) const override;
    char decimalSeparator() const override { return '.'; }
};
