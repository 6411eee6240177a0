// The label window's part in the catalogue: recognising a disk labelled before, recording printed labels.
#include "ui/label/frmLabel.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LabelledDisk.h"
#include "core/disks/DriveService.h"
#include "core/label/LabelComposition.h"
#include "core/label/LabelText.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/RuntimeError.h"

#include <QLabel>
#include <QLineEdit>

#include <chrono>
#include <limits>

void frmLabel::recogniseDisk() {
    m_known.reset();
    if (!m_services.catalogue) {
        return;
    }
    const std::optional<DiskRecord> known =
        m_services.catalogue->recognise(IdentityOfFacts(Program().DiskFacts));
    showCatalogueMessages();
    if (known && known->number >= std::numeric_limits<std::int16_t>::min() &&
        known->number <= std::numeric_limits<std::int16_t>::max()) {
        m_known = known;
        txtID->setText(QString::fromStdString(DiskNumberText(static_cast<std::int16_t>(known->number))));
    }
}

bool frmLabel::askReprint() {
    if (!m_known) {
        return false;
    }
    const auto labelled = std::chrono::system_clock::time_point(std::chrono::seconds(m_known->lastLabelled));
    const std::string date = FormatsOf(m_services).mediumDate(labelled);
    return MsgBox(m_services, ReprintQuestion(*m_known, date), MessageYesNo | MessageQuestion) == AnswerYes;
}

void frmLabel::showDiskNumber(std::int16_t number) {
    std::string across = DiskNumberText(number);
    lblVTag->setText(QString::fromStdString(VerticalText(across)).remove(QLatin1Char('\r')));
}

void frmLabel::recordPrinted(std::int16_t number, std::int64_t knownId) {
    if (!m_services.catalogue) {
        return;
    }
    DiskRecord disk = RecordOfFacts(Program().DiskFacts, number, m_logo.Caption());
    disk.id = knownId;
    m_services.catalogue->recordLabel(disk, walkPlace());
    showCatalogueMessages();
}

WalkPlace frmLabel::walkPlace() {
    WalkPlace place;
    try {
        place.folder = folderOfDrive(Program().ZipDrive);
        place.otherMounts = m_services.drives->mountsInside(place.folder);
    } catch (const RuntimeError&) {
        // The disk went with the print: it is recorded, its tree stays to be walked another time.
        place = {};
    }
    return place;
}

void frmLabel::showCatalogueMessages() {
    while (const auto message = m_services.catalogue->takeMessage()) {
        MsgBox(m_services, *message, 0);
    }
}
