#include "ui/forms/FolderListBox.h"
#include "support/ErrorNumber.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A temporary tree: <root>/disk with folders "beta", "Alpha", "gamma" and a link to a folder, besides a
// file and a dangling link. How the rows look is pinned by the label window's golden picture, the sorting
// by the folder listing's own test.
class FolderTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"beta/inner", "Alpha", "gamma"}) {
            fs::create_directories(disk + "/" + name);
        }
        WriteBytes(disk + "/notes.txt", "x");
        fs::create_directory_symlink(disk + "/gamma", disk + "/link-to-gamma");
        fs::create_directory_symlink(disk + "/gone", disk + "/dangling");
    }

    TempDir dir;
    std::string root = dir.path().string();
    std::string disk = root + "/disk";
};

// Index -1 is the folder shown, below it its ancestors, from 0 on its subfolders.
TEST_F(FolderTree, ListsAncestorsThePathAndItsSubfolders) {
    FolderListBox box;
    box.setPath(disk + "/");
    EXPECT_EQ(box.path(), disk);
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.listCount(), 4);
    const std::pair<int, std::string> rows[] = {
        {-100, ""}, {-2, root}, {-1, disk}, {0, disk + "/Alpha"}, {3, disk + "/link-to-gamma"}, {4, ""}};
    for (const auto& [index, path] : rows) {
        EXPECT_EQ(box.list(index), path) << index;
    }

    // The root has no ancestors, and its subfolders no doubled slash.
    box.setPath("/");
    EXPECT_EQ(box.list(-2), "");
    EXPECT_EQ(box.list(0).rfind('/'), 0u);
}

// A path it cannot open fails and changes nothing; selecting does not open, Enter does.
TEST_F(FolderTree, SelectingKeepsThePathOpeningMovesItAndRaisesChange) {
    FolderListBox box;
    box.setPath(disk);
    box.show();
    QSignalSpy changes(&box, &FolderListBox::Change);
    box.setListIndex(1);
    for (const std::string& bad : {disk + "/missing", disk + "/notes.txt", disk + "/dangling"}) {
        EXPECT_EQ(ErrorNumberOf([&] { box.setPath(bad); }), RuntimeError::PathNotFound) << bad;
    }
    EXPECT_EQ(box.path(), disk);
    EXPECT_EQ(box.listCount(), 4);
    EXPECT_EQ(box.listIndex(), 1);
    box.setListIndex(-2);
    EXPECT_EQ(box.list(box.listIndex()), root);
    EXPECT_THROW(box.setListIndex(4), RuntimeError);
    EXPECT_EQ(box.listIndex(), -2);
    box.setListIndex(0);
    QTest::keyClick(&box, Qt::Key_Down); // other keys move through the list as in any list
    EXPECT_EQ(box.path(), disk);
    EXPECT_EQ(changes.count(), 0);
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.path(), disk + "/beta");
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.listCount(), 1);
    EXPECT_EQ(changes.count(), 1);

    box.setPath(disk + "/beta/"); // the same folder again
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(FolderTree, ReportsLosingTheFocus) {
    QWidget window;
    auto* box = new FolderListBox(&window);
    auto* other = new QListView(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    box->setFocus();
    QSignalSpy lost(box, &FolderListBox::LostFocus);
    other->setFocus();
    EXPECT_EQ(lost.count(), 1);
}

} // namespace
