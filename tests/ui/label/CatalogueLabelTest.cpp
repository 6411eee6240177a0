#include "support/LabelFixture.h"
#include "support/PdfTools.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueStore.h"
#include "ui/label/ShowLabelWindow.h"
#include "ui/label/frmLabel.h"

#include <QLineEdit>

#include <sqlite3.h>

namespace {

class CatalogueLabelTest : public LabelFixture {
protected:
    void SetUp() override {
        LabelFixture::SetUp();
        catalogueFile = (dir / "data" / "catalogue.sqlite").string();
        useCatalogue();
    }
    void useCatalogue() {
        catalogue = std::make_shared<Catalogue>(catalogueFile, clock);
        services.catalogue = catalogue;
    }

    // Print Label, as the menu does; answers `answer` if asked whether to print again.
    void printLabel(int answer = AnswerYes) {
        messages->yesNo = answer;
        LoadSettings(services);
        Program().AutoPrint = true;
        ShowLabelWindow(services, nullptr);
        catalogue->waitForWalk();
    }
    // The number the label window shows for the disk in the drive.
    std::string examinedNumber() {
        std::string shown;
        onShown = [&](QDialog& dialog) { shown = static_cast<frmLabel&>(dialog).txtID->text().toStdString(); };
        LoadSettings(services);
        ShowLabelWindow(services, nullptr);
        return shown;
    }
    // Another disk in the Zip drive, mounted where the first one was.
    void insertDisk(const std::string& volume, std::uint32_t serial, std::uint64_t clusters = 48960) {
        drives->addDrive(ZipRoot, DriveRemovable, DiskSpace{512, 4, 64, clusters}, VolumeInformation{volume, serial});
        drives->setMountPoint(ZipRoot, diskFolder.string());
    }
    std::vector<DiskRecord> catalogued() const {
        auto store = CatalogueStore::open(catalogueFile, "2026-01-01");
        return store ? store.value()->disks().value_or({}) : std::vector<DiskRecord>{};
    }
    std::vector<std::string> prompts() const {
        std::vector<std::string> all;
        for (const ShownMessage& shown : messages->shown) {
            all.push_back(shown.prompt);
        }
        return all;
    }

    std::string catalogueFile;
    std::shared_ptr<Catalogue> catalogue;
};

TEST_F(CatalogueLabelTest, APrintedDiskIsRecordedAndKnownByItsNumberWhenItComesBack) {
    clock->at = std::chrono::system_clock::from_time_t(1773489600); // 14 March 2026
    printLabel();
    ASSERT_EQ(catalogued().size(), 1u);
    const DiskRecord disk = catalogued().front();
    EXPECT_EQ(disk.number, 42);
    EXPECT_EQ(disk.volumeName, "ZIPDISK");
    EXPECT_EQ(disk.serial, 0x1A2B3C4Du);
    EXPECT_EQ(disk.capacityBytes, 48960u * 2048);
    EXPECT_EQ(disk.freeBytes, 64u * 2048);
    EXPECT_EQ(disk.company, "Example Widgets");
    EXPECT_TRUE(disk.complete);
    EXPECT_EQ(disk.entries, 3u); // Letters, Photos 1999, Taxes

    EXPECT_EQ(storedIndex(), "42");
    EXPECT_EQ(examinedNumber(), "#42");
    // Another disk with the same serial but another size is not this one.
    insertDisk("ZIPDISK", 0x1A2B3C4D, 48000);
    EXPECT_EQ(examinedNumber(), "#43");
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
        useCatalogue();
        writeProfile("41");
        clock->at = std::chrono::system_clock::from_time_t(1773489600);
        printLabel();
        messages->shown.clear();
        clock->at += std::chrono::hours(24 * 30);

        printLabel(row.answer);

        EXPECT_EQ(prompts(), std::vector<std::string>{"This disk was labelled #42 on 14-Mar-26. Print its label "
                                                      "again as #42?"});
        EXPECT_EQ(storedIndex(), row.storedAfter);
        const std::string words = PdfWords(printer->fileName);
        EXPECT_NE(words.find(row.printed), std::string::npos) << words;
        const std::vector<DiskRecord> disks = catalogued();
        ASSERT_EQ(disks.size(), row.disksAfter);
        EXPECT_EQ(disks.back().lastLabelled, 1773489600 + 24 * 30 * 3600);
        EXPECT_EQ(disks.front().firstLabelled, 1773489600);
    }
}

TEST_F(CatalogueLabelTest, ADiskWithoutASerialIsNeverRecognised) {
    insertDisk("ZIPDISK", 0);
    printLabel();
    printLabel();
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(storedIndex(), "43");
    EXPECT_EQ(catalogued().size(), 2u);
}

TEST_F(CatalogueLabelTest, ACatalogueThatCannotBeUsedIsNamedOnceAndTheLabelsStillPrint) {
    struct Row {
        const char* name;
        std::function<void(const std::string& file)> spoil;
        const char* says;
    };
    sqlite3* holder = nullptr;
    const std::vector<Row> rows = {
        {"corrupt", [](const std::string& file) { WriteBytes(file, std::string(8192, 'x')); }, "was damaged"},
        {"locked",
         [&](const std::string& file) {
             ASSERT_EQ(sqlite3_open(file.c_str(), &holder), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
         },
         "locked"},
        {"read-only", [](const std::string& file) { std::filesystem::permissions(file, std::filesystem::perms::owner_read); },
         "read-only"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeProfile("41");
        std::filesystem::remove_all(dir / "data");
        useCatalogue();
        printLabel(); // a catalogue with one disk
        messages->shown.clear();
        insertDisk("OTHER", 0);
        catalogue.reset(); // the program ends
        services.catalogue.reset();
        row.spoil(catalogueFile);
        useCatalogue(); // and starts again

        printLabel();
        printLabel();

        EXPECT_EQ(storedIndex(), "44");
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_NE(messages->shown[0].prompt.find(catalogueFile), std::string::npos) << messages->shown[0].prompt;
        EXPECT_NE(messages->shown[0].prompt.find(row.says), std::string::npos) << messages->shown[0].prompt;
        if (holder != nullptr) {
            sqlite3_close(holder);
            holder = nullptr;
        }
    }
}

} // namespace
