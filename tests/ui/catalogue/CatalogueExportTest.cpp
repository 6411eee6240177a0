#include "CatalogueWindowFixture.h"

#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

class CatalogueExportTest : public CatalogueWindowTest {
protected:
    std::unique_ptr<frmCatalogue> openWindow() {
        auto window = CatalogueWindowTest::openWindow();
        window->chooseExportFile = [this](const QString&) { return QString::fromStdString(file); };
        return window;
    }

    std::string LastMessage() const { return messages->shown.empty() ? "" : messages->shown.back().prompt; }

    // The files in the test's folder whose names start as the export's does.
    std::vector<std::string> exportFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().filename().string().rfind("export", 0) == 0) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    std::string file = (dir / "export.csv").string();
};

TEST_F(CatalogueExportTest, ExportWritesEitherListAsCsvAndSaysHowManyRows) {
    addDisk(3, "Caf\xC3\xA9", 0x3,
            {FolderEntry("", "M\xC3\xBCller, \"Akten\""),
             FileEntry("M\xC3\xBCller, \"Akten\"", "tax\nnotes.txt", 5, LocalTime(2023, 6, 7, 8, 9, 10)),
             FolderEntry("", "Private")},
            true, {"Private"});
    const auto window = openWindow();
    window->cmdExport->click();
    EXPECT_EQ(LastMessage(), "The list is empty: " + file + " holds only the column titles.");
    EXPECT_EQ(ReadBytes(file),
              "\xEF\xBB\xBF"
              "Disk,Volume,Folder,Name,Type,Size (bytes),Modified,Labelled,Same disk as\r\n");

    type(*window, "notes");
    window->exportProgress(0, 1); // as a slow disk shows it
    EXPECT_EQ(window->findChild<QProgressDialog*>()->labelText(), "Writing 1 row...");
    window->cmdExport->click();
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr); // gone with the export
    EXPECT_EQ(LastMessage(), "1 row was written to " + file + ".");
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF"
                               "Disk,Volume,Folder,Name,Type,Size (bytes),Modified,Labelled,Same disk as\r\n"
                               "3,Caf\xC3\xA9,\"M\xC3\xBC"
                               "ller, \"\"Akten\"\"\",\"tax\nnotes.txt\",file,5,2023-06-07 08:09:10,"
                               "2026-03-14 09:47:00,\r\n");

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
              "2026-03-14 09:47:00,Example Widgets,3,1,yes\r\n");
    EXPECT_EQ(LastMessage(), "3 rows were written to " + file + ".");
}

TEST_F(CatalogueExportTest, EveryMatchIsWrittenNotOnlyThoseShown) {
    addScans(1500);
    const auto window = openWindow();
    type(*window, "scan");
    // The window shows the first thousand, and says how many matched in all.
    ASSERT_EQ(window->shownHits().size(), 1000u);
    EXPECT_EQ(window->lblCount->text().toStdString(), "1,000 of 1,500");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
    window->exportProgress = [&](std::uint64_t written, std::uint64_t total) {
        progress.emplace_back(written, total);
        return true;
    };
    window->cmdExport->click();

    std::istringstream lines(ReadBytes(file));
    std::set<std::string> names;
    std::string line;
    std::getline(lines, line); // the titles
    while (std::getline(lines, line)) {
        names.insert(line.substr(0, line.find(",file,")));
    }
    std::set<std::string> expected;
    for (int i = 0; i < 1500; ++i) {
        expected.insert("50,SCANS,,scan " + std::to_string(i) + ".tif");
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(LastMessage(), "1,500 rows were written to " + file + ".");
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), std::make_pair(std::uint64_t{0}, std::uint64_t{1500}));
    EXPECT_LT(progress.back().first, 1500u);
}

TEST_F(CatalogueExportTest, ACancelledExportLeavesNoFileAndAnOldOneAsItWas) {
    addScans(1500);
    const auto window = openWindow();
    type(*window, "scan");
    std::vector<std::uint64_t> asked; // the rows written whenever the export asked whether to go on
    window->exportProgress = [&](std::uint64_t written, std::uint64_t) {
        asked.push_back(written);
        return written < 512;
    };
    for (const char* before : {static_cast<const char*>(nullptr), "the list of last year\r\n"}) {
        SCOPED_TRACE(before != nullptr);
        messages->shown.clear();
        std::filesystem::remove(file);
        if (before != nullptr) {
            WriteBytes(file, before);
        }
        asked.clear();
        window->cmdExport->click();
        // Cancel is answered at once: nothing is written, or asked, after it.
        ASSERT_FALSE(asked.empty());
        EXPECT_EQ(asked.back(), 512u);
        EXPECT_EQ(std::count(asked.begin(), asked.end(), 512u), 1);
        EXPECT_EQ(exportFiles(),
                  before != nullptr ? std::vector<std::string>{"export.csv"} : std::vector<std::string>{});
        if (before != nullptr) {
            EXPECT_EQ(ReadBytes(file), before);
        }
        EXPECT_TRUE(messages->shown.empty()) << LastMessage();
    }
}

TEST_F(CatalogueExportTest, AFileThatCannotBeWrittenIsSaidWithItsReason) {
    file = (dir / "no such folder" / "export.csv").string();
    const auto window = openWindow();
    type(*window, "tax");
    window->cmdExport->click();
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(LastMessage().rfind("The list could not be saved to " + file + ": ", 0), 0u) << LastMessage();
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
