#pragma once

#include "core/runtime/CLocaleFormats.h"
#include "core/runtime/Clock.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/ProgramTerminator.h"

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
