#pragma once

#include "ui/forms/Printer.h"

#include <memory>
#include <string>

class QPrinter;

// A printer of Qt's printing module: the default destination of the printing system, or a PDF file.
class QtPrinter final : public Printer {
public:
    explicit QtPrinter(std::unique_ptr<QPrinter> printer);
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    // The printing system's default destination, in colour and at the printer's resolution; none when
    // there is no default printer.
    static std::unique_ptr<QtPrinter> DefaultDestination();
    // Each job written to the PDF file `fileName`.
    static std::unique_ptr<QtPrinter> PdfFile(const std::string& fileName);

    std::string name() const override;
    bool printWindow(QWidget& window) override;

private:
    std::unique_ptr<QPrinter> m_printer;
};
