#include "support/SampleCatalogue.h"
#include "support/WindowFixture.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "ui/catalogue/frmCatalogue.h"

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
#include <semaphore>
#include <string>
#include <vector>

namespace {

// A catalogue of two disks: #42 ZIPDISK with taxes, letters and photos, #7 WORK with a report.
class CatalogueWindowTest : public WindowProfileFixture {
protected:
    void SetUp() override {
        WindowProfileFixture::SetUp();
        givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=42\r\n");
        addDisk(42, "ZIPDISK", 0x1A2B3C4D,
                {FolderEntry("", "Letters"), FolderEntry("", "Photos"), FolderEntry("", "Taxes"),
                 FileEntry("Letters", "to the tax office.doc", 900, LocalTime(2024, 1, 5, 10, 0, 0)),
                 FileEntry("Photos", "beach.jpg", 1536 * 1024, LocalTime(2019, 8, 1, 12, 0, 0)),
                 FileEntry("Taxes", "tax 2019.pdf", 2048, LocalTime(2020, 2, 1, 12, 0, 0)),
                 FileEntry("Taxes", "Tax 2020.pdf", 3072, LocalTime(2021, 2, 1, 12, 0, 0))});
        addDisk(7, "WORK", 0xAB,
                {FolderEntry("", "Reports"),
                 FileEntry("Reports", "tax return.pdf", 40000, LocalTime(2025, 5, 1, 9, 0, 0))},
                false);
        services.catalogue = std::make_shared<Catalogue>(catalogueFile, clock);
    }

    void addDisk(int number, const std::string& volume, std::uint32_t serial,
                 const std::vector<CatalogueEntry>& entries, bool complete = true,
                 std::uint64_t skipped = 0) const {
        AddCatalogueDisk(catalogueFile, ZipDisk(number, volume, serial), LocalTime(2026, 3, 14, 9, 47, 0),
                         entries, complete, skipped);
    }

    std::unique_ptr<frmCatalogue> openWindow() {
        auto window = std::make_unique<frmCatalogue>(services);
        window->Form_Load();
        window->show();
        return window;
    }

    // Types into the search field and waits for the newest search's results.
    static void type(frmCatalogue& window, const QString& text) {
        window.txtSearch->clear();
        QTest::keyClicks(window.txtSearch, text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.searching(); }, 5000)) << text.toStdString();
    }

    static std::vector<std::string> shownNames(const frmCatalogue& window) {
        std::vector<std::string> all;
        for (const SearchHit& hit : window.shownHits()) {
            all.push_back(hit.entry.name);
        }
        return all;
    }

    std::string catalogueFile = (dir / "data" / "catalogue.sqlite").string();
};

using Names = std::vector<std::string>;

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
        {"", {}, "Type any part of a folder's or file's name."},
    };
    for (const auto& step : steps) {
        type(*window, step.typed);
        EXPECT_EQ(shownNames(*window), step.shown) << step.typed;
        EXPECT_EQ(window->lblCount->text().toStdString(), step.count) << step.typed;
    }
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(CatalogueWindowTest, ACappedSearchSaysHowManyMatchedInAll) {
    std::vector<CatalogueEntry> many;
    for (int i = 0; i < 1200; ++i) {
        many.push_back(
            FileEntry("", "scan " + std::to_string(i) + ".tif", 10, LocalTime(2020, 1, 1, 0, 0, 0)));
    }
    addDisk(50, "SCANS", 0x50, many);
    const auto window = openWindow();
    type(*window, "scan");
    EXPECT_EQ(window->shownHits().size(), 1000u);
    EXPECT_EQ(window->lblCount->text().toStdString(), "1,000 of 1,200");
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

// The disks as listed are pinned by the golden picture of this tab.
TEST_F(CatalogueWindowTest, TheDisksViewBrowsesADisksTreeFolderByFolder) {
    const auto window = openWindow();
    window->tabViews->setCurrentIndex(1);
    window->grdDisks->selectRow(1);
    ASSERT_EQ(window->tvwFolders->topLevelItem(0)->childCount(), 3);
    QTreeWidgetItem* photos = window->tvwFolders->topLevelItem(0)->child(1);
    EXPECT_EQ(photos->text(0), "Photos");
    window->tvwFolders->expandItem(photos);
    ASSERT_EQ(photos->childCount(), 1);
    EXPECT_EQ(photos->child(0)->text(0) + " " + photos->child(0)->text(1), "beach.jpg 1.5 MB");
}

TEST_F(CatalogueWindowTest, RemovingADiskAsksFirst) {
    const struct {
        int answer;
        std::size_t disksAfter;
        Names resultsAfter;
    } cases[] = {
        {AnswerNo, 2, {"Tax 2020.pdf", "tax 2019.pdf"}},
        {AnswerYes, 1, {}},
    };
    for (const auto& c : cases) {
        messages->shown.clear();
        messages->yesNo = c.answer;
        const auto window = openWindow();
        type(*window, "tax 20");
        window->tabViews->setCurrentIndex(1);
        window->grdDisks->selectRow(1);
        window->grdDisks->setFocus();
        QTest::keyClick(window->grdDisks, Qt::Key_Delete);

        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].style, MessageYesNo | MessageQuestion);
        EXPECT_NE(messages->shown[0].prompt.find("Remove disk #42 (ZIPDISK) from the catalogue?"),
                  std::string::npos);
        EXPECT_EQ(window->shownDisks().size(), c.disksAfter);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->searching(); }, 5000));
        EXPECT_EQ(shownNames(*window), c.resultsAfter);
    }
}

TEST_F(CatalogueWindowTest, ExportWritesTheListShownAsCsv) {
    addDisk(3, "Caf\xC3\xA9", 0x3,
            {FolderEntry("", "M\xC3\xBCller, \"Akten\""),
             FileEntry("M\xC3\xBCller, \"Akten\"", "tax\nnotes.txt", 5, LocalTime(2023, 6, 7, 8, 9, 10))},
            true, 1);
    const auto window = openWindow();
    const std::string file = (dir / "export.csv").string();
    window->chooseExportFile = [&](const QString&) { return QString::fromStdString(file); };
    type(*window, "notes");
    window->cmdExport->click();
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF"
                               "Disk,Volume,Folder,Name,Type,Size (bytes),Modified,Labelled\r\n"
                               "3,Caf\xC3\xA9,\"M\xC3\xBC"
                               "ller, \"\"Akten\"\"\",\"tax\nnotes.txt\",file,5,2023-06-07 08:09:10,"
                               "2026-03-14 09:47:00\r\n");

    // The disks, in the order shown.
    window->tabViews->setCurrentIndex(1);
    window->grdDisks->sortByColumn(0, Qt::DescendingOrder);
    window->cmdExport->click();
    EXPECT_EQ(ReadBytes(file),
              "\xEF\xBB\xBF"
              "Disk,Volume,Serial,Drive type,Capacity (bytes),Used (bytes),Free (bytes),"
              "First labelled,Last labelled,Company,Entries,Unreadable folders,Complete\r\n"
              "42,ZIPDISK,1A2B-3C4D,REMOVABLE,100270080,100139008,131072,2026-03-14 09:47:00,"
              "2026-03-14 09:47:00,Example Widgets,7,0,yes\r\n"
              "7,WORK,0000-00AB,REMOVABLE,100270080,100139008,131072,2026-03-14 09:47:00,"
              "2026-03-14 09:47:00,Example Widgets,2,0,no\r\n"
              "3,Caf\xC3\xA9,0000-0003,REMOVABLE,100270080,100139008,131072,2026-03-14 09:47:00,"
              "2026-03-14 09:47:00,Example Widgets,2,1,yes\r\n");
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
}

} // namespace
