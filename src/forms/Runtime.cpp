#include "forms/Runtime.h"

#include "forms/Clock.h"
#include "forms/MessageService.h"
#include "forms/ProgramState.h"

#include <cstdlib>

int MsgBox(const std::string& prompt, int style, const std::optional<std::string>& title) {
    auto& services = Program().services;
    if (!services.messages) {
        return 1;
    }
    return services.messages->show(prompt, style, title);
}

void EndProgram() {
    auto& services = Program().services;
    if (services.terminator) {
        services.terminator->endNow();
    }
    std::_Exit(0);
}

Clock::TimePoint Now() {
    const auto& clock = Program().services.clock;
    return clock ? clock->now() : SystemClock().now();
}
