#pragma once

#include "core/runtime/Result.h"
#include "ui/forms/Printer.h"

#include <memory>

// Where the program gets the printer that a window is printed on.
class PrinterProvider {
public:
    virtual ~PrinterProvider() = default;
    // A printer set up for the default destination; none when there is no default printer, a failure when
    // printing itself cannot be done (its library could not be loaded).
    virtual Result<std::unique_ptr<Printer>> defaultPrinter() = 0;
};
