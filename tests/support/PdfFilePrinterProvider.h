#pragma once

#include "ui/forms/PrinterProvider.h"

#include <QPrinter>

#include <string>

// A default printer that writes each job to one PDF file; with no file name, there is no printer.
class PdfFilePrinterProvider final : public PrinterProvider {
public:
    explicit PdfFilePrinterProvider(std::string fileName = {}) : fileName(std::move(fileName)) {}

    std::unique_ptr<QPrinter> defaultPrinter() override {
        ++asked;
        if (fileName.empty()) {
            return nullptr;
        }
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(fileName));
        return printer;
    }

    std::string fileName;
    int asked = 0;
};
