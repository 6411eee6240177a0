#include "core/disks/linux/LinuxDriveService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

void Describe(const LinuxDriveService& service, const std::string& root) {
    const DiskSpace space = service.diskSpace(root).value_or({});
    const auto volume = service.volumeInformation(root).value_or({});
    const auto mount = service.mountPoint(root);
    std::cout << "  " << root << ": type " << service.driveType(root) << ", space "
              << (service.diskSpace(root) ? "" : "(none) ") << space.bytesPerSector << " x " << space.sectorsPerCluster
              << " x " << space.freeClusters << " free / " << space.totalClusters << " total, volume "
              << (service.volumeInformation(root) ? "ok" : "none") << " [" << volume.name << "] serial " << std::hex
              << volume.serial << std::dec << ", mounted at " << mount.value_or("(nothing)") << '\n';
}

// The service on this machine's own /proc, /sys and /dev: it must answer without failing, whatever the
// machine has plugged in.
TEST(RealMachine, AnswersSanely) {
    const LinuxDriveService service;
    const auto roots = service.driveRoots();
    std::cout << "removable drives: " << roots.size() << '\n';
    for (const auto& root : roots) {
        Describe(service, root);
        EXPECT_EQ(service.driveType(root), DriveRemovable) << root;
    }
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));

    std::cout << "every block device:\n";
    std::vector<std::string> nodes;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/sys/block", ec), end; !ec && it != end; it.increment(ec)) {
        nodes.push_back("/dev/" + it->path().filename().string());
    }
    std::sort(nodes.begin(), nodes.end());
    for (const auto& node : nodes) {
        Describe(service, node);
    }

    std::cout << "directories:\n";
    for (const char* root : {"/", "/proc", "/dev/shm", "/nonexistent-tessaline-root"}) {
        Describe(service, root);
    }
    EXPECT_EQ(service.driveType("/"), DriveFixed);
    EXPECT_EQ(service.driveType("/nonexistent-tessaline-root"), DriveNoRoot);

    const Result<DiskSpace> root = service.diskSpace("/");
    ASSERT_TRUE(root) << root.reason();
    const DiskSpace& space = *root;
    EXPECT_GT(space.bytesPerSector, 0u);
    EXPECT_EQ(space.sectorsPerCluster, 1u);
    EXPECT_GT(space.totalClusters, 0u);
    EXPECT_LE(space.freeClusters, space.totalClusters);
    EXPECT_TRUE(service.volumeInformation("/"));
}

} // namespace
