#pragma once

#include "core/runtime/Clock.h"

#include <optional>
#include <string>

struct Services;

// The application title that message boxes without a title of their own show.
inline constexpr const char* ApplicationTitle = "Tesslin1";
// The product title: main window and label window captions.
inline constexpr const char* ProductTitle = "Tessaline 1.0";

// A modal message box through the message service (answered OK at once when there is none).
int MsgBox(const Services& services, const std::string& prompt, int style = 0,
           const std::optional<std::string>& title = std::nullopt);

// Ends the program at once through the terminator service.
[[noreturn]] void EndProgram(const Services& services);

// The current date and time from the clock service (the system clock when there is none).
Clock::TimePoint Now(const Services& services);
