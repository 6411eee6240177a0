#pragma once

#include "core/runtime/Services.h"

#include <memory>

class ModalRunner;
class PrinterProvider;

// What a window needs besides the program's logic services: the printer and the way a modal window is run.
struct WindowServices : Services {
    std::shared_ptr<PrinterProvider> printer;
    std::shared_ptr<ModalRunner> modal;
};
