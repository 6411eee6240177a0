// The Catalogue window's Disks tab: the list of disks, the tree of the chosen one (opened at a result on
// request) and removing a disk.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/Runtime.h"

#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>
#include <string_view>

namespace {

// A tree item's entry: its path on the disk as the catalogue stores it, and whether its folder is listed.
constexpr int PathRole = Qt::UserRole;
constexpr int ListedRole = Qt::UserRole + 1;

bool SameDisks(const std::vector<DiskRecord>& a, const std::vector<DiskRecord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DiskRecord& x, const DiskRecord& y) {
        return x.id == y.id && x.number == y.number && x.volumeName == y.volumeName &&
               x.lastLabelled == y.lastLabelled && x.entries == y.entries && x.complete == y.complete &&
               x.skippedFolders == y.skippedFolders;
    });
}

QTreeWidgetItem* ChildWithPath(QTreeWidgetItem& folder, const QByteArray& path) {
    for (int i = 0; i < folder.childCount(); ++i) {
        if (folder.child(i)->data(0, PathRole).toByteArray() == path) {
            return folder.child(i);
        }
    }
    return nullptr;
}

} // namespace

bool frmCatalogue::refreshDisks() {
    std::vector<DiskRecord> disks;
    if (CatalogueStore* catalogue = store()) {
        Result<std::vector<DiskRecord>> listed = catalogue->disks();
        if (listed) {
            disks = std::move(listed).value();
            m_problem.clear();
        } else {
            m_problem = "The disks could not be read from the catalogue: " + listed.reason() + ".";
        }
    }
    if (SameDisks(disks, m_disks->records())) {
        return false;
    }
    const std::int64_t chosen = chosenDiskId();
    const int chosenRow = grdDisks->currentIndex().row();
    m_treeDisk = -1; // its tree is built anew: its walk may have gone on
    m_disks->setRecords(std::move(disks));
    if (!selectDisk(chosen) && m_sortedDisks->rowCount() > 0) {
        grdDisks->selectRow(std::clamp(chosenRow, 0, m_sortedDisks->rowCount() - 1));
    }
    diskChosen();
    showEmptyHint();
    showCount();
    return true;
}

std::vector<DiskRecord> frmCatalogue::shownDisks() const {
    std::vector<DiskRecord> disks;
    for (int row = 0; row < m_sortedDisks->rowCount(); ++row) {
        disks.push_back(m_disks->record(m_sortedDisks->mapToSource(m_sortedDisks->index(row, 0)).row()));
    }
    return disks;
}

std::int64_t frmCatalogue::chosenDiskId() const {
    const QModelIndex current = m_sortedDisks->mapToSource(grdDisks->currentIndex());
    return current.isValid() ? m_disks->record(current.row()).id : 0;
}

bool frmCatalogue::selectDisk(std::int64_t diskId) {
    const auto& disks = m_disks->records();
    const auto found = std::find_if(disks.begin(), disks.end(),
                                    [diskId](const DiskRecord& disk) { return disk.id == diskId; });
    if (diskId == 0 || found == disks.end()) {
        return false;
    }
    const int row =
        m_sortedDisks->mapFromSource(m_disks->index(static_cast<int>(found - disks.begin()), 0)).row();
    grdDisks->selectRow(row);
    grdDisks->scrollTo(m_sortedDisks->index(row, 0));
    return true;
}

void frmCatalogue::diskChosen() {
    const std::int64_t diskId = chosenDiskId();
    if (diskId == m_treeDisk) {
        return;
    }
    m_treeDisk = diskId;
    tvwFolders->clear();
    cmdRemove->setEnabled(diskId != 0);
    if (diskId == 0) {
        return;
    }
    const DiskRecord& disk = m_disks->record(m_sortedDisks->mapToSource(grdDisks->currentIndex()).row());
    auto* root = new QTreeWidgetItem(tvwFolders, {QString::fromStdString(diskTitle(disk))});
    root->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    root->setData(0, PathRole, QByteArray());
    fillFolder(*root);
    root->setExpanded(true);
}

void frmCatalogue::fillFolder(QTreeWidgetItem& folder) {
    if (folder.data(0, ListedRole).toBool() || !store() || m_treeDisk == 0) {
        return;
    }
    folder.setData(0, ListedRole, true);
    const Result<std::vector<CatalogueEntry>> entries =
        m_store->folderEntries(m_treeDisk, folder.data(0, PathRole).toByteArray().toStdString());
    if (!entries) {
        m_problem = "The folder could not be read from the catalogue: " + entries.reason() + ".";
        showEmptyHint();
        return;
    }
    // Made apart and handed over in one go: a folder may hold many thousands.
    std::vector<std::unique_ptr<QTreeWidgetItem>> made;
    made.reserve(entries->size());
    for (const CatalogueEntry& entry : *entries) {
        auto item = std::make_unique<QTreeWidgetItem>(
            QStringList{QString::fromStdString(NameText(entry.name)),
                        entry.isFolder ? QString() : sizeText(entry.size), dateText(entry.modified)});
        item->setIcon(0, entryIcon(entry.isFolder));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, PathRole, QByteArray::fromStdString(entry.path()));
        if (entry.unreadable) {
            // Said, not just left empty: an empty folder and one never read look alike otherwise.
            item->setText(0, item->text(0) + " (could not be read)");
            item->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
            item->setToolTip(0, "This folder could not be read when the disk was catalogued.");
        } else if (entry.isFolder) {
            item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        }
        made.push_back(std::move(item));
    }
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(made.size()));
    for (auto& item : made) {
        children.push_back(item.release());
    }
    folder.addChildren(children);
    folder.setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void frmCatalogue::showHit(const QModelIndex& index) {
    const QModelIndex source = m_sortedHits->mapToSource(index);
    if (!source.isValid()) {
        return;
    }
    const SearchHit hit = m_hits->record(source.row());
    // The list read afresh: the disk may have been removed since the search, by another program too, and
    // its id taken by a disk recorded since.
    refreshDisks();
    const auto& disks = m_disks->records();
    const bool same = std::any_of(disks.begin(), disks.end(), [&](const DiskRecord& disk) {
        return disk.id == hit.diskId && disk.number == hit.diskNumber;
    });
    if (!same || !selectDisk(hit.diskId)) {
        return;
    }
    tabViews->setCurrentIndex(DisksTab);
    diskChosen();
    QTreeWidgetItem* item = tvwFolders->topLevelItem(0);
    std::string path;
    std::string_view rest = hit.entry.folder;
    while (item != nullptr && !rest.empty()) {
        const std::size_t slash = rest.find('/');
        path += (path.empty() ? "" : "/") + std::string(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        fillFolder(*item);
        item->setExpanded(true);
        item = ChildWithPath(*item, QByteArray::fromStdString(path));
    }
    if (item == nullptr) {
        return;
    }
    fillFolder(*item);
    item->setExpanded(true);
    QTreeWidgetItem* entry = ChildWithPath(*item, QByteArray::fromStdString(hit.entry.path()));
    tvwFolders->setCurrentItem(entry != nullptr ? entry : item);
    tvwFolders->scrollToItem(tvwFolders->currentItem());
    tvwFolders->setFocus();
}

std::string frmCatalogue::diskTitle(const DiskRecord& disk) const {
    const std::string number = "#" + std::to_string(disk.number);
    return disk.volumeName.empty() ? number : number + " (" + NameText(disk.volumeName) + ")";
}

void frmCatalogue::cmdRemove_Click() {
    const QModelIndex current = m_sortedDisks->mapToSource(grdDisks->currentIndex());
    if (!current.isValid() || !store()) {
        return;
    }
    const DiskRecord disk = m_disks->record(current.row());
    const std::string question =
        "Remove disk " + diskTitle(disk) +
        " from the catalogue?\r\n\r\nWhat it knows of the disk's folders and files is "
        "forgotten; the disk and its label stay as they are.";
    if (MsgBox(m_services, question, MessageYesNo | MessageQuestion) != AnswerYes) {
        return;
    }
    Result<std::unique_ptr<CatalogueStore>> changing =
        m_services.catalogue->openStore(CatalogueAccess::Change);
    const Result<Done> removed = Then(changing, [&] { return (*changing)->removeDisk(disk.id); });
    if (!removed) {
        MsgBox(m_services,
               "Disk " + diskTitle(disk) + " is still in the catalogue: " + removed.reason() + ".", 0);
    }
    refreshDisks();
    txtSearch_Change();
}
