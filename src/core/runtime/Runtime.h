#pragma once

#include "core/runtime/Clock.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string>

class LocaleFormats;
struct Services;

// The application title that message boxes without a title of their own show.
inline constexpr const char* ApplicationTitle = "Tesslin1";
// The program's version, as --version and every title show it.
inline constexpr char ProductVersion[] = "1.0";

namespace detail {
constexpr auto ProductTitleText = [] {
    constexpr char name[] = "Tessaline ";
    std::array<char, sizeof name + sizeof ProductVersion - 1> text{};
    std::copy(std::begin(name), std::end(name) - 1, text.begin());
    std::copy(std::begin(ProductVersion), std::end(ProductVersion), text.begin() + sizeof name - 1);
    return text;
}();
} // namespace detail

// The product title: main window and label window captions.
inline constexpr const char* ProductTitle = detail::ProductTitleText.data();

// A modal message box through the message service (answered OK at once when there is none).
int MsgBox(const Services& services, const std::string& prompt, int style = 0,
           const std::optional<std::string>& title = std::nullopt);

// Ends the program at once through the terminator service.
[[noreturn]] void EndProgram(const Services& services);

// The current date and time from the clock service (the system clock when there is none).
Clock::TimePoint Now(const Services& services);

// The clock service, or the system clock when there is none.
const Clock& ClockOf(const Services& services);

// The locale formats service, or the C locale's formats when there is none.
const LocaleFormats& FormatsOf(const Services& services);
