#pragma once

#include "ui/forms/PrintLibrary.h"
#include "ui/forms/PrinterProvider.h"

#include <string>

// The platform's default printer (the CUPS default destination on Linux), from the printing library: Qt's
// printing and all it brings (CUPS with TLS, Kerberos and Avahi) load with the first label printed, not
// with every start.
class SystemPrinterProvider final : public PrinterProvider {
public:
    // `library`: the printing library's file.
    explicit SystemPrinterProvider(std::string library);

    Result<std::unique_ptr<Printer>> defaultPrinter() override;

private:
    std::string m_library;
    PrintLibrary::DefaultPrinterFunction m_defaultPrinter = nullptr;
};
