#pragma once

#include "core/runtime/Clock.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/ProgramTerminator.h"

#include <ctime>

#include <optional>
#include <string>
#include <vector>

// Thrown instead of ending the process, so a test can see that the program would have ended. Not a
// std::exception, so that no handler of the program can mistake it for a failure it may pass over.
struct ProgramEnded {};

struct ShownMessage {
    std::string prompt;
    int style = 0;
    std::optional<std::string> title;
};

// Records every message box and answers at once: OK, or `yesNo` to a question.
class RecordingMessages final : public MessageService {
public:
    int show(const std::string& prompt, int style, const std::optional<std::string>& title) override {
        shown.push_back({prompt, style, title});
        return (style & 0x0F) == MessageYesNo ? yesNo : AnswerOk;
    }
    std::vector<ShownMessage> shown;
    int yesNo = AnswerYes;
};

class ThrowingTerminator final : public ProgramTerminator {
public:
    [[noreturn]] void endNow() override { throw ProgramEnded(); }
};

// A clock that tests set and advance by hand.
class FixedClock final : public Clock {
public:
    explicit FixedClock(TimePoint at = {}) : at(at) {}
    TimePoint now() const override { return at; }
    TimePoint at;
};

// The label's formats in the C locale: the English month abbreviations and AM/PM, a decimal point.
class CLocaleFormats final : public LocaleFormats {
public:
    std::string mediumDate(Clock::TimePoint when) const override { return format(when, "%d-%b-%y"); }
    std::string mediumTime(Clock::TimePoint when) const override { return format(when, "%I:%M %p"); }
    char decimalSeparator() const override { return '.'; }

private:
    static std::string format(Clock::TimePoint when, const char* pattern) {
        const std::time_t t = std::chrono::system_clock::to_time_t(when);
        std::tm local{};
        ::localtime_r(&t, &local);
        char text[32];
        return std::string(text, std::strftime(text, sizeof text, pattern, &local));
    }
};
