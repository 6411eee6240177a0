#pragma once

#include "ui/forms/PrinterProvider.h"

// The platform's default printer (the CUPS default destination on Linux).
class SystemPrinterProvider final : public PrinterProvider {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override;
};
