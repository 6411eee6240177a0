#include "core/catalogue/LabelledDisk.h"
#include "core/disks/DiskInfo.h"
#include "core/runtime/ProgramState.h"

#include "support/FakeDriveService.h"
#include "support/ProgramFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

// The catalogue knows a disk by the facts read from its drive, not by the label's texts made from them.
namespace {

class LabelledDisk : public ProgramFixture {};

// Sizes past what a double holds to the byte still tell two disks apart, and every serial comes through.
TEST_F(LabelledDisk, TakesTheNumbersReadFromTheDrive) {
    const std::uint64_t clusters = (1ULL << 53) + 1; // 2^62 + 512 bytes: no double holds it
    const struct {
        DiskSpace space;
        std::uint32_t serial;
        std::uint64_t capacity;
        std::uint64_t free;
    } cases[] = {
        {{512, 1, 3, clusters}, 0xDEADBEEF, (1ULL << 62) + 512, 1536},
        {{512, 1, clusters, clusters + 1}, 0x0000000F, (1ULL << 62) + 1024, (1ULL << 62) + 512},
        {{512, 4, 8080, 48960}, 0xFFFFFFFF, 100270080, 16547840},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        auto drives = std::make_shared<FakeDriveService>();
        drives->addDrive("/dev/sdb", DriveRemovable, c.space, VolumeInformation{"ZIP", c.serial});
        services.drives = drives;
        DiskFactsRecord facts;
        ASSERT_TRUE(ReadDiskFacts(services, "/dev/sdb", facts));

        const DiskIdentity identity = IdentityOfFacts(facts);
        EXPECT_EQ(identity.serial, c.serial);
        EXPECT_EQ(identity.capacityBytes, c.capacity);
        const DiskRecord disk = RecordOfFacts(facts, 42, "ACME");
        EXPECT_EQ(disk.serial, c.serial);
        EXPECT_EQ(disk.capacityBytes, c.capacity);
        EXPECT_EQ(disk.freeBytes, c.free);
        EXPECT_EQ(disk.usedBytes, c.capacity - c.free);
    }
}

} // namespace
