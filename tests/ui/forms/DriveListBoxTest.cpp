#include "ui/forms/DriveListBox.h"
#include "core/disks/DriveService.h"

#include "support/ErrorNumber.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

// Drives whose list can change between two looks.
class TableDrives final : public DriveService {
public:
    std::vector<std::string> driveRoots() const override { return roots; }
    int driveType(const std::string&) const override { return DriveRemovable; }
    Result<DiskSpace> diskSpace(const std::string&) const override { return Failure{"no medium"}; }
    Result<VolumeInformation> volumeInformation(const std::string& root) const override {
        const auto it = volumes.find(root);
        return it == volumes.end() ? Result<VolumeInformation>(Failure{"no medium"}) : it->second;
    }
    std::vector<std::string> roots = {"/dev/fd0", "/dev/sdb", "/dev/sdc"};
    std::map<std::string, Result<VolumeInformation>> volumes = {
        {"/dev/fd0", Failure{"unreadable"}},
        {"/dev/sdb", VolumeInformation{std::string("ZIPDISK\0\0", 9), 0x1234}},
        {"/dev/sdc", VolumeInformation{"", 7}},
    };
};

class DriveListBoxTest : public ::testing::Test {
protected:
    std::shared_ptr<TableDrives> drives = std::make_shared<TableDrives>();
};

TEST_F(DriveListBoxTest, ShowsEachRootWithTheVolumeNameOfItsMedium) {
    DriveListBox box(drives);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(0).toStdString(), "/dev/fd0"); // no medium: no name, whatever came back
    EXPECT_EQ(box.itemText(1).toStdString(), "/dev/sdb [ZIPDISK]");
    EXPECT_EQ(box.itemText(2).toStdString(), "/dev/sdc"); // medium without a name
    EXPECT_EQ(box.drive(), "/dev/fd0");
}

// By root, by display text or by the user: each new drive raises Change once; an unknown root fails.
TEST_F(DriveListBoxTest, SelectsADriveRaisesChangeOnceAndFollowsNewMedia) {
    DriveListBox box(drives);
    box.show();
    QSignalSpy changes(&box, &DriveListBox::Change);
    const std::tuple<const char*, int, const char*, int> steps[] = {
        {"/dev/sdb", 0, "/dev/sdb", 1},
        {"/dev/sdb", 0, "/dev/sdb", 1}, // already there
        {"/dev/sdc [ANY]", 0, "/dev/sdc", 2},
        {"/dev/sd", RuntimeError::DeviceUnavailable, "/dev/sdc", 2},
        {"/dev/sdcx", RuntimeError::DeviceUnavailable, "/dev/sdc", 2},
        {"/dev/fd0", 0, "/dev/fd0", 3},
    };
    for (const auto& [asked, error, selected, changed] : steps) {
        EXPECT_EQ(ErrorNumberOf([&] { box.setDrive(asked); }), error) << asked;
        EXPECT_EQ(box.drive(), selected) << asked;
        EXPECT_EQ(changes.count(), changed) << asked;
    }
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.drive(), "/dev/sdb");
    EXPECT_EQ(changes.count(), 4);

    // Opening the list looks again, as the media may have changed since it was filled; the drive stays.
    box.setDrive("/dev/sdc");
    changes.clear();
    drives->volumes.insert_or_assign("/dev/sdc", VolumeInformation{"PHOTOS", 1});
    drives->roots.insert(drives->roots.begin(), "/dev/fd1");

    static_cast<QComboBox&>(box).showPopup();
    box.hidePopup();
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(box.drive(), "/dev/sdc");
    EXPECT_EQ(box.currentText().toStdString(), "/dev/sdc [PHOTOS]");
    EXPECT_EQ(changes.count(), 0);

    drives->roots = {"/dev/fd0"}; // the selected drive went away
    box.refresh();
    EXPECT_EQ(box.drive(), "/dev/fd0");
    EXPECT_EQ(changes.count(), 1);
}

} // namespace
