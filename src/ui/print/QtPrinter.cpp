#include "ui/print/QtPrinter.h"

#include "ui/forms/PrintLibrary.h"
#include "ui/print/PrintWindow.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <type_traits>

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {}
QtPrinter::~QtPrinter() = default;

std::unique_ptr<QtPrinter> QtPrinter::DefaultDestination() {
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
    return std::make_unique<QtPrinter>(std::move(printer));
}

std::unique_ptr<QtPrinter> QtPrinter::PdfFile(const std::string& fileName) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(fileName));
    return std::make_unique<QtPrinter>(std::move(printer));
}

std::string QtPrinter::name() const {
    return m_printer->printerName().toStdString();
}

bool QtPrinter::printWindow(QWidget& window) {
    return PrintWindow(window, *m_printer);
}

extern "C" Printer* tessaline_default_printer() {
    return QtPrinter::DefaultDestination().release();
}
static_assert(std::is_same_v<decltype(&tessaline_default_printer), PrintLibrary::DefaultPrinterFunction>);
