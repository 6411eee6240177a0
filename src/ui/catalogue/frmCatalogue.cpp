// The Catalogue window: building it, the columns of its two lists, its own connection to the catalogue and
// the keys that move between its parts.
#include "ui/catalogue/frmCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/CatalogueText.h"
#include "core/disks/DiskInfo.h"
#include "core/runtime/FileAccess.h"
#include "core/runtime/LocaleFormats.h"
#include "core/runtime/Runtime.h"
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

#include <chrono>
#include <initializer_list>

namespace {

constexpr std::size_t MostHits = 1000;

const char* const EmptyCatalogueText =
    "No disks yet. Every label you print is recorded here: the disk's number and space, and every folder and "
    "file on it, to be found again by any part of its name.";

QString Text(const std::string& bytes) {
    return QString::fromStdString(NameText(bytes));
}

QString DiskNumberText(int number) {
    return QString("#%1").arg(number);
}

std::string CannotOpenMessage(const std::string& path, const std::string& reason, bool shared) {
    return std::string(shared ? "The shared disk catalogue " : "The disk catalogue ") + path +
           " cannot be opened: " + reason +
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

// Room for the usual texts, in twips; the last column takes what is left.
void SetWidthsTwips(QHeaderView& header, std::initializer_list<int> widths) {
    int section = 0;
    for (const int width : widths) {
        header.resizeSection(section++, TwipsToPixelsX(width));
    }
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
    txtSearch->setPlaceholderText("Words from names or their folders, all required; filters such as ext:pdf "
                                  "size:>1MB modified:2019 -word");
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
    // In the search's own order until a heading is clicked: the best matches come first.
    grdResults->sortByColumn(-1, Qt::AscendingOrder);
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
    makeLocationControls(*bottomRow);
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
    QWidget::setTabOrder(cmdCatalogueDisk, cmdLocation);
    QWidget::setTabOrder(cmdLocation, cmdExport);

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
        {"Disk", [](Hit h) { return QString::fromStdString(HitDiskText(h)); },
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
    QIcon& icon = m_entryIcons[isFolder ? 1 : 0];
    if (icon.isNull()) {
        icon = style()->standardIcon(isFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
    return icon;
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
    const std::string path = m_services.catalogue->shownPath();
    if (!m_services.catalogue->givesNumbers() && NothingAt(path)) {
        return nullptr; // nothing recorded yet; looking creates nothing
    }
    // Only reads: a damaged file stays where it is, said here, until a recording moves it aside.
    Result<std::unique_ptr<CatalogueStore>> opened = m_services.catalogue->openStore(CatalogueAccess::Read);
    if (!opened) {
        const bool shared = m_services.catalogue->givesNumbers();
        m_problem = std::string(shared ? "The shared disk catalogue" : "The disk catalogue") +
                    " cannot be opened: " + opened.reason() + ".";
        MsgBox(m_services, CannotOpenMessage(path, opened.reason(), shared), 0);
        return nullptr;
    }
    m_store = std::move(opened).value();
    return m_store.get();
}

void frmCatalogue::showEmptyHint() {
    const std::string hint = !m_problem.empty()           ? m_problem
                             : !m_searchFailure.empty()   ? "The search failed: " + m_searchFailure + "."
                             : m_disks->records().empty() ? EmptyCatalogueText
                                                          : "";
    lblEmpty->setText(QString::fromStdString(hint));
    lblEmpty->setVisible(!hint.empty());
}

QString frmCatalogue::dateText(std::int64_t seconds) const {
    if (seconds == 0) {
        return {};
    }
    const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    return QString::fromStdString(FormatsOf(m_services).mediumDate(when));
}

QString frmCatalogue::sizeText(std::uint64_t bytes) const {
    return QString::fromStdString(SizeText(bytes, FormatsOf(m_services).decimalSeparator()));
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
