#include "core/disks/ZipDriveList.h"

#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"
#include "support/RecordingDriveList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Call = FakeDriveService::Call;

class ZipDriveList : public ProgramFixture {};

// Every removable drive, with or without a medium, is added after what the box holds, drive letters in
// upper case; a drive whose type cannot be told is passed over; the box shows the last one added.
TEST_F(ZipDriveList, OffersTheRemovableDrivesAndShowsTheLast) {
    const auto drives = std::make_shared<FakeDriveService>();
    services.drives = drives;
    drives->addDrive("a:", DriveRemovable)
        .addDrive("C:\\", DriveFixed)
        .addDrive("D:\\", DriveCdRom)
        .addEmptyDrive("e:\\", DriveRemovable)
        .addDrive("/dev/sdb", DriveRemovable)
        .addDrive("/dev/sdc", DriveRemovable)
        .addDrive("/dev/disk/by-id/usb-Iomega_Zip_100", DriveRemovable)
        .addDrive("/media/anna/zip", DriveRemovable)
        .addDrive("/dev/sdd", DriveFixed);
    drives->failOn("/dev/sdc", Call::Type);
    RecordingDriveList box;
    box.items = {"kept"};
    box.text = "A:"; // the saved ZIPDRIVE
    FillZipDriveList(services, box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"kept", "A:", "E:\\", "/dev/sdb",
                                                   "/dev/disk/by-id/usb-Iomega_Zip_100", "/media/anna/zip"}));
    EXPECT_EQ(box.text, "/media/anna/zip");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(ZipDriveList, NoRemovableDriveOrNoListTellsTheUserAndEnds) {
    const auto drives = std::make_shared<FakeDriveService>();
    services.drives = drives;
    drives->addDrive("C:\\", DriveFixed).addDrive("D:\\", DriveCdRom);
    const auto expectEnded = [&] {
        messages->shown.clear();
        RecordingDriveList box;
        box.text = "A:\\";
        EXPECT_THROW(FillZipDriveList(services, box), ProgramEnded);
        EXPECT_TRUE(box.items.empty());
        EXPECT_EQ(box.text, "A:\\");
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt, "No Zip Drive detected on this machine !");
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_EQ(messages->shown[0].title, std::nullopt); // the application's title
    };
    expectEnded();
    drives->addDrive("A:\\", DriveRemovable);
    drives->failOn("", Call::Roots);
    expectEnded();
    services.drives.reset();
    expectEnded();
}

} // namespace
