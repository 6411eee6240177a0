#include "core/runtime/Runtime.h"

#include "core/runtime/CLocaleFormats.h"
#include "core/runtime/Clock.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/ProgramTerminator.h"
#include "core/runtime/Services.h"

#include <cstdlib>

int MsgBox(const Services& services, const std::string& prompt, int style,
           const std::optional<std::string>& title) {
    if (!services.messages) {
        return 1;
    }
    return services.messages->show(prompt, style, title);
}

void EndProgram(const Services& services) {
    if (services.terminator) {
        services.terminator->endNow();
    }
    std::_Exit(0);
}

Clock::TimePoint Now(const Services& services) {
    return ClockOf(services).now();
}

const Clock& ClockOf(const Services& services) {
    static const SystemClock system;
    if (services.clock) {
        return *services.clock;
    }
    return system;
}

const LocaleFormats& FormatsOf(const Services& services) {
    static const CLocaleFormats plain;
    if (services.formats) {
        return *services.formats;
    }
    return plain;
}
