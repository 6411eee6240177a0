#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <string>
#include <vector>

// Drive type codes, as the platform reports them.
enum DriveTypeCode : int {
    DriveUndetermined = 0,
    DriveNoRoot = 1,
    DriveRemovable = 2,
    DriveFixed = 3,
    DriveRemote = 4,
    DriveCdRom = 5,
    DriveRamDisk = 6,
};

struct DiskSpace {
    std::uint64_t bytesPerSector = 0;
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t freeClusters = 0;
    std::uint64_t totalClusters = 0;
};

struct VolumeInformation {
    std::string name;
    std::uint32_t serial = 0;
};

// The four questions the program asks the operating system about drives. A drive without a medium is an
// ordinary answer (a failed Result); a service that cannot answer at all throws RuntimeError.
class DriveService {
public:
    virtual ~DriveService() = default;
    // The drive roots, in the platform's order.
    virtual std::vector<std::string> driveRoots() const = 0;
    // DriveTypeCode of a root.
    virtual int driveType(const std::string& root) const = 0;
    // The space of the medium in the drive.
    virtual Result<DiskSpace> diskSpace(const std::string& root) const = 0;
    // Volume name and serial of the medium.
    virtual Result<VolumeInformation> volumeInformation(const std::string& root) const = 0;
    // Where the medium's folders can be browsed: the root itself where drives are their own folder
    // (Windows), the current mount point where a drive is a device node (Linux); a failure without a medium.
    virtual Result<std::string> mountPoint(const std::string& root) const { return root; }
    // The mount points of other filesystems inside a folder, which a walk of the folder must not enter.
    virtual std::vector<std::string> mountsInside(const std::string& /*folder*/) const { return {}; }
};
