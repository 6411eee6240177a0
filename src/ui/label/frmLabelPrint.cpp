// Printing the label: the label window prints itself and advances the stored disk number.
#include "ui/label/frmLabel.h"

#include "core/runtime/Conversions.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"
#include "core/settings/ProfileAccess.h"
#include "core/settings/ProfileService.h"
#include "ui/forms/PrinterProvider.h"

#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

Result<std::unique_ptr<Printer>> DefaultPrinter(const WindowServices& services) {
    if (!services.printer) {
        return std::unique_ptr<Printer>();
    }
    return services.printer->defaultPrinter();
}

// The number the next label takes from the one stored now, or what the user is told instead.
Result<std::int16_t> NextStoredNumber(const Services& services) {
    const Result<std::string> stored = ProfileGet(services, "GLOBAL", "ID_INDEX");
    if (!stored) {
        return Failure{ProfileUnreadableMessage(services, stored.reason())};
    }
    double value = 0;
    try {
        value = TextToDouble(*stored);
    } catch (const RuntimeError&) {
        return Failure{"The disk number in your settings, \"" + *stored +
                       "\", is not a number, so this label cannot be numbered.\r\n\r\n"
                       "Enter the number of the last labelled disk under Configure, then print again."};
    }
    try {
        return CInt(value + 1);
    } catch (const RuntimeError&) {
        return Failure{"The disk number in your settings, \"" + *stored +
                       "\", has no next number: disk numbers run from -32768 to 32767.\r\n\r\n"
                       "Enter a smaller disk number under Configure, then print again."};
    }
}

std::string NotPrintedMessage(const Printer& printer) {
    const std::string name = printer.name();
    return "The label could not be printed: " +
           (name.empty() ? std::string("the printer") : "the printer " + name) +
           " did not take the job.\r\n\r\nThe disk number was not changed; check the printer and print "
           "again.";
}

std::string NotSavedMessage(const Services& services, std::int16_t stored, const std::string& why) {
    std::string where = "your settings";
    if (const auto& profile = services.profile; profile && !profile->location().empty()) {
        where = profile->location();
    }
    const std::string number = IntToText(stored);
    return "The label was printed, but the new disk number " + number + " could not be saved to " + where +
           (why.empty() ? "" : ":\r\n" + why) +
           "\r\n\r\nBefore you print the next label, set the disk number to " + number +
           " under Configure, or the next label will repeat this one's number.";
}

} // namespace

void frmLabel::cmdPrint_Click() {
    // Nothing is written or changed on the label until the job can go out.
    const Result<std::unique_ptr<Printer>> found = DefaultPrinter(m_services);
    if (!found) {
        MsgBox(m_services,
               "The label cannot be printed: " + found.reason() +
                   ".\r\n\r\nReinstalling the program may mend this. The disk number was not changed.",
               0);
        cmdRefresh_Click();
        return;
    }
    if (!found.value()) {
        MsgBox(m_services,
               "There is no default printer, so the label cannot be printed.\r\n\r\n"
               "Set up a printer as the default, then print again. The disk number was not changed.",
               0);
        cmdRefresh_Click();
        return;
    }
    Printer& printer = *found.value();
    if (askReprint()) {
        // A catalogued disk printed again under its own number: the stored number stays as it is.
        const auto number = static_cast<std::int16_t>(m_known->number);
        txtID->setText(QString::fromStdString("# " + IntToText(number)));
        cmdPrint->setVisible(false);
        cmdRefresh->setVisible(false);
        if (printer.printWindow(*this)) {
            recordPrinted(number, m_known->id);
        } else {
            MsgBox(m_services, NotPrintedMessage(printer), 0);
        }
        cmdRefresh_Click();
        return;
    }
    const Result<std::int16_t> next = NextStoredNumber(m_services);
    if (!next) {
        MsgBox(m_services, next.reason(), 0);
        cmdRefresh_Click();
        return;
    }

    const std::int16_t number = Program().NextDiskNumber;
    txtID->setText(QString::fromStdString("# " + IntToText(number)));
    if (m_known) {
        // Shown with its catalogued number, printed as a new disk: down the strip too.
        showDiskNumber(number);
    }
    cmdPrint->setVisible(false);
    cmdRefresh->setVisible(false);

    // The stored number advances only for a label that went to the printer.
    if (!printer.printWindow(*this)) {
        MsgBox(m_services, NotPrintedMessage(printer), 0);
    } else {
        if (const Result<ProfileStatuses> saved =
                ProfileWriteKeys(m_services, {{"GLOBAL", "ID_INDEX", std::int64_t{*next}}});
            !saved) {
            MsgBox(m_services, NotSavedMessage(m_services, *next, saved.reason()), 0);
        }
        recordPrinted(number, 0);
    }
    cmdRefresh_Click();
}
