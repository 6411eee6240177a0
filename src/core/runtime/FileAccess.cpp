#include "core/runtime/FileAccess.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

bool InGroup(gid_t group) {
    if (group == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

} // namespace

std::optional<std::string> ReadOnlyReason(const struct stat& info, const std::string& path) {
    const std::string readOnly = "cannot write " + path + ": the file is read-only";
    mode_t bit = S_IWOTH;
    if (info.st_uid == ::geteuid()) {
        bit = S_IWUSR;
    } else if (InGroup(info.st_gid)) {
        bit = S_IWGRP;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        (::geteuid() == 0 && (info.st_mode & bit) == 0)) {
        return readOnly;
    }
    // The system's own answer covers access lists and read-only mounts.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EROFS) {
            return "cannot write " + path + ": the file system is read-only";
        }
        if (errno == EACCES || errno == EPERM) {
            return readOnly;
        }
    }
    return std::nullopt;
}

bool NothingAt(const std::string& path) {
    std::error_code ec;
    return std::filesystem::status(path, ec).type() == std::filesystem::file_type::not_found;
}
