#include "core/disks/linux/MountInfo.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <utility>

namespace {

std::vector<std::string_view> SplitOnSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        const auto end = line.find(' ', start);
        if (end == std::string_view::npos) {
            fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
    const auto colon = text.find(':');
    return colon != std::string_view::npos && ParseNumber(text.substr(0, colon), major) &&
           ParseNumber(text.substr(colon + 1), minor);
}

bool ParseLine(std::string_view line, MountEntry& entry) {
    const auto fields = SplitOnSpaces(line);
    // id, parent, MAJ:MIN, root, mount point, options, optional fields..., "-", type, source, super options
    constexpr std::size_t firstOptional = 6;
    if (fields.size() < firstOptional + 3) {
        return false;
    }
    const auto separator = std::find(fields.begin() + firstOptional, fields.end(), std::string_view("-"));
    if (separator == fields.end() || fields.end() - separator < 3) {
        return false;
    }
    if (!ParseNumber(fields[0], entry.mountId) || !ParseNumber(fields[1], entry.parentId) ||
        !ParseDevice(fields[2], entry.major, entry.minor)) {
        return false;
    }
    entry.root = UnescapeMountField(fields[3]);
    entry.mountPoint = UnescapeMountField(fields[4]);
    entry.fsType = std::string(separator[1]);
    entry.source = UnescapeMountField(separator[2]);
    return !entry.mountPoint.empty() && !entry.fsType.empty();
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), value) != names.end();
}

} // namespace

std::string UnescapeMountField(std::string_view field) {
    static constexpr std::array<std::pair<std::string_view, char>, 4> escapes{{
        {"\\040", ' '},
        {"\\011", '\t'},
        {"\\012", '\n'},
        {"\\134", '\\'},
    }};
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size();) {
        bool decoded = false;
        if (field[i] == '\\') {
            for (const auto& [code, c] : escapes) {
                if (field.substr(i, code.size()) == code) {
                    out.push_back(c);
                    i += code.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) {
            out.push_back(field[i++]);
        }
    }
    return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        MountEntry entry;
        if (ParseLine(text.substr(start, end - start), entry)) {
            entries.push_back(std::move(entry));
        }
        start = end + 1;
    }
    return entries;
}

bool IsPseudoFilesystem(std::string_view fsType) {
    return IsOneOf(fsType, {"autofs",      "proc",     "sysfs",           "devtmpfs",
                            "devpts",      "cgroup",   "cgroup2",         "securityfs",
                            "debugfs",     "tracefs",  "pstore",          "bpf",
                            "configfs",    "fusectl",  "mqueue",          "hugetlbfs",
                            "binfmt_misc", "efivarfs", "selinuxfs",       "rpc_pipefs",
                            "nsfs",        "nfsd",     "sockfs",          "pipefs",
                            "devfs",       "usbfs",    "fuse.gvfsd-fuse", "fuse.portal"});
}

bool IsNetworkFilesystem(std::string_view fsType) {
    return IsOneOf(fsType, {"nfs",         "nfs4",          "cifs",
                            "smb3",        "smbfs",         "ncpfs",
                            "afs",         "coda",          "9p",
                            "ceph",        "glusterfs",     "fuse.glusterfs",
                            "lustre",      "gpfs",          "fuse.sshfs",
                            "fuse.davfs2", "davfs",         "fuse.rclone",
                            "fuse.s3fs",   "fuse.smbnetfs", "fuse.curlftpfs"});
}

bool IsRamFilesystem(std::string_view fsType) {
    return IsOneOf(fsType, {"tmpfs", "ramfs"});
}

std::vector<MountEntry> DeviceMounts(const std::vector<MountEntry>& all) {
    // A bind mount shows a second (often partial) view of the same filesystem: keep the one mounting all of
    // it, else the oldest.
    auto better = [](const MountEntry& a, const MountEntry& b) {
        const bool aWhole = a.root == "/";
        const bool bWhole = b.root == "/";
        if (aWhole != bWhole) {
            return aWhole;
        }
        return a.mountId < b.mountId;
    };
    std::map<std::pair<unsigned, unsigned>, MountEntry> chosen;
    for (const auto& entry : all) {
        if (IsPseudoFilesystem(entry.fsType)) {
            continue;
        }
        const auto key = std::make_pair(entry.major, entry.minor);
        auto it = chosen.find(key);
        if (it == chosen.end()) {
            chosen.emplace(key, entry);
        } else if (better(entry, it->second)) {
            it->second = entry;
        }
    }
    std::vector<MountEntry> mounts;
    mounts.reserve(chosen.size());
    for (auto& [key, entry] : chosen) {
        mounts.push_back(std::move(entry));
    }
    std::sort(mounts.begin(), mounts.end(),
              [](const MountEntry& a, const MountEntry& b) { return a.mountId < b.mountId; });
    return mounts;
}
