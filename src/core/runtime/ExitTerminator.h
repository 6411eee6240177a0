#pragma once

#include "core/runtime/ProgramTerminator.h"

#include <functional>
#include <utility>

// Really ends the process, at once.
class ExitTerminator final : public ProgramTerminator {
public:
    // `beforeExit` winds up work that must not be cut off mid-write.
    explicit ExitTerminator(std::function<void()> beforeExit = {}) : m_beforeExit(std::move(beforeExit)) {}
    [[noreturn]] void endNow() override;

private:
    std::function<void()> m_beforeExit;
};
