#pragma once

#include "support/TempDir.h"

#include "core/disks/linux/LinuxDriveService.h"

#include <map>
#include <string>

// A throw-away /proc, /sys, udev and /dev/disk tree under a temporary directory, built the way the kernel
// lays it out: real device directories under sys/devices and relative symlinks to them.
class FakeSystemTree {
public:
    FakeSystemTree();

    // A whole disk at sys/devices/<device>/block/<name>; `device` is also where device/... attributes go.
    void disk(const std::string& device, const std::string& name, const std::string& majMin,
              const std::string& removable = "0", const std::string& size = "2048");
    void partition(const std::string& diskName, const std::string& name, int number,
                   const std::string& majMin);
    // Marks a device directory (relative to sys/devices) as sitting on a bus.
    void subsystem(const std::string& device, const std::string& bus);
    void write(const std::string& relative, const std::string& content);
    void link(const std::string& relative, const std::string& target);
    // Appends a raw mountinfo line.
    void mount(const std::string& line);
    // Creates a real directory under the tree and returns its full path (for directory roots).
    std::string directory(const std::string& relative);
    void statsFor(const std::string& mountPoint, FilesystemStats stats);

    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const { return m_root + "/" + relative; }
    std::string node(const std::string& name) const { return path("dev/" + name); }
    LinuxDriveService service() const;

private:
    TempDir m_dir;
    std::string m_root;
    std::string m_mountInfo;
    std::map<std::string, std::string> m_diskDirs;
    std::map<std::string, FilesystemStats> m_stats;
};
