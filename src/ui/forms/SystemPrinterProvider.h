#pragma once

#include "ui/forms/PrintLibrary.h"
#include "ui/forms/PrinterProvider.h"

#include <string>

// The platform's default printer (the CUPS default destination on Linux), from the printing library: Qt's
// printing and all it brings (CUPS with TLS, Kerberos and Avahi) load with the first label printed, not
// with every start.
class SystemPrinterProvider final : public PrinterProvider {
public:
    // `library`: the printing library's file (by default the one beside the desktop program).
    explicit SystemPrinterProvider(std::string library = BesideProgram());

    Result<std::unique_ptr<Printer>> defaultPrinter() override;

    static std::string BesideProgram();

private:
    std::string m_library;
    PrintLibrary::DefaultPrinterFunction m_defaultPrinter = nullptr;
};
