#pragma once

#include "core/disks/DriveService.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A table of drives for tests: roots in the order added, each with its type and, while a medium is in it,
// its space, volume information and mount point. Any call can be made to fail with a RuntimeError.
class FakeDriveService final : public DriveService {
public:
    enum class Call { Roots, Type, Space, Volume, MountPoint };

    // Adds a drive holding a medium; a root added again is replaced in place.
    FakeDriveService& addDrive(const std::string& root, int type, const DiskSpace& space = {},
                               const Result<VolumeInformation>& volume = VolumeInformation{});
    // Adds a drive without a medium.
    FakeDriveService& addEmptyDrive(const std::string& root, int type);
    // Takes the medium out: zeros, no volume, no mount point.
    void removeMedium(const std::string& root);
    // Where the medium is mounted; without it the root itself is its folder.
    void setMountPoint(const std::string& root, const std::string& path);
    // Makes `which` throw for `root` (any root for Call::Roots).
    void failOn(const std::string& root, Call which);

    std::vector<std::string> driveRoots() const override;
    int driveType(const std::string& root) const override;
    Result<DiskSpace> diskSpace(const std::string& root) const override;
    Result<VolumeInformation> volumeInformation(const std::string& root) const override;
    Result<std::string> mountPoint(const std::string& root) const override;

private:
    struct Drive {
        int type = DriveUndetermined;
        bool hasMedium = false;
        DiskSpace space;
        Result<VolumeInformation> volume = VolumeInformation{};
        std::optional<std::string> mountPoint;
    };

    // The drive at `root`, if any, after the failure set for this call.
    const Drive* find(Call which, const std::string& root) const;

    std::vector<std::string> m_order;
    std::map<std::string, Drive> m_drives;
    std::set<std::pair<Call, std::string>> m_failures;
};
