
#include "ui/forms/DriveListBox.h"
#include "core/disks/DriveService.h"

#include "support/ErrorNumber.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace {

class TableDrives final : public DriveService {
public:
    std::vector<std::string> driveRoots() const override { return roots; }
    int driveType(const std::string&) const override { return DriveRemovable; }
    Result<DiskSpace> diskSpace(const std::string&) const override { return Failure{"no medium"}; }
    Result<VolumeInformation> volumeInformation(const std::string& root) const override {
        const auto it = volumes.find(root);
        return it == volumes.end() ? Result<VolumeInformation>(Failure{"no medium"}) : it->second;
    }
    std::vector<std::string> roots;
    std::map<std::string, Result<VolumeInformation>> volumes;
};

class DriveListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        drives = std::make_shared<TableDrives>();
        drives->roots = {"/dev/fd0", "/dev/sdb", "/dev/sdc"};
        drives->volumes.insert_or_assign("/dev/sdb",
                                         VolumeInformation{std::string("ZIPDISK\0\0", 9), 0x1234});
        drives->volumes.insert_or_assign("/dev/sdc", VolumeInformation{"", 7});
        drives->volumes.insert_or_assign("/dev/fd0", Failure{"unreadable"});
    }
    std::shared_ptr<TableDrives> drives;
};

TEST_F(DriveListBoxTest, ShowsEachRootWithTheVolumeNameOfItsMedium) {
    DriveListBox box(drives);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(0).toStdString(), "/dev/fd0"); // no medium: no name, whatever came back
    EXPECT_EQ(box.itemText(1).toStdString(), "/dev/sdb [ZIPDISK]");
    EXPECT_EQ(box.itemText(2).toStdString(), "/dev/sdc"); // medium without a name
    EXPECT_EQ(box.drive(), "/dev/fd0");
}

TEST_F(DriveListBoxTest, SelectsByRootOrDisplayTextAndRaisesChangeOnce) {
    DriveListBox box(drives);
    QSignalSpy changes(&box, &DriveListBox::Change);

    box.setDrive("/dev/sdb");
    EXPECT_EQ(box.drive(), "/dev/sdb");
    EXPECT_EQ(box.currentText().toStdString(), "/dev/sdb [ZIPDISK]");
    EXPECT_EQ(changes.count(), 1);

    box.setDrive("/dev/sdb"); // already there
    EXPECT_EQ(changes.count(), 1);

    box.setDrive("/dev/sdc [ANY]");
    EXPECT_EQ(box.drive(), "/dev/sdc");
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(DriveListBoxTest, UnknownRootFailsAndKeepsTheSelection) {
    DriveListBox box(drives);
    box.setDrive("/dev/sdb");
    QSignalSpy changes(&box, &DriveListBox::Change);
    for (const char* root : {"/dev/sdz", "", "/dev/sd", "/dev/sdbx"}) {
        EXPECT_EQ(ErrorNumberOf([&] { box.setDrive(root); }), RuntimeError::DeviceUnavailable) << root;
    }
    EXPECT_EQ(box.drive(), "/dev/sdb");
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(DriveListBoxTest, UserChoiceRaisesChange) {
    DriveListBox box(drives);
    box.show();
    QSignalSpy changes(&box, &DriveListBox::Change);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.drive(), "/dev/sdb");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(DriveListBoxTest, OpeningTheListShowsNewMediaAndKeepsTheDrive) {
    DriveListBox box(drives);
    box.show();
    box.setDrive("/dev/sdc");
    QSignalSpy changes(&box, &DriveListBox::Change);
    drives->volumes.insert_or_assign("/dev/sdc", VolumeInformation{"PHOTOS", 1});
    drives->roots.insert(drives->roots.begin(), "/dev/fd1");

    static_cast<QComboBox&>(box).showPopup(); // the media may have changed since the list was filled
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

TEST_F(DriveListBoxTest, EmptyWithoutDrives) {
    DriveListBox box(nullptr);
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.drive(), "");
}

} // namespace
