#include "core/disks/DiskInfo.h"

#include "core/runtime/ProgramState.h"
#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

using Call = FakeDriveService::Call;

constexpr const char* Zip = "E:\\";

// The five outputs, started from recognisable values so that a test sees which ones were written.
struct Outputs {
    std::string type = "old type";
    double freeMB = -1;
    double capacityMB = -2;
    std::string name = "old name";
    std::string serial = "old serial";
};

class DiskInfo : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        services.drives = drives;
    }

    Outputs examine(const std::string& drive = Zip) {
        Outputs out;
        GetDiskInfo(services, drive, out.type, out.freeMB, out.capacityMB, out.name, out.serial);
        return out;
    }

    void expectFailureMessage() {
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt, "No Zip Disk found in specified drive!");
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_EQ(messages->shown[0].title, "Insert a Zip Disk ...");
    }

    std::shared_ptr<FakeDriveService> drives = std::make_shared<FakeDriveService>();
};

TEST_F(DiskInfo, NamesEveryDriveType) {
    const struct {
        int code;
        const char* name;
    } cases[] = {{0, "UNDETERMINED"}, {1, "NO ROOT"}, {2, "REMOVABLE"}, {3, "FIXED"},    {4, "REMOTE"},
                 {5, "CD ROM"},       {6, "RAMDISK"}, {7, "old type"},  {-1, "old type"}};
    for (const auto& c : cases) {
        drives->addDrive(Zip, c.code);
        EXPECT_EQ(examine().type, c.name) << c.code;
    }
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(DiskInfo, MegabytesFromSectorsAndClusters) {
    const struct {
        DiskSpace space;
        double freeMB;
        double capacityMB;
    } cases[] = {
        {{512, 4, 8080, 48960}, 15.78125, 95.625},                        // a Zip 100 disk
        {{512, 64, 65535, 65535}, 2047.96875, 2047.96875},                // the largest a 32-bit product held
        {{512, 64, 65536, 65536}, 2048.0, 2048.0},                        // used to be reported as missing
        {{512, 1, 0, 125000000}, 0.0, 61035.15625},                       // a 64 GB stick
        {{4096, 1, 122070312, 488281250}, 476837.15625, 1907348.6328125}, // a 2 TB drive
        {{4096, 1, 1ULL << 40, 1ULL << 40}, 4294967296.0, 4294967296.0},  // 4 PiB
    };
    for (const auto& c : cases) {
        drives->addDrive(Zip, DriveRemovable, c.space, VolumeInformation{"ZIP", 1});
        const auto out = examine();
        EXPECT_DOUBLE_EQ(out.freeMB, c.freeMB) << c.space.totalClusters;
        EXPECT_DOUBLE_EQ(out.capacityMB, c.capacityMB) << c.space.totalClusters;
    }
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(DiskInfo, ProductsBeyondSixtyFourBitsStopWithTheMessage) {
    const std::uint64_t huge = 1ULL << 60;
    drives->addDrive(Zip, DriveRemovable, {4096, 1, huge, 1}, VolumeInformation{"ZIP", 1});
    auto out = examine();
    expectFailureMessage();
    EXPECT_EQ(out.type, "REMOVABLE");
    EXPECT_EQ(out.freeMB, -1); // nothing after the type was written
    EXPECT_EQ(out.capacityMB, -2);
    EXPECT_EQ(out.name, "old name");

    messages->shown.clear();
    drives->addDrive(Zip, DriveRemovable, {512, 64, 1, huge}, VolumeInformation{"ZIP", 1});
    out = examine();
    expectFailureMessage();
    EXPECT_DOUBLE_EQ(out.freeMB, 0.03125); // free space written before the total overflowed
    EXPECT_EQ(out.capacityMB, -2);
    EXPECT_EQ(out.serial, "old serial");
}

TEST_F(DiskInfo, SerialTexts) {
    const struct {
        std::uint32_t serial;
        const char* text;
    } cases[] = {{0, "0000-0000"},          {0x12AB34, "0012-AB34"}, {0xFFFFFFFF, "FFFF-FFFF"},
                 {0xDEADBEEF, "DEAD-BEEF"}, {0x10000, "0001-0000"},  {0xF, "0000-000F"}};
    for (const auto& c : cases) {
        drives->addDrive(Zip, DriveRemovable, {512, 4, 1, 1}, VolumeInformation{"ZIP", c.serial});
        EXPECT_EQ(examine().serial, c.text) << c.serial;
    }
}

TEST_F(DiskInfo, VolumeNameKeepsItsTerminatingNul) {
    const struct {
        std::string label;
        std::string name;
    } cases[] = {
        {"ZIP-100", std::string("ZIP-100\0", 8)},
        {"", std::string(1, '\0')},
        {"MY DISK", std::string("MY DISK\0", 8)},
        {"  LEFT", std::string("LEFT\0", 5)}, // blanks before the name are trimmed with the buffer's
        {std::string(40, 'N'), std::string(40, 'N') + '\0'},
    };
    for (const auto& c : cases) {
        drives->addDrive(Zip, DriveRemovable, {512, 4, 1, 1}, VolumeInformation{c.label, 7});
        EXPECT_EQ(examine().name, c.name) << c.label;
    }
}

TEST_F(DiskInfo, EmptyDriveGivesZerosWithoutMessage) {
    drives->addEmptyDrive(Zip, DriveRemovable);
    const auto out = examine();
    EXPECT_EQ(out.type, "REMOVABLE");
    EXPECT_EQ(out.freeMB, 0.0);
    EXPECT_EQ(out.capacityMB, 0.0);
    EXPECT_EQ(out.name, "");
    EXPECT_EQ(out.serial, "0000-0000");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(DiskInfo, FailedVolumeReadGivesEmptyNameAndZeroSerial) {
    drives->addDrive(Zip, DriveRemovable, {512, 4, 1, 48960}, Failure{"unreadable"});
    const auto out = examine();
    EXPECT_DOUBLE_EQ(out.capacityMB, 95.625);
    EXPECT_EQ(out.name, "");
    EXPECT_EQ(out.serial, "0000-0000");
}

// The failing call shows the order of the questions: type, space, then volume, each for the drive as given.
TEST_F(DiskInfo, ErrorMidWayKeepsEarlierOutputs) {
    const struct {
        Call failing;
        bool typeWritten;
        bool spaceWritten;
    } cases[] = {{Call::Type, false, false}, {Call::Space, true, false}, {Call::Volume, true, true}};
    for (const auto& c : cases) {
        auto fake = std::make_shared<FakeDriveService>();
        fake->addDrive(Zip, DriveRemovable, {512, 4, 8080, 48960}, VolumeInformation{"ZIP-100", 0x12AB34});
        fake->failOn(Zip, c.failing);
        services.drives = fake;
        messages->shown.clear();

        const auto out = examine();
        expectFailureMessage();
        EXPECT_EQ(out.type, c.typeWritten ? "REMOVABLE" : "old type");
        EXPECT_EQ(out.freeMB, c.spaceWritten ? 15.78125 : -1);
        EXPECT_EQ(out.capacityMB, c.spaceWritten ? 95.625 : -2);
        EXPECT_EQ(out.name, "old name");
        EXPECT_EQ(out.serial, "old serial");
    }
}

TEST_F(DiskInfo, WithoutADriveServiceReportsTheFailure) {
    services.drives.reset();
    const auto out = examine();
    expectFailureMessage();
    EXPECT_EQ(out.type, "old type");
}

} // namespace
