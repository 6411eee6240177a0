#include "core/disks/ZipDriveList.h"

#include "core/runtime/ProgramState.h"
#include "core/runtime/Runtime.h"
#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"
#include "support/RecordingDriveList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Call = FakeDriveService::Call;

class ZipDriveList : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        services.drives = drives;
    }

    void expectEnded(RecordingDriveList& box) {
        EXPECT_THROW(FillZipDriveList(services, box), ProgramEnded);
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt, "No Zip Drive detected on this machine !");
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_FALSE(messages->shown[0].title.has_value()); // the application's title
    }

    std::shared_ptr<FakeDriveService> drives = std::make_shared<FakeDriveService>();
};

TEST_F(ZipDriveList, OffersTheRemovableDrivesAndShowsTheLast) {
    drives->addDrive("A:\\", DriveRemovable)
        .addDrive("C:\\", DriveFixed)
        .addDrive("D:\\", DriveCdRom)
        .addEmptyDrive("E:\\", DriveRemovable);
    RecordingDriveList box;
    box.items = {"kept"};
    box.text = "A:\\"; // the saved ZIPDRIVE
    FillZipDriveList(services, box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"kept", "A:\\", "E:\\"}));
    EXPECT_EQ(box.text, "E:\\");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(ZipDriveList, UpperCasesDriveLettersOnly) {
    const struct {
        const char* root;
        const char* item;
    } cases[] = {{"e:\\", "E:\\"},
                 {"a:", "A:"},
                 {"/dev/sdb", "/dev/sdb"},
                 {"/dev/disk/by-id/usb-Iomega_Zip_100", "/dev/disk/by-id/usb-Iomega_Zip_100"},
                 {"/media/anna/zip", "/media/anna/zip"}};
    for (const auto& c : cases) {
        drives->addDrive(c.root, DriveRemovable);
    }
    RecordingDriveList box;
    FillZipDriveList(services, box);
    ASSERT_EQ(box.items.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(box.items[i], cases[i].item);
    }
    EXPECT_EQ(box.text, "/media/anna/zip");
}

TEST_F(ZipDriveList, ReadsALongListWhole) {
    for (int i = 0; i < 40; ++i) {
        drives->addDrive("/dev/sd" + std::to_string(i), i % 2 == 0 ? DriveRemovable : DriveFixed);
    }
    RecordingDriveList box;
    FillZipDriveList(services, box);
    EXPECT_EQ(box.items.size(), 20u);
    EXPECT_EQ(box.text, "/dev/sd38");
}

TEST_F(ZipDriveList, PassesOverADriveWhoseTypeFails) {
    drives->addDrive("/dev/sdb", DriveRemovable).addDrive("/dev/sdc", DriveRemovable);
    drives->failOn("/dev/sdc", Call::Type);
    RecordingDriveList box;
    FillZipDriveList(services, box);
    EXPECT_EQ(box.items, std::vector<std::string>{"/dev/sdb"});
    EXPECT_EQ(box.text, "/dev/sdb");
}

TEST_F(ZipDriveList, NoRemovableDriveOrNoListTellsTheUserAndEnds) {
    drives->addDrive("C:\\", DriveFixed).addDrive("D:\\", DriveCdRom);
    RecordingDriveList box;
    box.text = "A:\\";
    expectEnded(box);
    EXPECT_TRUE(box.items.empty());
    EXPECT_EQ(box.text, "A:\\");

    messages->shown.clear();
    drives->addDrive("A:\\", DriveRemovable);
    drives->failOn("", Call::Roots);
    expectEnded(box);

    messages->shown.clear();
    services.drives.reset();
    expectEnded(box);
}

} // namespace
