#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"
#include "core/disks/DiskInfo.h"
#include "core/runtime/FileAccess.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/MessageService.h"
#include "core/runtime/Runtime.h"
#include "core/settings/ProfileAccess.h"
#include "ui/forms/Geometry.h"
#include "ui/forms/Screen.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <initializer_list>
#include <system_error>

namespace {

constexpr const char* LayoutSection = "CATALOGUE";
// Window size and column widths, in pixels: a value must fit the 49 characters a profile read gives back,
// and the widths of nine columns in twips need not.
constexpr std::array<const char*, 5> LayoutKeys = {"WIDTH", "HEIGHT", "RESULTS", "DISKS", "FOLDERS"};
constexpr int LongestRemembered = 9999;

constexpr std::size_t MostHits = 1000;

// A tree item's entry: its path on the disk as the catalogue stores it, and whether its folder is listed.
constexpr int PathRole = Qt::UserRole;
constexpr int ListedRole = Qt::UserRole + 1;

const char* const EmptyCatalogueText =
    "No disks yet. Every label you print is recorded here: the disk's number and space, and every folder and "
    "file on it, to be found again by any part of its name.";

QString Text(const std::string& bytes) {
    return QString::fromStdString(NameText(bytes));
}

QString DiskNumberText(int number) {
    return QString("#%1").arg(number);
}

std::string CannotOpenMessage(const std::string& path, const std::string& reason) {
    return "The disk catalogue " + path + " cannot be opened: " + reason +
           ".\r\n\r\nThe Catalogue window stays empty; disks are examined and labels printed as usual.";
}

QSortFilterProxyModel* MakeSorter(QAbstractItemModel* model, int sortRole, QObject* parent) {
    auto* sorter = new QSortFilterProxyModel(parent);
    sorter->setSourceModel(model);
    sorter->setSortRole(sortRole);
    sorter->setSortLocaleAware(true);
    return sorter;
}

QTableView* MakeTable(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control, as from any list.
    table->setTabKeyNavigation(false);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
    table->setSortingEnabled(true);
    table->sortByColumn(0, Qt::AscendingOrder);
    return table;
}

std::string WidthsText(const QHeaderView& header) {
    std::string text;
    for (int i = 0; i < header.count(); ++i) {
        text += (i > 0 ? "," : "") + std::to_string(std::clamp(header.sectionSize(i), 1, LongestRemembered));
    }
    return text;
}

int WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

void ApplyWidths(QHeaderView& header, const std::string& text) {
    std::string_view rest = text;
    for (int i = 0; i < header.count() && !rest.empty(); ++i) {
        const std::size_t comma = rest.find(',');
        const int width = WholeNumber(rest.substr(0, comma));
        if (width > 0 && width <= LongestRemembered) {
            header.resizeSection(i, width);
        }
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
}

// Room for the usual texts, in twips; the last column takes what is left.
void SetWidthsTwips(QHeaderView& header, std::initializer_list<int> widths) {
    int section = 0;
    for (const int width : widths) {
        header.resizeSection(section++, TwipsToPixelsX(width));
    }
}

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

frmCatalogue::frmCatalogue(const WindowServices& services, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName("frmCatalogue");
    setWindowTitle("Disk Catalogue");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont("MS Sans Serif", 8.25));
    setSizeGripEnabled(true);
    setMinimumSize(TwipsToPixelsX(6000), TwipsToPixelsY(4200));
    resize(TwipsToPixelsX(11250), TwipsToPixelsY(6750));

    auto* lblFind = new QLabel("&Find:", this);
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName("txtSearch");
    txtSearch->setPlaceholderText("Any part of a folder's or file's name; several words must all be in it");
    txtSearch->setClearButtonEnabled(true);
    lblFind->setBuddy(txtSearch);

    lblEmpty = new QLabel(this);
    lblEmpty->setObjectName("lblEmpty");
    lblEmpty->setWordWrap(true);
    lblEmpty->hide();

    tabViews = new QTabWidget(this);
    tabViews->setObjectName("tabViews");

    m_hits = new HitTable(hitColumns(), this);
    m_sortedHits = MakeSorter(m_hits, HitTable::SortRole, this);
    grdResults = MakeTable(tabViews, "grdResults", m_sortedHits);
    tabViews->addTab(grdResults, "&Results");

    m_disks = new DiskTable(diskColumns(), this);
    m_sortedDisks = MakeSorter(m_disks, DiskTable::SortRole, this);

    auto* disksPage = new QWidget(tabViews);
    auto* splitter = new QSplitter(Qt::Vertical, disksPage);
    grdDisks = MakeTable(splitter, "grdDisks", m_sortedDisks);
    tvwFolders = new QTreeWidget(splitter);
    tvwFolders->setObjectName("tvwFolders");
    tvwFolders->setHeaderLabels({"Name", "Size", "Modified"});
    tvwFolders->setUniformRowHeights(true);
    tvwFolders->header()->setStretchLastSection(true);
    cmdRemove = new QPushButton("Re&move Disk...", disksPage);
    cmdRemove->setObjectName("cmdRemove");
    cmdRemove->setEnabled(false);
    auto* disksLayout = new QVBoxLayout(disksPage);
    disksLayout->addWidget(splitter, 1);
    auto* removeRow = new QHBoxLayout;
    removeRow->addWidget(cmdRemove);
    removeRow->addStretch(1);
    disksLayout->addLayout(removeRow);
    tabViews->addTab(disksPage, "&Disks");

    lblCount = new QLabel(this);
    lblCount->setObjectName("lblCount");
    cmdExport = new QPushButton("E&xport...", this);
    cmdExport->setObjectName("cmdExport");
    // No button takes Enter: in the results it shows the disk.
    for (QPushButton* button : {cmdRemove, cmdExport}) {
        button->setAutoDefault(false);
    }

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(lblFind);
    findRow->addWidget(txtSearch, 1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(lblCount, 1);
    makeWalkControls(*bottomRow);
    bottomRow->addWidget(cmdExport);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(lblEmpty);
    layout->addWidget(tabViews, 1);
    layout->addLayout(bottomRow);

    SetWidthsTwips(*grdResults->horizontalHeader(), {750, 1350, 1950, 3000, 1050, 1125});
    SetWidthsTwips(*grdDisks->horizontalHeader(), {675, 1125, 1125, 825, 825, 825, 1050, 1050, 675});
    SetWidthsTwips(*tvwFolders->header(), {3900, 1050});

    QWidget::setTabOrder(txtSearch, tabViews);
    QWidget::setTabOrder(tabViews, grdResults);
    QWidget::setTabOrder(grdResults, grdDisks);
    QWidget::setTabOrder(grdDisks, tvwFolders);
    QWidget::setTabOrder(tvwFolders, cmdRemove);
    QWidget::setTabOrder(cmdRemove, cmdCatalogueDisk);
    QWidget::setTabOrder(cmdCatalogueDisk, cmdExport);

    connect(txtSearch, &QLineEdit::textChanged, this, &frmCatalogue::txtSearch_Change);
    connect(grdResults, &QTableView::doubleClicked, this, &frmCatalogue::showHit);
    connect(grdDisks->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmCatalogue::diskChosen);
    connect(tvwFolders, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { fillFolder(*item); });
    connect(tabViews, &QTabWidget::currentChanged, this, &frmCatalogue::showCount);
    connect(cmdRemove, &QPushButton::clicked, this, &frmCatalogue::cmdRemove_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmCatalogue::cmdExport_Click);
    for (QObject* watched : {static_cast<QObject*>(txtSearch), static_cast<QObject*>(grdResults),
                             static_cast<QObject*>(grdDisks)}) {
        watched->installEventFilter(this);
    }

    makeExportSeams();
    if (m_services.catalogue) {
        openSearch = [catalogue = m_services.catalogue]() -> Result<SearchWorker::Searcher> {
            Result<std::unique_ptr<CatalogueStore>> opened = catalogue->openStore(CatalogueAccess::Read);
            if (!opened) {
                return Failure{opened.reason()};
            }
            const std::shared_ptr<CatalogueStore> store(std::move(opened).value());
            return SearchWorker::Searcher{
                [store](const std::string& text) { return store->search(text, MostHits); },
                [store] { store->interrupt(); }};
        };
    }
}

std::vector<frmCatalogue::HitTable::Column> frmCatalogue::hitColumns() const {
    using Hit = const SearchHit&;
    const auto time = [](std::int64_t seconds) { return QVariant(qlonglong(seconds)); };
    return {
        {"Disk", [](Hit h) { return DiskNumberText(h.diskNumber); },
         [](Hit h) { return QVariant(h.diskNumber); }, true},
        {"Volume", [](Hit h) { return Text(h.volumeName); }},
        {"Folder", [](Hit h) { return "/" + Text(h.entry.folder); }},
        {"Name", [](Hit h) { return Text(h.entry.name); },
         [this](Hit h) { return entryIcon(h.entry.isFolder); }},
        {"Size", [this](Hit h) { return h.entry.isFolder ? QString() : sizeText(h.entry.size); },
         // Folders before the smallest file.
         [](Hit h) { return QVariant(h.entry.isFolder ? -1 : qlonglong(h.entry.size)); }, true},
        {"Modified", [this](Hit h) { return dateText(h.entry.modified); },
         [=](Hit h) { return time(h.entry.modified); }, false},
        {"Labelled", [this](Hit h) { return dateText(h.lastLabelled); },
         [=](Hit h) { return time(h.lastLabelled); }, false},
    };
}

std::vector<frmCatalogue::DiskTable::Column> frmCatalogue::diskColumns() const {
    using Disk = const DiskRecord&;
    const auto bytes = [this](const char* title, std::uint64_t DiskRecord::*field) {
        return DiskTable::Column(
            title, [this, field](Disk d) { return sizeText(d.*field); },
            [field](Disk d) { return QVariant(qlonglong(d.*field)); }, true);
    };
    const auto date = [this](const char* title, std::int64_t DiskRecord::*field) {
        return DiskTable::Column(
            title, [this, field](Disk d) { return dateText(d.*field); },
            [field](Disk d) { return QVariant(qlonglong(d.*field)); }, false);
    };
    return {
        {"Disk", [](Disk d) { return DiskNumberText(d.number); }, [](Disk d) { return QVariant(d.number); },
         true},
        {"Volume", [](Disk d) { return Text(d.volumeName); }},
        {"Serial", [](Disk d) { return QString::fromStdString(SerialText(d.serial)); },
         [](Disk d) { return QVariant(d.serial); }, false},
        bytes("Capacity", &DiskRecord::capacityBytes),
        bytes("Used", &DiskRecord::usedBytes),
        bytes("Free", &DiskRecord::freeBytes),
        date("First labelled", &DiskRecord::firstLabelled),
        date("Last labelled", &DiskRecord::lastLabelled),
        {"Entries", [](Disk d) { return QString::fromStdString(GroupedCount(d.entries)); },
         [](Disk d) { return QVariant(qulonglong(d.entries)); }, true},
        {"Status", [](Disk d) { return QString::fromStdString(DiskStatusText(d)); }},
    };
}

QIcon frmCatalogue::entryIcon(bool isFolder) const {
    return style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
}

frmCatalogue::~frmCatalogue() {
    // The search thread posts to this window: it ends while the window is whole.
    m_search.reset();
}

void frmCatalogue::Form_Load() {
    restoreLayout();
    if (!m_services.catalogue) {
        m_problem = "No disk catalogue is kept in this run.";
    }
    refreshDisks();
    showEmptyHint();
    showCount();
    txtSearch->setFocus();
}

CatalogueStore* frmCatalogue::store() {
    if (m_store || !m_problem.empty() || !m_services.catalogue) {
        return m_store.get();
    }
    const std::string& path = m_services.catalogue->path();
    if (NothingAt(path)) {
        return nullptr; // nothing recorded yet; looking creates nothing
    }
    // Only reads: a damaged file stays where it is, said here, until a recording moves it aside.
    Result<std::unique_ptr<CatalogueStore>> opened = m_services.catalogue->openStore(CatalogueAccess::Read);
    if (!opened) {
        m_problem = "The disk catalogue cannot be opened: " + opened.reason() + ".";
        MsgBox(m_services, CannotOpenMessage(path, opened.reason()), 0);
        return nullptr;
    }
    m_store = std::move(opened).value();
    return m_store.get();
}

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

void frmCatalogue::txtSearch_Change() {
    const std::string text = txtSearch->text().trimmed().toStdString();
    m_searchFailure.clear();
    showEmptyHint();
    if (text.empty() || !store() || !openSearch) {
        if (m_search) {
            m_search->cancel();
        }
        m_awaited = 0;
        m_totalHits = 0;
        m_hits->setRecords({});
        showCount();
        return;
    }
    if (!m_search) {
        // What a search thread since replaced still sends is dropped: its generations start again.
        m_search = std::make_unique<SearchWorker>(
            openSearch,
            [this, thread = ++m_searchThreads](std::uint64_t generation, Result<SearchResult> result) {
                QMetaObject::invokeMethod(
                    this,
                    [this, thread, generation, result = std::move(result)] {
                        if (thread == m_searchThreads) {
                            showResults(generation, result);
                        }
                    },
                    Qt::QueuedConnection);
            });
    }
    m_awaited = m_search->request(text);
}

void frmCatalogue::showResults(std::uint64_t generation, const Result<SearchResult>& result) {
    // Typing went on while this search ran: a newer one is on its way.
    if (!m_search || !m_search->isCurrent(generation)) {
        return;
    }
    m_awaited = 0;
    if (result) {
        m_totalHits = result->total;
        m_hits->setRecords(result->hits);
    } else {
        m_searchFailure = result.reason();
        m_totalHits = 0;
        m_hits->setRecords({});
        showEmptyHint();
    }
    showCount();
}

void frmCatalogue::showCount() {
    std::string text;
    if (tabViews->currentIndex() == DisksTab) {
        const int disks = m_sortedDisks->rowCount();
        text = disks == 0
                   ? ""
                   : GroupedCount(static_cast<std::uint64_t>(disks)) + (disks == 1 ? " disk" : " disks");
    } else if (!m_searchFailure.empty()) {
        text = "The search failed."; // why is said above the lists, where long words wrap
    } else if (txtSearch->text().trimmed().isEmpty()) {
        text = m_disks->records().empty() ? "" : "Type any part of a folder's or file's name.";
    } else if (m_awaited == 0) {
        text = MatchCountText(static_cast<std::size_t>(m_hits->rowCount()), m_totalHits);
    } else {
        return; // the count of the newest search comes with its results
    }
    lblCount->setText(QString::fromStdString(text));
}

void frmCatalogue::showEmptyHint() {
    const std::string hint = !m_problem.empty()           ? m_problem
                             : !m_searchFailure.empty()   ? "The search failed: " + m_searchFailure + "."
                             : m_disks->records().empty() ? EmptyCatalogueText
                                                          : "";
    lblEmpty->setText(QString::fromStdString(hint));
    lblEmpty->setVisible(!hint.empty());
}

std::vector<SearchHit> frmCatalogue::shownHits() const {
    std::vector<SearchHit> hits;
    for (int row = 0; row < m_sortedHits->rowCount(); ++row) {
        hits.push_back(m_hits->record(m_sortedHits->mapToSource(m_sortedHits->index(row, 0)).row()));
    }
    return hits;
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
        auto item = std::make_unique<QTreeWidgetItem>(QStringList{
            Text(entry.name), entry.isFolder ? QString() : sizeText(entry.size), dateText(entry.modified)});
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
    if (!selectDisk(hit.diskId) && !(refreshDisks() && selectDisk(hit.diskId))) {
        return; // removed since the search
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
    const Result<Done> removed =
        changing ? (*changing)->removeDisk(disk.id) : Result<Done>(Failure{changing.reason()});
    if (!removed) {
        MsgBox(m_services,
               "Disk " + diskTitle(disk) + " is still in the catalogue: " + removed.reason() + ".", 0);
    }
    refreshDisks();
    txtSearch_Change();
}

QString frmCatalogue::dateText(std::int64_t seconds) const {
    if (seconds == 0) {
        return {};
    }
    if (m_services.formats) {
        const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
        return QString::fromStdString(m_services.formats->mediumDate(when));
    }
    return QString::fromStdString(IsoDateTime(seconds).substr(0, 10));
}

QString frmCatalogue::sizeText(std::uint64_t bytes) const {
    return QString::fromStdString(
        SizeText(bytes, m_services.formats ? m_services.formats->decimalSeparator() : '.'));
}

void frmCatalogue::restoreLayout() {
    if (!m_services.profile) {
        return;
    }
    m_savedLayout.clear();
    for (const char* key : LayoutKeys) {
        m_savedLayout.push_back(ProfileAccess(m_services, "GET", LayoutSection, key));
    }
    const int width = WholeNumber(m_savedLayout[0]);
    const int height = WholeNumber(m_savedLayout[1]);
    if (width > 0 && height > 0) {
        resize(std::max(width, minimumWidth()), std::max(height, minimumHeight()));
    }
    ApplyWidths(*grdResults->horizontalHeader(), m_savedLayout[2]);
    ApplyWidths(*grdDisks->horizontalHeader(), m_savedLayout[3]);
    ApplyWidths(*tvwFolders->header(), m_savedLayout[4]);
}

void frmCatalogue::saveLayout() {
    if (!m_services.profile) {
        return;
    }
    const QSize size = isMaximized() || isMinimized() ? normalGeometry().size() : this->size();
    const std::vector<std::string> now = {std::to_string(size.width()), std::to_string(size.height()),
                                          WidthsText(*grdResults->horizontalHeader()),
                                          WidthsText(*grdDisks->horizontalHeader()),
                                          WidthsText(*tvwFolders->header())};
    std::vector<ProfileWrite> writes;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (i >= m_savedLayout.size() || now[i] != m_savedLayout[i]) {
            writes.push_back({LayoutSection, LayoutKeys[i], now[i]});
        }
    }
    if (!writes.empty()) {
        // A size that could not be kept is not worth a message.
        (void)ProfileWriteKeys(m_services, writes);
        m_savedLayout = now;
    }
}

void frmCatalogue::hideEvent(QHideEvent* event) {
    saveLayout();
    QDialog::hideEvent(event);
}

void frmCatalogue::changeEvent(QEvent* event) {
    // Labels printed meanwhile may have brought disks in, and another disk may be in the drive.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (refreshDisks()) {
            txtSearch_Change();
        }
        checkDiskInDrive();
    }
    QDialog::changeEvent(event);
}

bool frmCatalogue::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == txtSearch && (enter || key == Qt::Key_Down) && m_sortedHits->rowCount() > 0) {
        tabViews->setCurrentIndex(ResultsTab);
        if (!grdResults->currentIndex().isValid()) {
            grdResults->setCurrentIndex(m_sortedHits->index(0, 0));
        }
        grdResults->setFocus();
        return true;
    }
    if (watched == grdResults && enter) {
        showHit(grdResults->currentIndex());
        return true;
    }
    if (watched == grdDisks && key == Qt::Key_Delete) {
        cmdRemove_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
