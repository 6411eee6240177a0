#include "CatalogueWindowFixture.h"

#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace {

// Every action takes one row: a Ctrl+click on another row moves the choice rather than adding to it.
TEST_F(CatalogueWindowTest, EachTableHoldsOneChosenRow) {
    const auto window = openWindow();
    type(*window, "tax");
    for (QTableView* table : {window->grdResults, window->grdDisks}) {
        window->tabViews->setCurrentWidget(table->parentWidget());
        const auto centreOf = [&](int row) {
            return table->visualRect(table->model()->index(row, 0)).center();
        };
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOf(0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(1));
        EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1) << table->objectName().toStdString();
    }
}

// Removed elsewhere and labelled anew under the same number, the disk of a hit found before is gone: while
// the search runs again, Enter on that hit opens no other disk.
TEST_F(CatalogueWindowTest, EnterOnAHitWhoseDiskWasReplacedMeanwhileOpensNoOtherDisk) {
    const auto window = openWindow();
    type(*window, "tax 2019");
    ASSERT_EQ(window->shownHits().size(), 1u);
    ASSERT_TRUE(
        CatalogueStore::open(catalogueFile, "2026-03-14").value()->removeDisk(window->shownHits()[0].diskId));
    addDisk(
        42, "NEWDISK", 0x42,
        {FolderEntry("", "Taxes"), FileEntry("Taxes", "tax 2019.pdf", 10, LocalTime(2020, 1, 1, 0, 0, 0))});
    window->showCatalogueProgress({true, 42, 0}); // its walk, which ends
    window->showCatalogueProgress({});
    ASSERT_EQ(window->shownHits().size(), 1u);
    window->grdResults->setFocus();
    window->grdResults->selectRow(0);
    QTest::keyClick(window->grdResults, Qt::Key_Return);
    EXPECT_EQ(window->tabViews->currentIndex(), 0);
    const QTreeWidgetItem* top = window->tvwFolders->topLevelItem(0);
    EXPECT_FALSE(top && top->text(0).contains("NEWDISK"));
}

// A size in the window's section that is no size leaves the window at the size it has without one.
TEST_F(CatalogueWindowTest, ASavedWidthThatIsNoWidthOpensTheWindowAtItsDefaultSize) {
    const QSize plain = openWindow()->size();
    for (const char* width : {"0", "-700", "wide", ""}) {
        givenProfile(std::string("[GLOBAL]\r\nCOMPANY=Acme\r\nID_INDEX=42\r\n[CATALOGUE]\r\nWIDTH=") + width +
                     "\r\nHEIGHT=450\r\n");
        EXPECT_EQ(openWindow()->size(), plain) << '"' << width << '"';
    }
}

} // namespace
