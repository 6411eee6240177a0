#include "ui/forms/SystemPrinterProvider.h"

#include <QCoreApplication>

#include <string>
#include <utility>

#include <dlfcn.h>

SystemPrinterProvider::SystemPrinterProvider(std::string library) : m_library(std::move(library)) {}

std::string SystemPrinterProvider::BesideProgram() {
    return QCoreApplication::applicationDirPath().toStdString() + "/" + PrintLibrary::File;
}

Result<std::unique_ptr<Printer>> SystemPrinterProvider::defaultPrinter() {
    if (m_defaultPrinter == nullptr) {
        // Loaded for good: the printers it makes run its code.
        void* library = ::dlopen(m_library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = ::dlerror();
            return Failure{"the printing library could not be loaded (" + std::string(why ? why : m_library) +
                           ")"};
        }
        m_defaultPrinter = reinterpret_cast<PrintLibrary::DefaultPrinterFunction>(
            ::dlsym(library, PrintLibrary::DefaultPrinterEntry));
        if (m_defaultPrinter == nullptr) {
            return Failure{"the printing library " + m_library + " is not this program's"};
        }
    }
    return std::unique_ptr<Printer>(m_defaultPrinter());
}
