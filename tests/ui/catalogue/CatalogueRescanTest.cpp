#include "CatalogueWindowFixture.h"

#include "support/FakeDriveService.h"

#include "core/settings/IniProfileStore.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <filesystem>
#include <string>

namespace {

// The catalogue of CatalogueWindowTest, and a Zip drive /dev/sdb named in the profile holding disk #42
// (ZIPDISK, 1A2B-3C4D, a Zip 100) with new folders and files: a letter and this year's taxes.
class CatalogueRescanTest : public CatalogueWindowTest {
protected:
    static constexpr const char* ZipRoot = "/dev/sdb";
    static constexpr DiskSpace Zip100{512, 4, 64, 48960}; // 95.625 MB, as disk #42 was recorded

    void SetUp() override {
        CatalogueWindowTest::SetUp();
        for (const char* folder : {"Letters", "Taxes"}) {
            std::filesystem::create_directories(diskFolder / folder);
        }
        WriteBytes(diskFolder / "Letters" / "new letter.doc", "Dear Sir");
        WriteBytes(diskFolder / "Taxes" / "tax 2026.pdf", "%PDF");
        insertDisk();
    }

    // The profile names the drive, and disk #42 is in it.
    void insertDisk() {
        givenProfile(std::string("[GLOBAL]\r\nCOMPANY=Acme\r\nZIPDRIVE=") + ZipRoot + "\r\nID_INDEX=42\r\n");
        drives = std::make_shared<FakeDriveService>();
        drives->addDrive(ZipRoot, DriveRemovable, Zip100, VolumeInformation{"ZIPDISK", 0x1A2B3C4D});
        drives->setMountPoint(ZipRoot, diskFolder.string());
        services.drives = drives;
    }

    std::filesystem::path diskFolder = dir / "disk";
    std::shared_ptr<FakeDriveService> drives;
};

TEST_F(CatalogueRescanTest, OfferedOnlyForADiskTheCatalogueKnows) {
    const char* const notKnown =
        "The disk in the Zip drive /dev/sdb is not in the catalogue. A disk enters the catalogue when its "
        "label is printed.";
    const struct {
        const char* name;
        std::function<void()> arrange;
        const char* tip; // its start
        bool offered;
    } cases[] = {
        {"known", [] {}, "Records the folders and files of disk #42 (ZIPDISK),", true},
        {"another serial",
         [this] {
             drives->addDrive(ZipRoot, DriveRemovable, Zip100, VolumeInformation{"ZIPDISK", 0x1A2B3C4E});
         },
         notKnown, false},
        {"serial 0",
         [this] {
             drives->addDrive(ZipRoot, DriveRemovable, Zip100, VolumeInformation{"ZIPDISK", 0});
         },
         "The disk in the Zip drive /dev/sdb has no serial number", false},
        {"no disk", [this] { drives->removeMedium(ZipRoot); }, "There is no disk in the Zip drive /dev/sdb.",
         false},
        // Read quietly, without the label window's message box.
        {"a drive that cannot be read", [this] { drives->failOn(ZipRoot, FakeDriveService::Call::Volume); },
         "There is no disk in the Zip drive /dev/sdb.", false},
        {"no Zip drive chosen", [this] { givenProfile("[GLOBAL]\r\nCOMPANY=Acme\r\n"); },
         "No Zip drive is chosen: choose one in Configure.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        insertDisk();
        c.arrange();
        const auto window = openWindow();
        EXPECT_EQ(window->cmdCatalogueDisk->isEnabled(), c.offered);
        const std::string tip = window->cmdCatalogueDisk->toolTip().toStdString();
        EXPECT_EQ(tip.rfind(c.tip, 0), 0u) << tip;
        EXPECT_TRUE(messages->shown.empty()); // looking at the drive is quiet
    }
}

TEST_F(CatalogueRescanTest, TheDiskIsLookedAtAgainWhenTheButtonIsClicked) {
    const auto window = openWindow();
    ASSERT_TRUE(window->cmdCatalogueDisk->isEnabled());
    drives->removeMedium(ZipRoot);
    window->cmdCatalogueDisk->click();
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt, "There is no disk in the Zip drive /dev/sdb.");
    EXPECT_EQ(messages->shown[0].style, 0); // a plain box with OK
    EXPECT_FALSE(window->cmdCatalogueDisk->isEnabled());
    EXPECT_FALSE(services.catalogue->progress().walking);
}

TEST_F(CatalogueRescanTest, CataloguingADiskAgainReplacesItsListAndKeepsItsNumber) {
    // Renamed since: the disk is known by its serial and capacity.
    drives->addDrive(ZipRoot, DriveRemovable, Zip100, VolumeInformation{"PAPERS", 0x1A2B3C4D});
    drives->setMountPoint(ZipRoot, diskFolder.string());
    const auto window = openWindow();
    window->cmdCatalogueDisk->click();
    window->showCatalogueProgress({true, 42, 50});
    EXPECT_FALSE(window->cmdCatalogueDisk->isEnabled()) << "not while its walk runs";
    services.catalogue->waitForWalk();
    window->showCatalogueProgress(services.catalogue->progress());

    EXPECT_TRUE(messages->shown.empty()) << messages->shown[0].prompt;
    EXPECT_EQ(services.catalogue->takeMessage(), std::nullopt);
    type(*window, "tax");
    EXPECT_EQ(shownNames(*window), (Names{"tax return.pdf", "Taxes", "tax 2026.pdf"}));
    const std::vector<DiskRecord> disks = window->shownDisks();
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_EQ(disks[1].number, 42);
    EXPECT_EQ(disks[1].volumeName, "PAPERS");
    EXPECT_EQ(disks[1].entries, 4u);
    EXPECT_TRUE(disks[1].complete);
    EXPECT_EQ(IniProfileStore(profileFile).read("GLOBAL", "ID_INDEX").value_or({}), "42");
    EXPECT_TRUE(window->cmdCatalogueDisk->isEnabled());
}

TEST_F(CatalogueRescanTest, WhatTheCatalogueSaysWhenTheWalkCannotStartIsShown) {
    const auto window = openWindow();
    std::filesystem::permissions(catalogueFile, std::filesystem::perms::owner_read);
    window->cmdCatalogueDisk->click();
    services.catalogue->waitForWalk();
    ASSERT_EQ(messages->shown.size(), 1u);
    const std::string& told = messages->shown[0].prompt;
    EXPECT_EQ(told.rfind("The disk catalogue " + catalogueFile + " cannot be used: ", 0), 0u) << told;
    EXPECT_NE(told.find("read-only"), std::string::npos) << told;
}

// A walk may move a damaged file aside and start a new one, whether this window started it or a label was
// printed meanwhile: the window then reads the new file.
TEST_F(CatalogueRescanTest, ADamagedFileMovedAsideByAWalkIsNoLongerRead) {
    const std::string whole = ReadBytes(catalogueFile);
    const struct {
        const char* name;
        std::function<void(frmCatalogue&)> startWalk;
        std::vector<int> shown; // the disks' numbers
    } cases[] = {
        {"Catalogue This Disk", [](frmCatalogue& window) { window.cmdCatalogueDisk->click(); }, {}},
        {"a label printed",
         [this](frmCatalogue& window) {
             services.catalogue->recordLabel(ZipDisk(43, "NEWDISK", 0x43), {diskFolder.string(), {}});
             window.showCatalogueProgress({true, 43, 0});
         },
         {43}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.catalogue.reset(); // and the file moved aside before
        std::filesystem::remove_all(std::filesystem::path(catalogueFile).parent_path());
        std::filesystem::create_directories(std::filesystem::path(catalogueFile).parent_path());
        WriteBytes(catalogueFile, whole);
        Scribble(catalogueFile, "entry_blocks"); // the disks are still listed
        services.catalogue = std::make_shared<Catalogue>(catalogueFile, clock);
        messages->shown.clear();
        const auto window = openWindow();
        ASSERT_EQ(window->shownDisks().size(), 2u);
        c.startWalk(*window);
        services.catalogue->waitForWalk();
        std::string told; // by this window, or waiting for the label window to tell
        for (const ShownMessage& shown : messages->shown) {
            told += shown.prompt;
        }
        while (const auto message = services.catalogue->takeMessage()) {
            told += *message;
        }
        EXPECT_NE(told.find(" was damaged. It has been moved to "), std::string::npos) << told;
        std::vector<int> numbers;
        for (const DiskRecord& disk : window->shownDisks()) {
            numbers.push_back(disk.number);
        }
        EXPECT_EQ(numbers, c.shown);
        EXPECT_EQ(window->lblEmpty->isVisible(), c.shown.empty());
    }
}

TEST_F(CatalogueRescanTest, AWalkShowsInTheTitleAndABarOnlyWhileItRuns) {
    const auto window = openWindow();
    const struct {
        CatalogueProgress progress;
        const char* title;
        bool bar;
    } steps[] = {
        {{true, 42, 37}, "Disk Catalogue \u2014 cataloguing #42, 37 %", true},
        {{}, "Disk Catalogue", false},
    };
    for (const auto& step : steps) {
        window->showCatalogueProgress(step.progress);
        EXPECT_EQ(window->windowTitle().toStdString(), step.title);
        EXPECT_EQ(window->barWalk->isVisible(), step.bar) << step.title;
        if (step.bar) {
            EXPECT_EQ(window->barWalk->value(), step.progress.percent);
            EXPECT_EQ(window->barWalk->text().toStdString(), "37 %"); // written as in the title
        }
    }
}

} // namespace
