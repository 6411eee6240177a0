#pragma once

#include "forms/Clock.h"

#include <optional>
#include <string>

// The application title that message boxes without a title of their own show.
inline constexpr const char* ApplicationTitle = "Tesslin1";
// The product title: main window and label window captions.
inline constexpr const char* ProductTitle = "Tessaline 1.0";

// A modal message box through the program's message seam.
int MsgBox(const std::string& prompt, int style = 0, const std::optional<std::string>& title = std::nullopt);

// Ends the program at once through the program's terminator seam.
[[noreturn]] void EndProgram();

// The current date and time through the program's clock seam (the system clock when none is installed).
Clock::TimePoint Now();
