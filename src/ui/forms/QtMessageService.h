#pragma once

#include "core/runtime/MessageService.h"

// Real message boxes: QMessageBox with the program's title when none is given.
class QtMessageService final : public MessageService {
public:
    int show(const std::string& prompt, int style, const std::optional<std::string>& title) override;
};
