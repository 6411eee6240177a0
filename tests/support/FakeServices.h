#pragma once

#include "forms/Clock.h"
#include "forms/MessageService.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Thrown instead of ending the process, so a test can see that the program would have ended.
struct ProgramEnded : std::runtime_error {
    ProgramEnded() : std::runtime_error("program ended") {}
};

struct ShownMessage {
    std::string prompt;
    int style = 0;
    std::optional<std::string> title;
};

// Records every message box and answers OK at once.
class RecordingMessages final : public MessageService {
public:
    int show(const std::string& prompt, int style, const std::optional<std::string>& title) override {
        shown.push_back({prompt, style, title});
        return 1;
    }
    std::vector<ShownMessage> shown;
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
