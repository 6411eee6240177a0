#include "core/disks/linux/LinuxDriveService.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The service on this machine's own /proc, /sys and /dev answers without failing, whatever is plugged in.
TEST(RealMachine, AnswersSanely) {
    const LinuxDriveService service;
    const auto roots = service.driveRoots();
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
    for (const auto& root : roots) {
        EXPECT_EQ(service.driveType(root), DriveRemovable) << root;
    }
    EXPECT_EQ(service.driveType("/"), DriveFixed);
    EXPECT_EQ(service.driveType("/nonexistent-tessaline-root"), DriveNoRoot);

    const Result<DiskSpace> space = service.diskSpace("/");
    ASSERT_TRUE(space) << space.reason();
    EXPECT_GT(space->bytesPerSector, 0u);
    EXPECT_EQ(space->sectorsPerCluster, 1u);
    EXPECT_GT(space->totalClusters, 0u);
    EXPECT_LE(space->freeClusters, space->totalClusters);
    EXPECT_TRUE(service.volumeInformation("/"));
    EXPECT_FALSE(StatFilesystem("/nonexistent-tessaline-root"));
}

} // namespace
