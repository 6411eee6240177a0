#pragma once

#include "core/runtime/Clock.h"

#include <string>

// The user's locale formats that the label's texts are made with; the windows supply them, tests pin them.
class LocaleFormats {
public:
    virtual ~LocaleFormats() = default;
    // "Medium Date": two-digit day, abbreviated month, two-digit year (05-Dec-26).
    virtual std::string mediumDate(Clock::TimePoint when) const = 0;
    // "Medium Time": 12-hour clock with two-digit hours and minutes and AM/PM (09:47 PM).
    virtual std::string mediumTime(Clock::TimePoint when) const = 0;
    // The separator of a number's whole and fractional parts.
    virtual char decimalSeparator() const = 0;
};
