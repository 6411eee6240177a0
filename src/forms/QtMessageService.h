#pragma once

#include "forms/MessageService.h"

// Real message boxes: QMessageBox with the program's title when none is given.
class QtMessageService final : public MessageService {
public:
    int show(const std::string& prompt, int style, const std::optional<std::string>& title) override;
};

// Really ends the process, at once.
class ExitTerminator final : public ProgramTerminator {
public:
    [[noreturn]] void endNow() override;
};
