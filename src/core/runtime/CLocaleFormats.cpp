#include "core/runtime/CLocaleFormats.h"

#include <array>
#include <ctime>

namespace {

std::string Format(Clock::TimePoint when, const char* pattern) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&t, &local);
    std::array<char, 32> text{};
    return std::string(text.data(), std::strftime(text.data(), text.size(), pattern, &local));
}

} // namespace

std::string CLocaleFormats::mediumDate(Clock::TimePoint when) const {
    return Format(when, "%d-%b-%y");
}

std::string CLocaleFormats::mediumTime(Clock::TimePoint when) const {
    return Format(when, "%I:%M %p");
}
