#pragma once

#include "core/disks/DriveService.h"
#include "core/disks/linux/MountInfo.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What statvfs tells of a mounted filesystem.
struct FilesystemStats {
    std::uint64_t fragmentSize = 0;    // f_frsize
    std::uint64_t availableBlocks = 0; // f_bavail: what an unprivileged user may still write
    std::uint64_t totalBlocks = 0;     // f_blocks
};

using FilesystemStatsFunction = std::function<std::optional<FilesystemStats>(const std::string& path)>;

// statvfs of a path; none when it fails.
std::optional<FilesystemStats> StatFilesystem(const std::string& path);

// The system places the drive service reads; tests point them into a temporary tree.
struct LinuxSystemPaths {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string sysRoot = "/sys";
    std::string udevData = "/run/udev/data";
    std::string diskRoot = "/dev/disk";
    std::string devDir = "/dev";
};

// Drives on Linux without a daemon or privileges. A drive root is a removable drive's device node
// (/dev/sdb), which stays while media come and go; it is examined through whichever of its filesystems is
// mounted now. A directory given as a root is examined as the filesystem holding it.
class LinuxDriveService final : public DriveService {
public:
    explicit LinuxDriveService(LinuxSystemPaths paths = {}, FilesystemStatsFunction stats = StatFilesystem);

    std::vector<std::string> driveRoots() const override;
    int driveType(const std::string& root) const override;
    Result<DiskSpace> diskSpace(const std::string& root) const override;
    Result<VolumeInformation> volumeInformation(const std::string& root) const override;
    // The mount point of the medium in a device root, a directory root itself, none without a medium.
    Result<std::string> mountPoint(const std::string& root) const override;
    std::vector<std::string> mountsInside(const std::string& folder) const override;

private:
    struct BlockDevice {
        std::string name;              // kernel name: sdb, sdb4, mmcblk0p1
        std::filesystem::path sysDir;  // its real sysfs directory
        std::filesystem::path diskDir; // the whole disk's sysfs directory (itself for a disk)
        bool partition = false;
    };

    // What a root stands for: a block device, a directory, or nothing.
    struct Target {
        std::optional<BlockDevice> device;
        std::optional<std::string> directory; // canonical
    };

    // The filesystem examined for a root, and the path to ask statvfs about.
    struct Medium {
        std::optional<MountEntry> mount;
        std::string path;
    };

    Target resolve(const std::string& root) const;
    std::optional<Medium> mediumOf(const Target& target) const;
    std::optional<BlockDevice> deviceOfRoot(const std::string& root) const;
    std::optional<BlockDevice> deviceOfNumbers(unsigned major, unsigned minor) const;
    std::vector<MountEntry> readMounts() const;
    std::optional<MountEntry> mountedFilesystemOf(const BlockDevice& device) const;
    std::optional<MountEntry> holderOf(const std::string& directory) const;
    int typeOfDisk(const std::filesystem::path& diskDir) const;
    int typeOfHolder(const std::optional<MountEntry>& holder) const;
    bool ancestryIsRemovable(const std::filesystem::path& diskDir) const;
    VolumeInformation volumeOf(const MountEntry& mount) const;
    std::optional<std::string> linkNaming(const std::string& folder, const std::string& deviceName) const;

    LinuxSystemPaths m_paths;
    FilesystemStatsFunction m_stats;
};
