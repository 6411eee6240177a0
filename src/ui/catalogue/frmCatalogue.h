#pragma once

#include "core/catalogue/CatalogueProgress.h"
#include "core/catalogue/DiskRecord.h"
#include "core/catalogue/SearchResult.h"
#include "core/catalogue/SearchWorker.h"
#include "core/runtime/Result.h"
#include "ui/catalogue/RecordTableModel.h"
#include "ui/forms/WindowServices.h"

#include <QDialog>
#include <QIcon>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CatalogueStore;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QProgressDialog;
class QPushButton;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

// The disk catalogue: find any folder or file on any labelled disk as you type, list the disks, browse a
// disk's tree, remove a disk, export either list as CSV, catalogue the disk in the Zip drive again.
// Modeless; the main window keeps one of it.
class frmCatalogue final : public QDialog {
    Q_OBJECT
public:
    explicit frmCatalogue(const WindowServices& services, QWidget* parent = nullptr);
    ~frmCatalogue() override;
    frmCatalogue(const frmCatalogue&) = delete;
    frmCatalogue& operator=(const frmCatalogue&) = delete;

    // Opens the catalogue (saying so when it cannot), lists its disks and takes back the size and the
    // column widths the window had.
    void Form_Load();

    // Where the walk of a disk stands, as the catalogue reports it: said in the title, with a bar in the
    // bottom row, while it runs; when it ends the lists are read anew.
    void showCatalogueProgress(const CatalogueProgress& progress);

    // The hits and the disks in the order shown.
    std::vector<SearchHit> shownHits() const;
    std::vector<DiskRecord> shownDisks() const;
    // True from a keystroke until the results of the newest search are shown.
    bool searching() const { return m_awaited != 0; }

    // Asks where Export… writes, offering a name; empty: nothing is written. Tests answer with a path.
    std::function<QString(const QString& suggested)> chooseExportFile;
    // Follows an export as its rows are written (every few hundred, from the first) and answers false to
    // stop it; a progress dialog with Cancel, shown once an export takes a while. Tests cancel part-way.
    using ExportProgress = std::function<bool(std::uint64_t written, std::uint64_t total)>;
    ExportProgress exportProgress;
    // Asks where the catalogue is kept (a server's URI, or empty for this computer's file), offering the
    // present one; none: cancelled. Tests answer with a text.
    std::function<std::optional<QString>(const QString& current)> askLocation;
    // Makes the search thread's connection. Tests wrap it to hold a search back.
    SearchWorker::OpenSearch openSearch;

    QLineEdit* txtSearch = nullptr;
    QLabel* lblEmpty = nullptr;
    QTabWidget* tabViews = nullptr;
    QTableView* grdResults = nullptr;
    QTableView* grdDisks = nullptr;
    QTreeWidget* tvwFolders = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdCatalogueDisk = nullptr;
    QPushButton* cmdLocation = nullptr;
    QProgressBar* barWalk = nullptr;

public slots:
    void txtSearch_Change();
    void cmdRemove_Click();
    void cmdExport_Click();
    void cmdCatalogueDisk_Click();
    void cmdLocation_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int ResultsTab = 0;
    static constexpr int DisksTab = 1;

    // A catalogued disk in the Zip drive: its record with the facts read now, and where its tree is.
    struct DriveDisk {
        DiskRecord disk;
        std::string folder;
        std::vector<std::string> otherMounts;
    };

    using HitTable = RecordTableModel<SearchHit>;
    using DiskTable = RecordTableModel<DiskRecord>;

    std::vector<HitTable::Column> hitColumns() const;
    std::vector<DiskTable::Column> diskColumns() const;
    QIcon entryIcon(bool isFolder) const;
    // The window's own connection, opened once the catalogue file exists; null while there is none.
    CatalogueStore* store();
    // Lists the disks anew; false when nothing changed.
    bool refreshDisks();
    void showResults(std::uint64_t generation, const Result<SearchResult>& result);
    void showCount();
    void showEmptyHint();
    // Shows the disk of a hit in the disks view, its tree opened at the hit.
    void showHit(const QModelIndex& index);
    bool selectDisk(std::int64_t diskId);
    // Shows the tree of the disk chosen in the list.
    void diskChosen();
    // Lists a folder's entries under its item, the first time it is opened.
    void fillFolder(QTreeWidgetItem& folder);
    std::int64_t chosenDiskId() const;
    std::string diskTitle(const DiskRecord& disk) const;
    QString dateText(std::int64_t seconds) const;
    QString sizeText(std::uint64_t bytes) const;
    void makeExportSeams();
    // Catalogue This Disk and the walk's bar, in the bottom row.
    void makeWalkControls(QHBoxLayout& row);
    // Location..., in the bottom row.
    void makeLocationControls(QHBoxLayout& row);
    // The disk in the Zip drive named in the profile, when the catalogue knows it; else why not.
    Result<DriveDisk> diskInDrive();
    // Catalogue This Disk is there for a disk the catalogue knows, and says why not otherwise.
    void checkDiskInDrive();
    void offerDiskInDrive(const Result<DriveDisk>& found);
    // Drops the window's connections and reads the catalogue file that is there now.
    void reopenCatalogue();
    void restoreLayout();
    void saveLayout();

    WindowServices m_services;
    std::unique_ptr<CatalogueStore> m_store;
    std::string m_problem; // why the catalogue shows nothing, in place of the hint for an empty one
    HitTable* m_hits = nullptr;
    DiskTable* m_disks = nullptr;
    QSortFilterProxyModel* m_sortedHits = nullptr;
    QSortFilterProxyModel* m_sortedDisks = nullptr;
    std::uint64_t m_totalHits = 0;
    bool m_totalEstimated = false;
    std::uint64_t m_awaited = 0; // the search whose results are on their way
    std::string m_searchFailure;
    std::string m_queryProblem;  // what is wrong with the search as typed (a filter it cannot read)
    std::int64_t m_treeDisk = 0; // the disk the tree shows
    std::vector<std::string> m_savedLayout; // the [CATALOGUE] keys as read; written again only when changed
    std::unique_ptr<QProgressDialog> m_exportDialog; // while an export runs
    bool m_walking = false;                          // as last reported
    // The style's folder and file icons, made once: a new icon for every row shown reads its picture anew.
    mutable std::array<QIcon, 2> m_entryIcons;
    std::uint64_t m_searchThreads = 0;      // made so far; the newest is m_search
    std::unique_ptr<SearchWorker> m_search; // its thread ends before the rest of the window goes
};
