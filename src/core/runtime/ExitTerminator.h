#pragma once

#include "core/runtime/ProgramTerminator.h"

// Really ends the process, at once.
class ExitTerminator final : public ProgramTerminator {
public:
    [[noreturn]] void endNow() override;
};
