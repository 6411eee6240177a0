// Printing the label: the label window prints itself and advances the stored disk number.
#include "ui/label/frmLabel.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LabelledDisk.h"
#include "core/runtime/Conversions.h"
#include "core/runtime/MessageService.h"
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

// `shared`: the number came from the shared catalogue, which gives the next one too, so only a label
// printed while it cannot be reached would repeat it.
std::string NotSavedMessage(const Services& services, std::int16_t stored, const std::string& why,
                            bool shared) {
    std::string where = "your settings";
    if (const auto& profile = services.profile; profile && !profile->location().empty()) {
        where = profile->location();
    }
    const std::string number = IntToText(stored);
    const std::string saved = " could not be saved to " + where + (why.empty() ? "" : ":\r\n" + why);
    if (shared) {
        return "The label was printed and recorded in the shared disk catalogue, but this desk's own disk "
               "number " +
               number + saved +
               "\r\n\r\nThe shared catalogue gives the next label its number. Before you print a label while "
               "it cannot be reached, set the disk number to " +
               number + " under Configure, or that label may repeat a number.";
    }
    return "The label was printed, but the new disk number " + number + saved +
           "\r\n\r\nBefore you print the next label, set the disk number to " + number +
           " under Configure, or the next label will repeat this one's number.";
}

// The stored number after a label went out; the user is told when it cannot be saved.
void SaveDiskNumber(const Services& services, std::int16_t number, bool shared = false) {
    if (const Result<ProfileStatuses> saved =
            ProfileWriteKeys(services, {{"GLOBAL", "ID_INDEX", std::int64_t{number}}});
        !saved) {
        MsgBox(services, NotSavedMessage(services, number, saved.reason(), shared), 0);
    }
}

// Asked before a label is printed without the shared catalogue, which gives no number now.
std::string UnreachableQuestion(const std::string& reason, std::int16_t number) {
    return "The shared disk catalogue cannot be reached: " + reason +
           ".\r\n\r\nPrint this label with this desk's next number, #" + IntToText(number) +
           ", and record the disk in the shared catalogue once it can be reached again?\r\n\r\nShould "
           "another "
           "desk label a disk meanwhile, it may get the same number: Tessaline says so when it records this "
           "one. Choose No to print nothing now.";
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
    if (m_services.catalogue && m_services.catalogue->givesNumbers()) {
        printShared(printer);
        cmdRefresh_Click();
        return;
    }
    const Result<std::int16_t> next = NextStoredNumber(m_services);
    if (!next) {
        MsgBox(m_services, next.reason(), 0);
        cmdRefresh_Click();
        return;
    }
    // The stored number advances only for a label that went to the printer.
    const std::int16_t number = Program().NextDiskNumber;
    if (printNumbered(printer, number)) {
        SaveDiskNumber(m_services, *next);
        recordPrinted(number, 0);
    }
    cmdRefresh_Click();
}

bool frmLabel::printNumbered(Printer& printer, std::int16_t number) {
    txtID->setText(QString::fromStdString("# " + IntToText(number)));
    if (m_known) {
        // Shown with its catalogued number, printed as a new disk: down the strip too.
        showDiskNumber(number);
    }
    cmdPrint->setVisible(false);
    cmdRefresh->setVisible(false);
    if (!printer.printWindow(*this)) {
        MsgBox(m_services, NotPrintedMessage(printer), 0);
        return false;
    }
    return true;
}

void frmLabel::printShared(Printer& printer) {
    const DiskRecord disk = RecordOfFacts(Program().DiskFacts, 0, m_logo.Caption());
    const Result<NumberedDisk> taken = m_services.catalogue->takeNumber(disk);
    showCatalogueMessages();
    if (taken) {
        if (!printNumbered(printer, static_cast<std::int16_t>(taken->number))) {
            m_services.catalogue->giveBack(*taken);
            return;
        }
        m_services.catalogue->confirmLabel(*taken, disk, walkPlace());
        // The desk's own number follows the team's, so that the profile stays meaningful on its own.
        SaveDiskNumber(m_services,
                       static_cast<std::int16_t>(m_services.catalogue->lastNumber().value_or(taken->number)),
                       true);
        showCatalogueMessages();
        return;
    }
    if (!Catalogue::Unreachable(taken.failure())) {
        MsgBox(m_services,
               "The label cannot be printed: the shared disk catalogue gives this desk no disk number: " +
                   taken.reason() +
                   ".\r\n\r\nAsk whoever keeps the catalogue's server to mend this. The disk number was not "
                   "changed.",
               0);
        return;
    }
    const Result<std::int16_t> next = NextStoredNumber(m_services);
    if (!next) {
        MsgBox(m_services, next.reason(), 0);
        return;
    }
    const std::int16_t number = Program().NextDiskNumber;
    if (MsgBox(m_services, UnreachableQuestion(taken.reason(), number), MessageYesNo | MessageQuestion) !=
            AnswerYes ||
        !printNumbered(printer, number)) {
        return;
    }
    SaveDiskNumber(m_services, *next);
    DiskRecord numbered = disk;
    numbered.number = number;
    m_services.catalogue->queueLabel(numbered);
    showCatalogueMessages();
}
