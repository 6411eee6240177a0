#include "core/disks/linux/LinuxDriveService.h"

#include "core/disks/linux/VolumeIds.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    // /proc and /sys files report size 0: read until the end rather than by size.
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A one-line sysfs attribute without its surrounding whitespace; empty when missing.
std::string ReadAttribute(const fs::path& path) {
    const std::string text = ReadFile(path);
    const auto first = text.find_first_not_of(" \t\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

std::optional<fs::path> Canonical(const fs::path& path) {
    std::error_code ec;
    auto real = fs::canonical(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return real;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Whether `path` lies strictly inside `base`, comparing whole components.
bool IsInside(const fs::path& path, const fs::path& base) {
    const auto [baseEnd, pathAt] = std::mismatch(base.begin(), base.end(), path.begin(), path.end());
    return baseEnd == base.end() && pathAt != path.end();
}

// Whether the directory `mountPoint` holds `path`.
bool Holds(const std::string& mountPoint, const std::string& path) {
    if (mountPoint == "/" || mountPoint == path) {
        return true;
    }
    return StartsWith(path, mountPoint) && path.size() > mountPoint.size() && path[mountPoint.size()] == '/';
}

int PartitionNumber(const fs::path& sysDir) {
    const std::string text = ReadAttribute(sysDir / "partition");
    int number = std::numeric_limits<int>::max();
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

Failure NoMedium(const std::string& root) {
    return Failure{"no disk is mounted from " + root};
}

} // namespace

std::optional<FilesystemStats> StatFilesystem(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FilesystemStats{info.f_frsize, info.f_bavail, info.f_blocks};
}

LinuxDriveService::LinuxDriveService(LinuxSystemPaths paths, FilesystemStatsFunction stats)
    : m_paths(std::move(paths)), m_stats(std::move(stats)) {}

std::vector<std::string> LinuxDriveService::driveRoots() const {
    std::vector<std::string> roots;
    std::error_code ec;
    // /sys/block lists whole disks only; the node of each removable one is its root.
    for (fs::directory_iterator it(fs::path(m_paths.sysRoot) / "block", ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto diskDir = Canonical(it->path());
        if (diskDir && typeOfDisk(*diskDir) == DriveRemovable) {
            roots.push_back((fs::path(m_paths.devDir) / it->path().filename()).string());
        }
    }
    std::sort(roots.begin(), roots.end());
    return roots;
}

int LinuxDriveService::driveType(const std::string& root) const {
    const Target target = resolve(root);
    if (target.device) {
        return typeOfDisk(target.device->diskDir);
    }
    if (target.directory) {
        return typeOfHolder(holderOf(*target.directory));
    }
    return DriveNoRoot;
}

Result<DiskSpace> LinuxDriveService::diskSpace(const std::string& root) const {
    const auto medium = mediumOf(resolve(root));
    if (!medium) {
        return NoMedium(root);
    }
    const auto stats = m_stats ? m_stats(medium->path) : std::nullopt;
    if (!stats) {
        return Failure{"cannot read the free space of " + medium->path};
    }
    DiskSpace space;
    space.bytesPerSector = stats->fragmentSize;
    space.sectorsPerCluster = 1;
    space.freeClusters = stats->availableBlocks;
    space.totalClusters = stats->totalBlocks;
    return space;
}

Result<VolumeInformation> LinuxDriveService::volumeInformation(const std::string& root) const {
    const auto medium = mediumOf(resolve(root));
    if (!medium) {
        return NoMedium(root);
    }
    if (!medium->mount) {
        return VolumeInformation{};
    }
    return volumeOf(*medium->mount);
}

Result<std::string> LinuxDriveService::mountPoint(const std::string& root) const {
    const Target target = resolve(root);
    if (target.directory) {
        return root;
    }
    const auto medium = mediumOf(target);
    if (!medium) {
        return NoMedium(root);
    }
    return medium->path;
}

std::vector<std::string> LinuxDriveService::mountsInside(const std::string& folder) const {
    std::string prefix = folder;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }
    std::vector<std::string> inside;
    for (const MountEntry& mount : readMounts()) {
        if (mount.mountPoint.size() > prefix.size() &&
            mount.mountPoint.compare(0, prefix.size(), prefix) == 0) {
            inside.push_back(mount.mountPoint);
        }
    }
    return inside;
}

LinuxDriveService::Target LinuxDriveService::resolve(const std::string& root) const {
    Target target;
    if (root.empty()) {
        return target;
    }
    target.device = deviceOfRoot(root);
    if (!target.device) {
        std::error_code ec;
        if (fs::is_directory(root, ec)) {
            if (const auto real = Canonical(root)) {
                target.directory = real->string();
            }
        }
    }
    return target;
}

std::optional<LinuxDriveService::Medium> LinuxDriveService::mediumOf(const Target& target) const {
    if (target.device) {
        auto mount = mountedFilesystemOf(*target.device);
        if (!mount) {
            return std::nullopt;
        }
        std::string path = mount->mountPoint;
        return Medium{std::move(mount), std::move(path)};
    }
    if (target.directory) {
        return Medium{holderOf(*target.directory), *target.directory};
    }
    return std::nullopt;
}

std::optional<LinuxDriveService::BlockDevice> LinuxDriveService::deviceOfRoot(const std::string& root) const {
    fs::path node = fs::path(root).lexically_normal();
    std::error_code ec;
    if (fs::is_symlink(node, ec)) {
        // /dev/disk/by-id/usb-... and the like name the node they point to.
        if (const auto real = Canonical(node)) {
            node = *real;
        }
    }
    const fs::path devDir = fs::path(m_paths.devDir).lexically_normal();
    const std::string name = node.filename().string();
    if (name.empty() || node.parent_path() != devDir) {
        return std::nullopt;
    }
    const auto sysDir = Canonical(fs::path(m_paths.sysRoot) / "class" / "block" / name);
    if (!sysDir) {
        return std::nullopt;
    }
    const bool partition = fs::exists(*sysDir / "partition", ec);
    return BlockDevice{name, *sysDir, partition ? sysDir->parent_path() : *sysDir, partition};
}

std::optional<LinuxDriveService::BlockDevice> LinuxDriveService::deviceOfNumbers(unsigned major,
                                                                                 unsigned minor) const {
    // Follow the real link: lexical normalisation of "../../devices/..." would lose the device's place.
    const auto sysDir = Canonical(fs::path(m_paths.sysRoot) / "dev" / "block" /
                                  (std::to_string(major) + ":" + std::to_string(minor)));
    if (!sysDir) {
        return std::nullopt;
    }
    std::error_code ec;
    const bool partition = fs::exists(*sysDir / "partition", ec);
    return BlockDevice{sysDir->filename().string(), *sysDir, partition ? sysDir->parent_path() : *sysDir,
                       partition};
}

std::vector<MountEntry> LinuxDriveService::readMounts() const {
    return ParseMountInfo(ReadFile(m_paths.mountInfo));
}

std::optional<MountEntry> LinuxDriveService::mountedFilesystemOf(const BlockDevice& device) const {
    // The whole device when it carries a filesystem itself, else its lowest-numbered mounted partition.
    std::optional<MountEntry> best;
    int bestNumber = std::numeric_limits<int>::max();
    for (const auto& mount : DeviceMounts(readMounts())) {
        if (!mount.isBlockDevice()) {
            continue;
        }
        const auto mounted = deviceOfNumbers(mount.major, mount.minor);
        if (!mounted) {
            continue;
        }
        if (mounted->sysDir == device.sysDir) {
            return mount;
        }
        if (!device.partition && mounted->partition && mounted->diskDir == device.sysDir) {
            const int number = PartitionNumber(mounted->sysDir);
            if (!best || number < bestNumber) {
                best = mount;
                bestNumber = number;
            }
        }
    }
    return best;
}

std::optional<MountEntry> LinuxDriveService::holderOf(const std::string& directory) const {
    // The deepest mount point above the directory; of mounts stacked on one point the last is visible.
    std::optional<MountEntry> holder;
    for (auto& mount : readMounts()) {
        if (mount.fsType == "autofs" || !Holds(mount.mountPoint, directory)) {
            continue;
        }
        if (!holder || mount.mountPoint.size() >= holder->mountPoint.size()) {
            holder = std::move(mount);
        }
    }
    return holder;
}

int LinuxDriveService::typeOfDisk(const fs::path& diskDir) const {
    const std::string name = diskDir.filename().string();
    if (StartsWith(name, "loop") || StartsWith(name, "dm-")) {
        return DriveFixed;
    }
    if (StartsWith(name, "ram") || StartsWith(name, "zram")) {
        return DriveRamDisk;
    }
    if (StartsWith(name, "sr") || ReadAttribute(diskDir / "device" / "type") == "5") {
        return DriveCdRom;
    }
    if (StartsWith(name, "fd")) {
        return DriveRemovable;
    }
    if (StartsWith(name, "mmcblk")) {
        // SD cards come and go; an eMMC soldered to the board reports the card type MMC.
        return ReadAttribute(diskDir / "device" / "type") == "MMC" ? DriveFixed : DriveRemovable;
    }
    if (ReadAttribute(diskDir / "removable") == "1" || ancestryIsRemovable(diskDir)) {
        return DriveRemovable;
    }
    return DriveFixed;
}

bool LinuxDriveService::ancestryIsRemovable(const fs::path& diskDir) const {
    // USB sticks and card readers often say removable 0 on the disk itself; the bus they hang on tells.
    static const std::vector<std::string> hotplugBuses{"usb", "ieee1394", "pcmcia", "mmc", "memstick"};
    const auto devices = Canonical(fs::path(m_paths.sysRoot) / "devices");
    if (!devices) {
        return false;
    }
    for (fs::path dir = diskDir.parent_path(); IsInside(dir, *devices); dir = dir.parent_path()) {
        if (ReadAttribute(dir / "removable") == "removable") {
            return true;
        }
        std::error_code ec;
        const auto subsystem = fs::read_symlink(dir / "subsystem", ec);
        if (!ec && std::find(hotplugBuses.begin(), hotplugBuses.end(), subsystem.filename().string()) !=
                       hotplugBuses.end()) {
            return true;
        }
    }
    return false;
}

int LinuxDriveService::typeOfHolder(const std::optional<MountEntry>& holder) const {
    if (!holder) {
        return DriveFixed;
    }
    if (IsPseudoFilesystem(holder->fsType)) {
        return DriveUndetermined;
    }
    if (IsNetworkFilesystem(holder->fsType)) {
        return DriveRemote;
    }
    if (IsRamFilesystem(holder->fsType)) {
        return DriveRamDisk;
    }
    if (holder->isBlockDevice()) {
        if (const auto device = deviceOfNumbers(holder->major, holder->minor)) {
            return typeOfDisk(device->diskDir);
        }
    }
    return DriveFixed;
}

VolumeInformation LinuxDriveService::volumeOf(const MountEntry& mount) const {
    VolumeInformation volume;
    if (!mount.isBlockDevice()) {
        return volume;
    }
    std::optional<std::string> label;
    std::optional<std::string> uuid;
    const std::string udevName = "b" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    std::istringstream udev(ReadFile(fs::path(m_paths.udevData) / udevName));
    for (std::string line; std::getline(udev, line);) {
        if (StartsWith(line, "E:ID_FS_LABEL_ENC=")) {
            label = DecodeHexEscapes(line.substr(18));
        } else if (StartsWith(line, "E:ID_FS_UUID_ENC=")) {
            uuid = DecodeHexEscapes(line.substr(17));
        }
    }
    if (!label || !uuid) {
        std::string name;
        if (const auto device = deviceOfNumbers(mount.major, mount.minor)) {
            name = device->name;
        } else if (fs::path(mount.source).parent_path() == fs::path(m_paths.devDir)) {
            name = fs::path(mount.source).filename().string();
        }
        if (!name.empty()) {
            if (!label) {
                label = linkNaming("by-label", name);
            }
            if (!uuid) {
                uuid = linkNaming("by-uuid", name);
            }
        }
    }
    volume.name = label.value_or("");
    volume.serial = uuid ? SerialFromUuid(*uuid) : 0;
    return volume;
}

std::optional<std::string> LinuxDriveService::linkNaming(const std::string& folder,
                                                         const std::string& deviceName) const {
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(m_paths.diskRoot) / folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code linkError;
        const auto target = fs::read_symlink(it->path(), linkError);
        if (!linkError && target.filename() == deviceName) {
            return DecodeHexEscapes(it->path().filename().string());
        }
    }
    return std::nullopt;
}
