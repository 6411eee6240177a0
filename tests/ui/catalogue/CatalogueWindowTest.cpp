#include "CatalogueWindowFixture.h"

#include "support/ScopedLocale.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <semaphore>
#include <string>
#include <vector>

namespace {

TEST_F(CatalogueWindowTest, TypingNarrowsTheResultsAndCountsThem) {
    const auto window = openWindow();
    const struct {
        const char* typed;
        Names shown; // by disk number, then path
        const char* count;
    } steps[] = {
        {"ta",
         {"tax return.pdf", "to the tax office.doc", "Taxes", "Tax 2020.pdf", "tax 2019.pdf"},
         "5 matches"},
        {"tax 2019", {"tax 2019.pdf"}, "1 match"},
        // The folder first, then what it holds.
        {"taxes", {"Taxes", "Tax 2020.pdf", "tax 2019.pdf"}, "3 matches"},
        {"ext:pdf -work", {"Tax 2020.pdf", "tax 2019.pdf"}, "2 matches"},
        // A filter typed wrong clears the results and says why in the count's place.
        {"ext:pdf size:>big",
         {},
         "\"size:>big\" is not a size filter: write > or < and a size, as in size:>100MB or size:<1KB (units "
         "B, KB, MB, GB or TB, 1 KB being 1024 bytes)."},
        {"", {}, "Type any part of a name or of its folders, or a filter."},
    };
    for (const auto& step : steps) {
        type(*window, step.typed);
        EXPECT_EQ(shownNames(*window), step.shown) << step.typed;
        EXPECT_EQ(window->lblCount->text().toStdString(), step.count) << step.typed;
    }
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_FALSE(window->lblEmpty->isVisible());
}

// A label printed while the window was in the background brought a disk in: coming to the front, the
// window lists it and searches again.
TEST_F(CatalogueWindowTest, ComingToTheFrontShowsDisksRecordedMeanwhile) {
    const auto window = openWindow();
    type(*window, "tax 2019");
    EXPECT_EQ(shownNames(*window), Names{"tax 2019.pdf"});
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    addDisk(60, "NEW", 0x60, {FileEntry("", "tax 2019 copy.pdf", 10, LocalTime(2020, 1, 1, 0, 0, 0))});
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 5000));
    EXPECT_EQ(shownNames(*window), (Names{"tax 2019.pdf", "tax 2019 copy.pdf"}));
}

// A walk that ends while the window is open has changed a disk's list: the search runs again.
TEST_F(CatalogueWindowTest, AWalkThatEndsShowsWhatItRecorded) {
    const auto window = openWindow();
    type(*window, "tax 2019");
    window->showCatalogueProgress({true, 60, 0});
    addDisk(60, "NEW", 0x60, {FileEntry("", "tax 2019 copy.pdf", 10, LocalTime(2020, 1, 1, 0, 0, 0))});
    window->showCatalogueProgress({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 5000));
    EXPECT_EQ(shownNames(*window), (Names{"tax 2019.pdf", "tax 2019 copy.pdf"}));
}

// #43 is #42 labelled again as a new disk: the same disk recorded twice, which its copies say.
TEST_F(CatalogueWindowTest, DuplicatesShowTheirDisksAndADiskRecordedTwiceAsSuch) {
    addDisk(43, "ZIPDISK", 0x1A2B3C4D,
            {FileEntry("", "tax 2019.pdf", 2048, LocalTime(2020, 2, 1, 12, 0, 0))});
    addDisk(44, "OTHER", 0x44, {FileEntry("", "tax return.pdf", 40000, LocalTime(2025, 5, 1, 9, 0, 0))});
    const auto window = openWindow();
    type(*window, "dupes:");
    std::vector<std::string> rows;
    for (int row = 0; row < window->grdResults->model()->rowCount(); ++row) {
        const auto cell = [&](int column) {
            return window->grdResults->model()->index(row, column).data().toString().toStdString();
        };
        rows.push_back(cell(0) + " " + cell(3));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"#42 (same disk as #43) tax 2019.pdf",
                                              "#43 (same disk as #42) tax 2019.pdf", "#7 tax return.pdf",
                                              "#44 tax return.pdf"}));
}

TEST_F(CatalogueWindowTest, ASupersededSearchNeverOverwritesANewerOne) {
    // Every search waits for its turn to be let go.
    std::counting_semaphore<16> go(0);
    std::atomic<int> entered{0};
    const auto window = openWindow();
    // Let go before the window waits for its search thread, whatever happens below.
    const std::shared_ptr<void> letGo(nullptr, [&](void*) { go.release(8); });
    window->openSearch = [&, open = window->openSearch]() -> Result<SearchWorker::Searcher> {
        Result<SearchWorker::Searcher> opened = open();
        if (!opened) {
            return opened;
        }
        return SearchWorker::Searcher{[&, search = opened->search](const std::string& text) {
                                          ++entered;
                                          go.acquire();
                                          return search(text);
                                      },
                                      opened->interrupt};
    };

    window->txtSearch->setText("ta");
    ASSERT_TRUE(QTest::qWaitFor([&] { return entered == 1; }, 5000));
    window->txtSearch->setText("tax");
    window->txtSearch->setText("tax 2019");
    // The older search ends while the newer one is still to come: its results must not be shown. Of the
    // searches typed meanwhile only the newest runs, so that the second one let go ends the wait.
    go.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return entered == 2; }, 5000));
    QTest::qWait(20);
    EXPECT_TRUE(window->searching());
    EXPECT_EQ(shownNames(*window), Names{});

    go.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 5000));
    EXPECT_EQ(shownNames(*window), Names{"tax 2019.pdf"});
    EXPECT_EQ(window->lblCount->text(), "1 match");
}

TEST_F(CatalogueWindowTest, ResultsSortByTheValuesTheirColumnsShow) {
    const auto window = openWindow();
    type(*window, "ta");
    enum { Disk, Volume, FolderColumn, Name, Size, Modified, LabelledColumn };
    const struct {
        int column;
        Names expected;
    } cases[] = {
        // 900 bytes, 2.0 KB, 3.0 KB, 39.1 KB; the folder before every file.
        {Size, {"Taxes", "to the tax office.doc", "tax 2019.pdf", "Tax 2020.pdf", "tax return.pdf"}},
        // 01-Feb-20 before 01-Feb-21 before 05-Jan-24 before 01-May-25, not by their text.
        {Modified, {"Taxes", "tax 2019.pdf", "Tax 2020.pdf", "to the tax office.doc", "tax return.pdf"}},
        // #7 before #42: numbers, not texts. Ties keep the order they had.
        {Disk, {"tax return.pdf", "Taxes", "tax 2019.pdf", "Tax 2020.pdf", "to the tax office.doc"}},
    };
    for (const auto& c : cases) {
        window->grdResults->sortByColumn(c.column, Qt::AscendingOrder);
        EXPECT_EQ(shownNames(*window), c.expected) << c.column;
    }
    // Names as a person looks them up: an accented letter beside its plain one, not after "z".
    const ScopedLocale english;
    addDisk(9, "MIXED", 9,
            {FileEntry("", "Zoo.txt", 1, {}), FileEntry("", "zèbre.txt", 1, {}),
             FileEntry("", "Été.txt", 1, {}), FileEntry("", "eau.txt", 1, {})});
    type(*window, ".txt");
    window->grdResults->sortByColumn(Name, Qt::AscendingOrder);
    EXPECT_EQ(shownNames(*window), (Names{"eau.txt", "Été.txt", "zèbre.txt", "Zoo.txt"}));
}

TEST_F(CatalogueWindowTest, EnterOrADoubleClickShowsTheDiskWithItsTreeOpenAtTheEntry) {
    const auto window = openWindow();
    type(*window, "tax 2019");
    // Down from the search field into the results, then Enter.
    QTest::keyClick(window->txtSearch, Qt::Key_Down);
    ASSERT_TRUE(window->grdResults->hasFocus());
    QTest::keyClick(window->grdResults, Qt::Key_Return);
    EXPECT_EQ(window->tabViews->currentIndex(), 1);
    EXPECT_EQ(window->grdDisks->currentIndex().row(), 1); // #42, after #7
    std::string path;
    for (const QTreeWidgetItem* item = window->tvwFolders->currentItem(); item; item = item->parent()) {
        path = item->text(0).toStdString() + (path.empty() ? "" : "/") + path;
    }
    EXPECT_EQ(path, "#42 (ZIPDISK)/Taxes/tax 2019.pdf");
    EXPECT_TRUE(window->tvwFolders->currentItem()->parent()->isExpanded());

    // A double click as the system sends it (a click, then the second press) opens it the same way.
    window->tabViews->setCurrentIndex(0);
    const QRect cell = window->grdResults->visualRect(window->grdResults->model()->index(0, 3));
    QTest::mouseClick(window->grdResults->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(window->grdResults->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(window->tabViews->currentIndex(), 1);
}

// Nothing is passed over in silence: a folder never read is not an empty one.
TEST_F(CatalogueWindowTest, FoldersThatCouldNotBeReadAreMarkedAndCounted) {
    addDisk(9, "OLD", 0x9,
            {FolderEntry("", "Letters"), FolderEntry("", "Private"), FolderEntry("Letters", "Locked"),
             FileEntry("Letters", "a.doc", 1, LocalTime(2024, 1, 5, 10, 0, 0))},
            false, {"Private", "Letters/Locked"});
    const auto window = openWindow();
    window->tabViews->setCurrentIndex(1);
    const QAbstractItemModel& disks = *window->grdDisks->model();
    const int status = disks.columnCount() - 1;
    ASSERT_EQ(disks.headerData(status, Qt::Horizontal).toString(), "Status");
    const char* const statuses[] = {"Incomplete", "Incomplete; 2 folders unreadable", ""}; // #7, #9, #42
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(disks.index(row, status).data().toString().toStdString(), statuses[row]) << row;
    }

    window->grdDisks->selectRow(1);
    QTreeWidgetItem* root = window->tvwFolders->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    // A folder's entries are read as it is opened, a file's size beside its name.
    QTreeWidgetItem* letters = root->child(0);
    EXPECT_EQ(letters->childCount(), 0);
    window->tvwFolders->expandItem(letters);
    EXPECT_EQ(letters->child(1)->text(1), "1 byte");
    const QColor grey = window->palette().color(QPalette::Disabled, QPalette::Text);
    const struct {
        QTreeWidgetItem* item;
        const char* text;
        bool marked;
    } items[] = {
        {letters, "Letters", false},
        {root->child(1), "Private (could not be read)", true},
        {letters->child(0), "Locked (could not be read)", true},
        {letters->child(1), "a.doc", false},
    };
    for (const auto& i : items) {
        EXPECT_EQ(i.item->text(0).toStdString(), i.text);
        EXPECT_EQ(i.item->foreground(0).color() == grey, i.marked) << i.text;
    }
    // Nothing to open under a folder never read.
    EXPECT_NE(root->child(1)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST_F(CatalogueWindowTest, NamesThatAreNotUtf8ShowReplacementMarks) {
    addDisk(5, "OLD\xE9", 0x5, {FileEntry("", "bad\xFF.txt", 1, LocalTime(2024, 1, 5, 10, 0, 0))});
    const auto window = openWindow();
    type(*window, "bad");
    const QAbstractItemModel& results = *window->grdResults->model();
    ASSERT_EQ(results.rowCount(), 1);
    EXPECT_EQ(results.index(0, 1).data().toString(), QString::fromUtf8("OLD\uFFFD"));
    EXPECT_EQ(results.index(0, 3).data().toString(), QString::fromUtf8("bad\uFFFD.txt"));
}

TEST_F(CatalogueWindowTest, RemovingADiskAsksFirst) {
    const struct {
        const char* how;
        std::function<void(frmCatalogue&)> remove;
        int answer;
        std::size_t disksAfter;
        Names resultsAfter;
    } cases[] = {
        {"the Delete key",
         [](frmCatalogue& window) {
             window.grdDisks->setFocus();
             QTest::keyClick(window.grdDisks, Qt::Key_Delete);
         },
         AnswerNo,
         2,
         {"Tax 2020.pdf", "tax 2019.pdf"}},
        {"the Remove button", [](frmCatalogue& window) { window.cmdRemove->click(); }, AnswerYes, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        messages->shown.clear();
        messages->yesNo = c.answer;
        const auto window = openWindow();
        type(*window, "tax 20");
        window->tabViews->setCurrentIndex(1);
        window->grdDisks->selectRow(1);
        c.remove(*window);

        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].style, MessageYesNo | MessageQuestion);
        EXPECT_NE(messages->shown[0].prompt.find("Remove disk #42 (ZIPDISK) from the catalogue?"),
                  std::string::npos);
        EXPECT_EQ(window->shownDisks().size(), c.disksAfter);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 5000));
        EXPECT_EQ(shownNames(*window), c.resultsAfter);
    }
    // With the last disk gone, no tree is left and nothing to remove.
    const auto window = openWindow();
    window->tabViews->setCurrentIndex(1);
    for (int left = 2; left > 0; --left) {
        window->grdDisks->selectRow(0);
        window->cmdRemove->click();
    }
    EXPECT_TRUE(window->shownDisks().empty());
    EXPECT_EQ(window->tvwFolders->topLevelItemCount(), 0);
    EXPECT_FALSE(window->cmdRemove->isEnabled());
}

TEST_F(CatalogueWindowTest, TheWindowKeepsItsSizeAndColumnsInItsOwnSection) {
    const std::string global = "[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=42\r\n";
    {
        const auto window = openWindow();
        window->resize(700, 450);
        window->grdResults->horizontalHeader()->resizeSection(2, 222);
        QTest::keyClick(window.get(), Qt::Key_Escape); // hiding keeps the layout
    }
    const std::string profile = ReadBytes(profileFile);
    EXPECT_EQ(profile.rfind(global + "[CATALOGUE]\r\nWIDTH=700\r\nHEIGHT=450\r\n", 0), 0u) << profile;

    const auto again = openWindow();
    EXPECT_EQ(again->size(), QSize(700, 450));
    EXPECT_EQ(again->grdResults->horizontalHeader()->sectionSize(2), 222);
}

TEST_F(CatalogueWindowTest, AnEmptyOrUnusableCatalogueSaysSoAndTheWindowStillOpens) {
    for (const bool folderInItsPlace : {false, true}) {
        SCOPED_TRACE(folderInItsPlace);
        messages->shown.clear();
        std::filesystem::remove_all(catalogueFile);
        if (folderInItsPlace) {
            std::filesystem::create_directories(catalogueFile);
        }
        const auto window = openWindow();
        EXPECT_TRUE(window->lblEmpty->isVisible());
        const std::string hint = window->lblEmpty->text().toStdString();
        EXPECT_EQ(hint.rfind(folderInItsPlace ? "The disk catalogue cannot be opened: " : "No disks yet.", 0),
                  0u)
            << hint;
        ASSERT_EQ(messages->shown.size(), folderInItsPlace ? 1u : 0u);
        type(*window, "tax");
        EXPECT_TRUE(window->shownHits().empty());
        EXPECT_EQ(std::filesystem::exists(catalogueFile), folderInItsPlace); // looking creates nothing
    }
    services.catalogue = nullptr; // a run that keeps none
    const auto window = openWindow();
    EXPECT_EQ(window->windowTitle().toStdString(), "Disk Catalogue");
    EXPECT_EQ(window->lblEmpty->text().toStdString(), "No disk catalogue is kept in this run.");
}

// The window only reads: a damaged file is said where the window meets it, with what to do, and stays as it
// is for a backup to replace or a recording to move aside.
TEST_F(CatalogueWindowTest, ADamagedCatalogueIsSaidInTheWindowAndLeftAsItIs) {
    const std::string whole = ReadBytes(catalogueFile);
    const struct {
        const char* name;
        std::function<void()> damage;
        const char* search; // where the damage is met; none: on opening
    } cases[] = {
        {"its list of disks", [this] { Scribble(catalogueFile, "disks"); }, ""},
        {"its entries", [this] { Scribble(catalogueFile, "entry_blocks"); }, "tax"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(catalogueFile, whole);
        c.damage();
        const std::string damaged = ReadBytes(catalogueFile);
        {
            const auto window = openWindow();
            if (*c.search != '\0') {
                type(*window, c.search);
                EXPECT_EQ(window->lblCount->text(), "The search failed.");
            }
            EXPECT_TRUE(window->lblEmpty->isVisible());
            const std::string hint = window->lblEmpty->text().toStdString();
            EXPECT_NE(hint.find(catalogueFile + " is damaged"), std::string::npos) << hint;
            EXPECT_NE(hint.find("Put a backup in its place"), std::string::npos) << hint;
        }
        EXPECT_EQ(ReadBytes(catalogueFile), damaged);
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(catalogueFile).parent_path())) {
            EXPECT_EQ(entry.path().filename().string().find(".corrupt-"), std::string::npos) << entry.path();
        }
    }
}

} // namespace
