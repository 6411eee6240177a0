#include "core/disks/DiskInfo.h"

#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

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

class DiskInfo : public ProgramFixture {
protected:
    Outputs examine(std::shared_ptr<DriveService> drives) {
        services.drives = std::move(drives);
        messages->shown.clear();
        Outputs out;
        GetDiskInfo(services, Zip, out.type, out.freeMB, out.capacityMB, out.name, out.serial);
        return out;
    }
};

TEST_F(DiskInfo, NamesTheDriveTypeAndFormatsTheVolume) {
    const struct {
        int code;
        const char* name;
    } types[] = {{0, "UNDETERMINED"}, {1, "NO ROOT"}, {2, "REMOVABLE"}, {3, "FIXED"},   {4, "REMOTE"},
                 {5, "CD ROM"},       {6, "RAMDISK"}, {7, "old type"},  {-1, "old type"}};
    for (const auto& c : types) {
        EXPECT_EQ(examine(Fake(c.code)).type, c.name) << c.code;
    }
    // The name as a blank-filled buffer holds it: its NUL kept, leading blanks trimmed with the buffer's.
    const struct {
        std::string label;
        std::uint32_t serial;
        std::string name;
        const char* text;
    } volumes[] = {
        {"ZIP-100", 0, "ZIP-100\0"s, "0000-0000"},     {"", 0x12AB34, "\0"s, "0012-AB34"},
        {"MY DISK", 0xFFFFFFFF, "MY DISK\0"s, "FFFF-FFFF"}, {"  LEFT", 0x10000, "LEFT\0"s, "0001-0000"},
        {std::string(40, 'N'), 0xF, std::string(40, 'N') + '\0', "0000-000F"},
    };
    for (const auto& c : volumes) {
        const Outputs out = examine(Fake(DriveRemovable, {512, 4, 1, 1}, VolumeInformation{c.label, c.serial}));
        EXPECT_EQ(std::tie(out.name, out.serial), std::tie(c.name, c.text)) << c.label;
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
        {{512, 64, 65536, 65536}, 2048.0, 2048.0},                        // beyond what 32-bit products held
        {{512, 1, 0, 125000000}, 0.0, 61035.15625},                       // a 64 GB stick
        {{4096, 1, 122070312, 488281250}, 476837.15625, 1907348.6328125}, // a 2 TB drive
        {{4096, 1, 1ULL << 40, 1ULL << 40}, 4294967296.0, 4294967296.0},  // 4 PiB
    };
    for (const auto& c : cases) {
        const Outputs out = examine(Fake(DriveRemovable, c.space));
        EXPECT_EQ(std::tie(out.freeMB, out.capacityMB), std::tie(c.freeMB, c.capacityMB)) << c.space.totalClusters;
    }
    EXPECT_TRUE(messages->shown.empty());
}

// The questions go in order (type, space, volume); a drive without a medium or volume answers with zeros
// and blanks, while a failing service or an overflow stops with the message and keeps what was written.
TEST_F(DiskInfo, EmptyDrivesAndFailures) {
    const DiskSpace zip100 = {512, 4, 8080, 48960};
    const VolumeInformation volume{"ZIP-100", 0x12AB34};
    const std::uint64_t huge = 1ULL << 60;
    const Outputs old;
    const int R = DriveRemovable;
    const struct {
        const char* name;
        std::shared_ptr<DriveService> drives;
        Outputs expected;
        bool message;
    } cases[] = {
        {"no_medium", Fake(R, zip100, volume, {}, false), {"REMOVABLE", 0, 0, "", "0000-0000"}, false},
        {"volume_unreadable", Fake(R, zip100, Failure{"unreadable"}), {"REMOVABLE", 15.78125, 95.625, "", "0000-0000"},
         false},
        {"type_fails", Fake(R, zip100, volume, Call::Type), old, true},
        {"space_fails", Fake(R, zip100, volume, Call::Space), {"REMOVABLE", -1, -2, old.name, old.serial}, true},
        {"volume_fails", Fake(R, zip100, volume, Call::Volume), {"REMOVABLE", 15.78125, 95.625, old.name, old.serial},
         true},
        {"free_overflows", Fake(R, {4096, 1, huge, 1}, volume), {"REMOVABLE", -1, -2, old.name, old.serial}, true},
        {"total_overflows", Fake(R, {512, 64, 1, huge}, volume), {"REMOVABLE", 0.03125, -2, old.name, old.serial},
         true},
        {"no_drive_service", nullptr, old, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(examine(c.drives).fields(), c.expected.fields());
        ASSERT_EQ(messages->shown.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(messages->shown[0].prompt, "No Zip Disk found in specified drive!");
            EXPECT_EQ(messages->shown[0].style, 0);
            EXPECT_EQ(messages->shown[0].title, "Insert a Zip Disk ...");
        }
    }
}

} // namespace
