#include "support/FakeSystemTree.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

// Mount points are compared with canonical paths, so keep the tree's own path canonical too.
FakeSystemTree::FakeSystemTree() : m_root(fs::canonical(m_dir.path()).string()) {
    fs::create_directories(path("dev"));
}

void FakeSystemTree::write(const std::string& relative, const std::string& content) {
    const fs::path file = path(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file) << content;
}

void FakeSystemTree::link(const std::string& relative, const std::string& target) {
    const fs::path file = path(relative);
    fs::create_directories(file.parent_path());
    fs::create_symlink(target, file);
}

void FakeSystemTree::disk(const std::string& device, const std::string& name, const std::string& majMin,
                          const std::string& removable, const std::string& size) {
    const std::string dir = "devices/" + device + "/block/" + name;
    m_diskDirs[name] = dir;
    write("sys/" + dir + "/removable", removable + "\n");
    write("sys/" + dir + "/size", size + "\n");
    write("sys/" + dir + "/dev", majMin + "\n");
    link("sys/" + dir + "/device", "../..");
    link("sys/block/" + name, "../" + dir);
    link("sys/class/block/" + name, "../../" + dir);
    link("sys/dev/block/" + majMin, "../../" + dir);
}

void FakeSystemTree::partition(const std::string& diskName, const std::string& name, int number,
                               const std::string& majMin) {
    const std::string dir = m_diskDirs.at(diskName) + "/" + name;
    write("sys/" + dir + "/partition", std::to_string(number) + "\n");
    write("sys/" + dir + "/dev", majMin + "\n");
    link("sys/class/block/" + name, "../../" + dir);
    link("sys/dev/block/" + majMin, "../../" + dir);
}

void FakeSystemTree::subsystem(const std::string& device, const std::string& bus) {
    link("sys/devices/" + device + "/subsystem", path("sys/bus/" + bus));
}

void FakeSystemTree::mount(const std::string& line) {
    m_mountInfo += line + "\n";
    write("proc/self/mountinfo", m_mountInfo);
}

std::string FakeSystemTree::directory(const std::string& relative) {
    fs::create_directories(path(relative));
    return path(relative);
}

void FakeSystemTree::statsFor(const std::string& mountPoint, FilesystemStats stats) {
    m_stats[mountPoint] = stats;
}

LinuxDriveService FakeSystemTree::service() const {
    return LinuxDriveService(LinuxSystemPaths{path("proc/self/mountinfo"), path("sys"), path("run/udev/data"),
                                              path("dev/disk"), path("dev")},
                             [stats = m_stats](const std::string& at) -> std::optional<FilesystemStats> {
                                 const auto it = stats.find(at);
                                 return it == stats.end() ? std::nullopt : std::optional(it->second);
                             });
}
