#pragma once

#include <string>

class QWidget;

// A printer that a window is printed on. The real ones live in the printing library, which the program
// loads when it first prints (see SystemPrinterProvider).
class Printer {
public:
    virtual ~Printer() = default;

    // The name the printing system knows it by; empty for one that has none (a file).
    virtual std::string name() const = 0;
    // Prints the window's client area on one page and ends the job (see PrintWindow). False when the job
    // could not be started, was not handed over, or the printing system refused it.
    virtual bool printWindow(QWidget& window) = 0;
};
