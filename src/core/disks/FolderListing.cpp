#include "core/disks/FolderListing.h"

#include "core/runtime/RuntimeError.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

unsigned char AsciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool CaseInsensitiveLess(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = AsciiLower(static_cast<unsigned char>(a[i]));
        const unsigned char y = AsciiLower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::string NormalFolderPath(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path p(path.empty() ? std::string(".") : path);
    if (p.is_relative()) {
        std::error_code ec;
        p = fs::current_path(ec) / p;
    }
    std::string normal = p.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

std::vector<std::string> FolderAncestors(const std::string& normalPath) {
    std::vector<std::string> ancestors;
    if (normalPath == "/" || normalPath.empty()) {
        return ancestors;
    }
    ancestors.emplace_back("/");
    for (std::size_t slash = normalPath.find('/', 1); slash != std::string::npos;
         slash = normalPath.find('/', slash + 1)) {
        ancestors.push_back(normalPath.substr(0, slash));
    }
    return ancestors;
}

std::string FolderName(const std::string& normalPath) {
    const std::size_t slash = normalPath.rfind('/');
    if (normalPath.size() <= 1 || slash == std::string::npos) {
        return normalPath;
    }
    return normalPath.substr(slash + 1);
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) {
        throw RuntimeError(RuntimeError::PathNotFound);
    }
    const int fd = dirfd(dir.get());
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.') {
            continue; // ".", ".." and hidden folders
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st {};
            isFolder = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder) {
            names.emplace_back(entry->d_name);
        }
    }
    std::sort(names.begin(), names.end(), CaseInsensitiveLess);
    return names;
}
