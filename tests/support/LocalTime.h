#pragma once

#include "core/runtime/Clock.h"

#include <chrono>
#include <ctime>

// A local-time instant, built with mktime so that a test holds in any time zone.
inline Clock::TimePoint LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}
