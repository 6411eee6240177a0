#pragma once

#include <string>
#include <string_view>
#include <vector>

// One line of /proc/<pid>/mountinfo, with the escaped fields decoded.
struct MountEntry {
    int mountId = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the directory of the filesystem that is mounted ("/" for all of it)
    std::string mountPoint; // where it is mounted
    std::string fsType;
    std::string source;

    bool isBlockDevice() const { return major != 0; }
};

// Every well-formed line of a mountinfo text, in file order; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Decodes the kernel's octal escapes of space, tab, newline and backslash.
std::string UnescapeMountField(std::string_view field);

// Kernel and desktop filesystems that hold no user data (proc, sysfs, cgroup, autofs, ...).
bool IsPseudoFilesystem(std::string_view fsType);
// Filesystems served over a network.
bool IsNetworkFilesystem(std::string_view fsType);
// Filesystems that live in memory.
bool IsRamFilesystem(std::string_view fsType);

// The mounts that may hold a drive's medium: no pseudo filesystems, each device once (its whole-filesystem
// mount when there is one, else the lowest mount id).
std::vector<MountEntry> DeviceMounts(const std::vector<MountEntry>& all);
