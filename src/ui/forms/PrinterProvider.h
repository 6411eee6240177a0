#pragma once

#include <memory>

class QPrinter;

// Where the program gets the printer that a window is printed on.
class PrinterProvider {
public:
    virtual ~PrinterProvider() = default;
    // A printer set up for the default destination; nullptr when there is no default printer.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
};
