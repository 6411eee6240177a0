#include "core/disks/DiskInfo.h"
#include "core/disks/ZipDriveList.h"

#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"
#include "support/RecordingDriveList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// What the program asks of the drives: which are Zip drives, and what the disk in one holds.
namespace {

using Call = FakeDriveService::Call;
using namespace std::string_literals;

constexpr const char* Zip = "E:\\";

// The five outputs, started from recognisable values so that a test sees which ones were written.
struct Outputs {
    std::string type = "old type";
    double freeMB = -1;
    double capacityMB = -2;
    std::string name = "old name";
    std::string serial = "old serial";
    auto fields() const { return std::tie(type, freeMB, capacityMB, name, serial); }
};

// One drive at Zip: its type, a medium with this space and volume (or none), and a call that fails.
std::shared_ptr<FakeDriveService> Fake(int type, DiskSpace space = {512, 4, 1, 1},
                                       Result<VolumeInformation> volume = VolumeInformation{"ZIP", 1},
                                       std::optional<Call> failing = {}, bool medium = true) {
    auto fake = std::make_shared<FakeDriveService>();
    fake->addDrive(Zip, type, space, volume);
    if (!medium) {
        fake->removeMedium(Zip);
    }
    if (failing) {
        fake->failOn(Zip, *failing);
    }
    return fake;
}

class DiskInfo : public ProgramFixture {};

// The facts in turn: type, space (64-bit products in megabytes), volume (the name as a blank-filled buffer
// holds it, its NUL kept). A drive without a medium or volume answers with zeros and blanks; a failing
// service or an overflow stops with the message and keeps what was written before.
TEST_F(DiskInfo, ReadsEachFactInTurn) {
    const DiskSpace zip100 = {512, 4, 8080, 48960};
    const VolumeInformation zip{"ZIP-100", 0x12AB34};
    const std::uint64_t huge = 1ULL << 60;
    const double small = 512 * 4 / 1048576.0;
    const Outputs old;
    const std::string n40(40, 'N');
    const struct {
        std::shared_ptr<DriveService> drives;
        Outputs expected;
        bool message = false;
    } cases[] = {
        {Fake(2, zip100, zip), {"REMOVABLE", 15.78125, 95.625, "ZIP-100\0"s, "0012-AB34"}},
        {Fake(3, {512, 64, 65536, 65536}, VolumeInformation{"", 0xFFFFFFFF}),
         {"FIXED", 2048, 2048, "\0"s, "FFFF-FFFF"}},
        {Fake(0, {512, 1, 0, 125000000}, VolumeInformation{"MY DISK", 0x10000}),
         {"UNDETERMINED", 0, 61035.15625, "MY DISK\0"s, "0001-0000"}},
        {Fake(1, {4096, 1, 122070312, 488281250}, VolumeInformation{"  LEFT", 0xF}),
         {"NO ROOT", 476837.15625, 1907348.6328125, "LEFT\0"s, "0000-000F"}},
        {Fake(4, {4096, 1, 1ULL << 40, 1ULL << 40}, VolumeInformation{n40, 0xDEADBEEF}),
         {"REMOTE", 4294967296.0, 4294967296.0, n40 + '\0', "DEAD-BEEF"}},
        {Fake(7), {old.type, small, small, "ZIP\0"s, "0000-0001"}},
        {Fake(2, zip100, zip, {}, false), {"REMOVABLE", 0, 0, "", "0000-0000"}},
        {Fake(2, zip100, Failure{"unreadable"}), {"REMOVABLE", 15.78125, 95.625, "", "0000-0000"}},
        {Fake(2, zip100, zip, Call::Type), old, true},
        {Fake(2, zip100, zip, Call::Space), {"REMOVABLE", -1, -2, old.name, old.serial}, true},
        {Fake(2, zip100, zip, Call::Volume), {"REMOVABLE", 15.78125, 95.625, old.name, old.serial}, true},
        {Fake(2, {512, 64, 1, huge}, zip), {"REMOVABLE", 0.03125, -2, old.name, old.serial}, true},
        {nullptr, old, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        services.drives = c.drives;
        messages->shown.clear();
        Outputs out;
        GetDiskInfo(services, Zip, out.type, out.freeMB, out.capacityMB, out.name, out.serial);
        EXPECT_EQ(out.fields(), c.expected.fields());
        ASSERT_EQ(messages->shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(messages->shown[0].prompt, "No Zip Disk found in specified drive!");
            EXPECT_EQ(messages->shown[0].style, 0);
            EXPECT_EQ(messages->shown[0].title, "Insert a Zip Disk ...");
        }
    }
}

class ZipDriveList : public ProgramFixture {};

// Every removable drive, with or without a medium, is added after what the box holds, drive letters in
// upper case; a drive whose type cannot be told is passed over; the box shows the last one added.
TEST_F(ZipDriveList, OffersTheRemovableDrivesAndShowsTheLast) {
    const auto drives = std::make_shared<FakeDriveService>();
    services.drives = drives;
    drives->addDrive("a:", DriveRemovable)
        .addDrive("C:\\", DriveFixed)
        .addEmptyDrive("e:\\", DriveRemovable)
        .addDrive("/dev/sdb", DriveRemovable)
        .addDrive("/dev/sdc", DriveRemovable)
        .addDrive("/dev/sdd", DriveFixed);
    drives->failOn("/dev/sdc", Call::Type);
    RecordingDriveList box;
    box.items = {"kept"};
    box.text = "A:"; // the saved ZIPDRIVE
    FillZipDriveList(services, box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"kept", "A:", "E:\\", "/dev/sdb"}));
    EXPECT_EQ(box.text, "/dev/sdb");
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
    services.drives.reset();
    expectEnded();
}

} // namespace
