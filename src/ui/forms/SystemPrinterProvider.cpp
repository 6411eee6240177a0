#include "ui/forms/SystemPrinterProvider.h"

#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter> SystemPrinterProvider::defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return nullptr;
    }
    // High resolution: pictures on the page are drawn at the printer's resolution, not the screen's.
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::NativeFormat);
    printer->setDocName(QStringLiteral("Tessaline label"));
    // The label's strips are colored; a queue that prints grey by default would turn them grey already in
    // the document we send. A monochrome printer still makes its own grey of it.
    printer->setColorMode(QPrinter::Color);
    return printer;
}
