#include "ui/forms/FolderListBox.h"
#include "core/disks/FolderListing.h"
#include "support/ErrorNumber.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A temporary tree: <root>/disk with folders "beta", "Alpha", "gamma", a hidden ".trash", a file, a link
// to a folder and a dangling link.
class FolderTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"beta", "Alpha", "gamma", ".trash", "beta/inner"}) {
            fs::create_directories(disk + "/" + name);
        }
        std::ofstream(disk + "/notes.txt") << "x";
        fs::create_directory_symlink(disk + "/gamma", disk + "/link-to-gamma");
        fs::create_directory_symlink(disk + "/gone", disk + "/dangling");
    }

    std::vector<std::string> entries(const FolderListBox& box) const {
        std::vector<std::string> all;
        for (int i = -static_cast<int>(FolderAncestors(box.path()).size()) - 1; i < box.listCount(); ++i) {
            all.push_back(box.list(i));
        }
        return all;
    }

    TempDir dir;
    std::string root = dir.path().string();
    std::string disk = root + "/disk";
};

TEST_F(FolderTree, ListsAncestorsThePathAndSortedSubfolders) {
    FolderListBox box;
    box.setPath(disk + "/");
    EXPECT_EQ(box.path(), disk);
    EXPECT_EQ(box.listIndex(), -1);
    ASSERT_EQ(box.listCount(), 4);

    std::vector<std::string> expected;
    for (const std::string& a : FolderAncestors(disk)) {
        expected.push_back(a);
    }
    expected.insert(expected.end(),
                    {disk, disk + "/Alpha", disk + "/beta", disk + "/gamma", disk + "/link-to-gamma"});
    EXPECT_EQ(entries(box), expected);
    EXPECT_EQ(box.list(-1), disk);
    EXPECT_EQ(box.list(-2), root);
    EXPECT_EQ(box.list(0), disk + "/Alpha");
    EXPECT_EQ(box.list(4), "");
    EXPECT_EQ(box.list(-100), "");
    // How the rows look (names, indents, icons) is pinned by the label window's golden picture.

    // The root has no ancestors.
    box.setPath("/");
    EXPECT_EQ(box.path(), "/");
    EXPECT_EQ(box.list(-1), "/");
    EXPECT_EQ(box.list(-2), "");
    ASSERT_GT(box.listCount(), 0);
    EXPECT_EQ(box.list(0).rfind('/'), 0u);
}

TEST_F(FolderTree, UnreadablePathFailsAndKeepsTheList) {
    FolderListBox box;
    box.setPath(disk);
    box.setListIndex(1);
    QSignalSpy changes(&box, &FolderListBox::Change);
    for (const std::string& bad : {disk + "/missing", disk + "/notes.txt", disk + "/dangling"}) {
        EXPECT_EQ(ErrorNumberOf([&] { box.setPath(bad); }), RuntimeError::PathNotFound) << bad;
    }
    EXPECT_EQ(box.path(), disk);
    EXPECT_EQ(box.listCount(), 4);
    EXPECT_EQ(box.listIndex(), 1);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(FolderTree, SelectingKeepsThePathOpeningMovesItAndRaisesChange) {
    FolderListBox box;
    box.setPath(disk);
    box.show();
    QSignalSpy changes(&box, &FolderListBox::Change);
    // Selecting does not open.
    box.setListIndex(-2);
    EXPECT_EQ(box.list(box.listIndex()), root);
    EXPECT_THROW(box.setListIndex(4), RuntimeError);
    EXPECT_EQ(box.listIndex(), -2);
    box.setListIndex(1);
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

TEST(FolderPaths, AreMadeNormal) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"/", "/"}, {"/a/b/", "/a/b"}, {"/a//b/./c/..", "/a/b"}, {"//", "/"}};
    for (const auto& c : cases) {
        EXPECT_EQ(NormalFolderPath(c.in), c.out) << c.in;
    }
    EXPECT_EQ(NormalFolderPath("rel"), (fs::current_path() / "rel").string());
    EXPECT_EQ(FolderAncestors("/a/b/c"), (std::vector<std::string>{"/", "/a", "/a/b"}));
    EXPECT_EQ(FolderName("/a/b"), "b");
    EXPECT_EQ(FolderName("/"), "/");
}

} // namespace
