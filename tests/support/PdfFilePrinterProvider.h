#pragma once

#include "ui/forms/PrinterProvider.h"
#include "ui/print/QtPrinter.h"

#include <string>

// A default printer that writes each job to one PDF file; with no file name, there is no printer.
class PdfFilePrinterProvider final : public PrinterProvider {
public:
    explicit PdfFilePrinterProvider(std::string fileName = {}) : fileName(std::move(fileName)) {}

    Result<std::unique_ptr<Printer>> defaultPrinter() override {
        ++asked;
        if (fileName.empty()) {
            return std::unique_ptr<Printer>();
        }
        return std::unique_ptr<Printer>(QtPrinter::PdfFile(fileName));
    }

    std::string fileName;
    int asked = 0;
};
