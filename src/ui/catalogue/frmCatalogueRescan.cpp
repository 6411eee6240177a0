// The Catalogue window's Catalogue This Disk: the disk in the Zip drive, known to the catalogue, walked
// again without a label; and the progress of any walk, in the window's title and bottom row.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/LabelledDisk.h"
#include "core/disks/DiskInfo.h"
#include "core/disks/DriveService.h"
#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "core/settings/ProfileAccess.h"
#include "ui/forms/Screen.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

namespace {

const char* const HowDisksEnter = "A disk enters the catalogue when its label is printed.";

} // namespace

void frmCatalogue::makeWalkControls(QHBoxLayout& row) {
    barWalk = new QProgressBar(this);
    barWalk->setObjectName("barWalk");
    barWalk->setRange(0, 100);
    barWalk->setFormat("%p %");
    barWalk->setFixedWidth(TwipsToPixelsX(1800));
    barWalk->hide();
    cmdCatalogueDisk = new QPushButton("&Catalogue This Disk", this);
    cmdCatalogueDisk->setObjectName("cmdCatalogueDisk");
    cmdCatalogueDisk->setAutoDefault(false);
    cmdCatalogueDisk->setEnabled(false);
    row.addWidget(barWalk);
    row.addWidget(cmdCatalogueDisk);
    connect(cmdCatalogueDisk, &QPushButton::clicked, this, &frmCatalogue::cmdCatalogueDisk_Click);
}

Result<frmCatalogue::DriveDisk> frmCatalogue::diskInDrive() {
    if (!m_services.catalogue) {
        return Failure{"No disk catalogue is kept in this run."};
    }
    // Another disk is not walked meanwhile: starting one would stop the walk that runs.
    if (const CatalogueProgress walk = m_services.catalogue->progress(); walk.walking) {
        return Failure{"Disk #" + std::to_string(walk.diskNumber) + " is being catalogued."};
    }
    // Read from the profile, as the label window reads it, whether or not a label was examined yet.
    const std::string drive =
        m_services.profile ? ProfileAccess(m_services, "GET", "GLOBAL", "ZIPDRIVE") : std::string();
    if (drive.empty()) {
        return Failure{"No Zip drive is chosen: choose one in Configure."};
    }
    DiskFactsRecord facts;
    const Result<std::string> folder =
        m_services.drives ? m_services.drives->mountPoint(drive) : Result<std::string>(Failure{});
    if (!ReadDiskFacts(m_services, drive, facts) || facts.CapacityMB <= 0 || !folder || folder->empty()) {
        return Failure{"There is no disk in the Zip drive " + drive + "."};
    }
    const DiskIdentity identity = IdentityOfFacts(facts);
    if (identity.serial == 0) {
        return Failure{"The disk in the Zip drive " + drive +
                       " has no serial number, so the catalogue cannot tell it from other disks."};
    }
    if (!store() && !m_problem.empty()) {
        return Failure{m_problem};
    }
    const Result<std::optional<DiskRecord>> known =
        m_store ? m_store->recognise(identity)
                : Result<std::optional<DiskRecord>>(std::optional<DiskRecord>());
    if (!known) {
        return Failure{"The catalogue could not be read: " + known.reason() + "."};
    }
    if (!*known) {
        return Failure{"The disk in the Zip drive " + drive + " is not in the catalogue. " + HowDisksEnter};
    }
    // Its facts as they are now; its number, label dates and company stay.
    DiskRecord disk = RecordOfFacts(facts, (*known)->number, (*known)->company);
    disk.id = (*known)->id;
    return DriveDisk{disk, *folder, m_services.drives->mountsInside(*folder)};
}

void frmCatalogue::checkDiskInDrive() {
    offerDiskInDrive(diskInDrive());
}

void frmCatalogue::offerDiskInDrive(const Result<DriveDisk>& found) {
    cmdCatalogueDisk->setEnabled(found.ok());
    cmdCatalogueDisk->setToolTip(
        QString::fromStdString(found ? "Records the folders and files of disk " + diskTitle(found->disk) +
                                           ", in the Zip drive, anew; its label and number stay as they are."
                                     : found.reason()));
}

void frmCatalogue::cmdCatalogueDisk_Click() {
    // The disk may have been changed since the button was last set.
    const Result<DriveDisk> found = diskInDrive();
    offerDiskInDrive(found);
    if (!found) {
        MsgBox(m_services, found.reason(), 0);
        return;
    }
    m_services.catalogue->catalogueAgain(found->disk, WalkPlace{found->folder, found->otherMounts});
    while (const auto message = m_services.catalogue->takeMessage()) {
        MsgBox(m_services, *message, 0);
    }
    // Recording may have moved a damaged file aside and started a new one: the window's connections,
    // opened before, would go on reading the old one.
    reopenCatalogue();
    showCatalogueProgress(m_services.catalogue->progress());
}

void frmCatalogue::reopenCatalogue() {
    m_search.reset();
    m_store.reset();
    m_problem.clear();
    refreshDisks();
    showEmptyHint();
    txtSearch_Change();
}

void frmCatalogue::showCatalogueProgress(const CatalogueProgress& progress) {
    if (progress.walking) {
        setWindowTitle(QString::fromUtf8("Disk Catalogue \u2014 cataloguing #%1, %2 %")
                           .arg(progress.diskNumber)
                           .arg(progress.percent));
        barWalk->setValue(progress.percent);
        barWalk->show();
    } else {
        setWindowTitle("Disk Catalogue");
        barWalk->hide();
    }
    if (progress.walking == m_walking) {
        return;
    }
    m_walking = progress.walking;
    if (m_walking) {
        // The recording that started it may have moved a damaged file aside: read the new one.
        reopenCatalogue();
    } else if (refreshDisks()) {
        // A walk that ended has changed its disk's list.
        txtSearch_Change();
    }
    checkDiskInDrive();
}

void frmCatalogue::showEvent(QShowEvent* event) {
    if (m_services.catalogue) {
        showCatalogueProgress(m_services.catalogue->progress());
    }
    checkDiskInDrive();
    QDialog::showEvent(event);
}
