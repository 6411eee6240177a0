#include "core/settings/ProfilePath.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::filesystem::path ProfilePathFor(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        return std::filesystem::path(xdgConfigHome) / ProfileFileName;
    }
    std::filesystem::path base = (home != nullptr && home[0] != '\0') ? home : ".";
    return base / ".config" / ProfileFileName;
}

const char* UserHomeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        if (const passwd* entry = getpwuid(getuid()); entry != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home;
}

std::filesystem::path DefaultProfilePath() {
    return ProfilePathFor(std::getenv("XDG_CONFIG_HOME"), UserHomeFolder());
}
