#include "support/LabelFixture.h"
#include "support/PdfTools.h"
#include "support/SampleCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueCsv.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QLineEdit>

#include <sqlite3.h>

namespace {

class CatalogueLabelTest : public LabelFixture {
protected:
    void SetUp() override {
        LabelFixture::SetUp();
        clock->at = LocalTime(2026, 3, 14, 12, 0, 0);
        startAgain();
    }
    // The program starts again with the catalogue file as it is.
    void startAgain() {
        catalogue = std::make_shared<Catalogue>(catalogueFile, clock);
        services.catalogue = catalogue;
    }

    // Print Label, as the menu does; answers `answer` if asked whether to print again.
    void printLabel(int answer = AnswerYes) {
        messages->yesNo = answer;
        LoadSettings(services);
        ShowLabelWindow(services, nullptr, LabelAction::Print);
        catalogue->waitForWalk();
    }
    // The number the label window shows for the disk in the drive.
    std::string examinedNumber() {
        std::string shown;
        onShown = [&](QDialog& dialog) {
            shown = static_cast<frmLabel&>(dialog).txtID->text().toStdString();
        };
        LoadSettings(services);
        ShowLabelWindow(services, nullptr);
        return shown;
    }
    // Another disk in the Zip drive, mounted where the first one was.
    void insertDisk(const std::string& volume, std::uint32_t serial, std::uint64_t clusters = 48960) {
        drives->addDrive(ZipRoot, DriveRemovable, DiskSpace{512, 4, 64, clusters},
                         VolumeInformation{volume, serial});
        drives->setMountPoint(ZipRoot, diskFolder.string());
    }
    std::vector<DiskRecord> catalogued() const {
        auto store = CatalogueStore::open(catalogueFile, "2026-01-01");
        return store ? store.value()->disks().value_or({}) : std::vector<DiskRecord>{};
    }

    std::string catalogueFile = (dir / "data" / "catalogue.sqlite").string();
    std::shared_ptr<Catalogue> catalogue;
};

TEST_F(CatalogueLabelTest, APrintedDiskIsRecordedAndKnownByItsNumberWhenItComesBackAndOnlyThen) {
    printLabel();
    // Its folders Letters, Photos 1999 and Taxes, the walk finished.
    EXPECT_EQ(DisksCsv(catalogued()).substr(DisksCsv({}).size()),
              "42,ZIPDISK,1A2B-3C4D,REMOVABLE,100270080,100139008,131072,2026-03-14 12:00:00,"
              "2026-03-14 12:00:00,Example Widgets,3,0,yes\r\n");
    EXPECT_EQ(examinedNumber(), "#42");
    // Another disk with the same serial but another size is not this one.
    insertDisk("ZIPDISK", 0x1A2B3C4D, 48000);
    EXPECT_EQ(examinedNumber(), "#43");
    // Nor is any disk without a serial.
    insertDisk("ZIPDISK", 0);
    printLabel();
    printLabel();
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(storedIndex(), "44");
    EXPECT_EQ(catalogued().size(), 3u);
}

TEST_F(CatalogueLabelTest, ARecognisedDiskIsPrintedAgainUnderItsNumberOrAsANewDisk) {
    struct Row {
        int answer;
        const char* printed;
        const char* storedAfter;
        std::size_t disksAfter;
    };
    for (const Row& row : {Row{AnswerYes, "# 42", "42", 1}, Row{AnswerNo, "# 43", "43", 2}}) {
        SCOPED_TRACE(row.printed);
        std::filesystem::remove_all(dir / "data");
        startAgain();
        writeProfile("41");
        printLabel();
        messages->shown.clear();

        printLabel(row.answer);

        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt,
                  "This disk was labelled #42 on 14-Mar-26. Print its label again as #42?");
        EXPECT_EQ(storedIndex(), row.storedAfter);
        const std::string words = PdfWords(printer->fileName);
        EXPECT_NE(words.find(row.printed), std::string::npos) << words;
        // Under its own number too, the label carries no buttons, as a new number's label does.
        for (const char* button : {"Cancel", "Print"}) {
            EXPECT_EQ(words.find(button), std::string::npos) << button << " in: " << words;
        }
        EXPECT_EQ(catalogued().size(), row.disksAfter);
    }
}

TEST_F(CatalogueLabelTest, ACatalogueThatCannotBeUsedIsNamedOnceAndTheLabelsStillPrint) {
    sqlite3* holder = nullptr;
    const struct {
        const char* name;
        std::function<void(const std::string& file)> spoil;
        const char* says;
    } rows[] = {
        {"corrupt", [](const std::string& file) { WriteBytes(file, std::string(8192, 'x')); }, "was damaged"},
        {"locked",
         [&](const std::string& file) {
             ASSERT_EQ(sqlite3_open(file.c_str(), &holder), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
         },
         "locked"},
        {"read-only",
         [](const std::string& file) {
             std::filesystem::permissions(file, std::filesystem::perms::owner_read);
         },
         "read-only"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeProfile("41");
        std::filesystem::remove_all(dir / "data");
        startAgain();
        printLabel(); // a catalogue with one disk
        messages->shown.clear();
        insertDisk("OTHER", 0);
        catalogue.reset(); // the program ends
        services.catalogue.reset();
        row.spoil(catalogueFile);
        startAgain();

        printLabel();
        printLabel();

        EXPECT_EQ(storedIndex(), "44");
        ASSERT_EQ(messages->shown.size(), 1u);
        const std::string& told = messages->shown[0].prompt;
        EXPECT_NE(told.find(catalogueFile), std::string::npos) << told;
        EXPECT_NE(told.find(row.says), std::string::npos) << told;
        sqlite3_close(std::exchange(holder, nullptr));
    }
}

} // namespace
