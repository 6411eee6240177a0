#pragma once

#include "core/runtime/Clock.h"

#include <string>

// The named date and time formats, in the user's locale and local time zone.

// "Long Date": the locale's long date (Saturday, 5 December 2026).
std::string FormatLongDate(Clock::TimePoint when);
// "Medium Date": two-digit day, abbreviated month, two-digit year (05-Dec-26).
std::string FormatMediumDate(Clock::TimePoint when);
// "Medium Time": 12-hour clock with two-digit hours and minutes and AM/PM (09:47 PM).
std::string FormatMediumTime(Clock::TimePoint when);
// Pattern "s": the seconds without a leading zero (0..59).
std::string FormatSeconds(Clock::TimePoint when);
// The local seconds (0..59) of a time point.
int LocalSecond(Clock::TimePoint when);
// The locale's decimal separator (a point where the locale's is not one plain character).
char LocaleDecimalSeparator();
