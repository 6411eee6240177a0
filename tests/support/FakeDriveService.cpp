#include "support/FakeDriveService.h"

#include "core/runtime/RuntimeError.h"

#include <algorithm>

FakeDriveService& FakeDriveService::addDrive(const std::string& root, int type, const DiskSpace& space,
                                             const Result<VolumeInformation>& volume) {
    if (std::find(m_order.begin(), m_order.end(), root) == m_order.end()) {
        m_order.push_back(root);
    }
    m_drives[root] = Drive{type, true, space, volume, std::nullopt};
    return *this;
}

FakeDriveService& FakeDriveService::addEmptyDrive(const std::string& root, int type) {
    addDrive(root, type);
    removeMedium(root);
    return *this;
}

void FakeDriveService::removeMedium(const std::string& root) {
    if (auto it = m_drives.find(root); it != m_drives.end()) {
        it->second.hasMedium = false;
        it->second.space = {};
        it->second.volume = Failure{"no medium"};
        it->second.mountPoint.reset();
    }
}

void FakeDriveService::setMountPoint(const std::string& root, const std::string& path) {
    if (auto it = m_drives.find(root); it != m_drives.end()) {
        it->second.mountPoint = path;
    }
}

void FakeDriveService::failOn(const std::string& root, Call which) {
    m_failures.insert({which, which == Call::Roots ? std::string() : root});
}

const FakeDriveService::Drive* FakeDriveService::find(Call which, const std::string& root) const {
    if (m_failures.count({which, root}) != 0) {
        throw RuntimeError(RuntimeError::DeviceUnavailable);
    }
    auto it = m_drives.find(root);
    return it == m_drives.end() ? nullptr : &it->second;
}

std::vector<std::string> FakeDriveService::driveRoots() const {
    find(Call::Roots, "");
    return m_order;
}

int FakeDriveService::driveType(const std::string& root) const {
    const Drive* drive = find(Call::Type, root);
    return drive ? drive->type : DriveNoRoot;
}

Result<DiskSpace> FakeDriveService::diskSpace(const std::string& root) const {
    const Drive* drive = find(Call::Space, root);
    return drive && drive->hasMedium ? Result<DiskSpace>(drive->space) : Failure{"no medium"};
}

Result<VolumeInformation> FakeDriveService::volumeInformation(const std::string& root) const {
    const Drive* drive = find(Call::Volume, root);
    return drive && drive->hasMedium ? drive->volume : Failure{"no medium"};
}

Result<std::string> FakeDriveService::mountPoint(const std::string& root) const {
    const Drive* drive = find(Call::MountPoint, root);
    return drive && drive->hasMedium ? Result<std::string>(drive->mountPoint.value_or(root))
                                     : Failure{"no medium"};
}
