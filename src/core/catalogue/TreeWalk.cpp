#include "core/catalogue/TreeWalk.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders are opened one name at a time from their parent, so no path is ever too long. Only the root and
// the deepest folders of the way down stay open: a tree deeper than this reopens an ancestor on the way
// back up rather than run out of descriptors.
constexpr std::size_t MostOpenFolders = 64;
constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            Descriptor old(std::move(*this));
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A folder on the way down from the root to where the walk is.
struct Level {
    std::string name;           // "" for the root
    std::size_t pathLength = 0; // of its path relative to the root
    dev_t device = 0;
    ino_t inode = 0;
    Descriptor fd; // closed while far above the walk, or when it could not be found again
    std::vector<std::string> subfolders; // to walk, in name order
    std::size_t next = 0;

    bool is(const Descriptor& folder) const {
        struct stat st {};
        return folder && ::fstat(folder.get(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
    }
};

// How reading one folder went.
enum class Read { Whole, Broken, Cancelled, SinkFailed };

class Walker {
public:
    Walker(const std::string& root, const std::vector<std::string>& otherMounts,
           const std::atomic<bool>& cancel, const EntrySink& sink, std::size_t batchSize)
        : m_root(WithoutTrailingSlashes(root)), m_cancel(cancel), m_sink(sink),
          m_batchSize(std::max<std::size_t>(batchSize, 1)) {
        for (const std::string& mount : otherMounts) {
            m_otherMounts.insert(WithoutTrailingSlashes(mount));
        }
    }

    WalkOutcome run() {
        struct stat rootStat {};
        if (::stat(m_root.c_str(), &rootStat) != 0 || !S_ISDIR(rootStat.st_mode)) {
            return {WalkEnd::Lost, m_counts};
        }
        m_device = rootStat.st_dev;
        Descriptor root(::open(m_root.c_str(), FolderFlags));
        if (const auto stopped = settle(enter(std::move(root), ""))) {
            return *stopped;
        }
        while (!m_levels.empty()) {
            if (cancelled()) {
                return finish(WalkEnd::Cancelled);
            }
            Level& level = m_levels.back();
            if (level.next == level.subfolders.size()) {
                leave();
                continue;
            }
            std::string name = std::move(level.subfolders[level.next++]);
            Descriptor folder(level.fd ? ::openat(level.fd.get(), name.c_str(), FolderFlags) : -1);
            const std::size_t depth = m_levels.size();
            const std::size_t pathLength = level.pathLength;
            if (pathLength > 0) {
                m_path += '/';
            }
            m_path += name;
            if (const auto stopped = settle(enter(std::move(folder), std::move(name)))) {
                return *stopped;
            }
            if (m_levels.size() == depth) {
                m_path.resize(pathLength);
            }
        }
        return finish(WalkEnd::Finished);
    }

private:
    bool cancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    // A folder that vanished with everything above it means the medium went.
    bool rootGone() const {
        struct stat st {};
        return ::stat(m_root.c_str(), &st) != 0 || st.st_dev != m_device;
    }

    // How the walk ends after reading the folder at m_path, if it ends there.
    std::optional<WalkOutcome> settle(Read read) {
        switch (read) {
        case Read::Whole:
            return std::nullopt;
        case Read::Broken:
            if (rootGone()) {
                return finish(WalkEnd::Lost);
            }
            ++m_counts.skippedFolders;
            m_batch.unreadableFolders.push_back(m_path);
            return std::nullopt;
        case Read::Cancelled:
            return finish(WalkEnd::Cancelled);
        case Read::SinkFailed:
            break;
        }
        return WalkOutcome{WalkEnd::SinkFailed, m_counts};
    }

    // Lists the folder at m_path, open as `folder`, into the batch and, unless nothing of it could be read,
    // makes it the deepest level.
    Read enter(Descriptor folder, std::string name) {
        struct stat st {};
        if (!folder || ::fstat(folder.get(), &st) != 0) {
            return Read::Broken;
        }
        if (st.st_dev != m_device) {
            return Read::Whole; // something was mounted there since its parent was read
        }
        Level level;
        level.name = std::move(name);
        level.pathLength = m_path.size();
        level.device = st.st_dev;
        level.inode = st.st_ino;
        level.fd = std::move(folder);
        Read read = Read::Whole;
        // The listing is read straight from the folder's own descriptor: what is inside is opened by name
        // from it, wherever its reading stands.
        std::size_t listed = 0;
        std::size_t filled = 0;
        for (;;) {
            if (cancelled()) {
                return Read::Cancelled;
            }
            if (listed == filled) {
                const ssize_t got = ::getdents64(level.fd.get(), m_listing.data(), m_listing.size());
                if (got <= 0) {
                    if (got < 0) {
                        read = Read::Broken; // what was read before still counts
                    }
                    break;
                }
                listed = 0;
                filled = static_cast<std::size_t>(got);
            }
            unsigned short length = 0;
            std::memcpy(&length, m_listing.data() + listed + offsetof(dirent64, d_reclen), sizeof length);
            if (length == 0 || length > filled - listed) {
                read = Read::Broken; // not a listing this walk can follow
                break;
            }
            const char* itemName = m_listing.data() + listed + offsetof(dirent64, d_name);
            listed += length;
            if (itemName[0] == '.' && (itemName[1] == '\0' || (itemName[1] == '.' && itemName[2] == '\0'))) {
                continue;
            }
            if (::fstatat(level.fd.get(), itemName, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // gone between listing and looking
            }
            CatalogueEntry entry;
            entry.folder = m_path;
            entry.name = itemName;
            entry.isFolder = S_ISDIR(st.st_mode);
            entry.size = entry.isFolder ? 0 : static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
            entry.modified = st.st_mtim.tv_sec;
            if (entry.isFolder && st.st_dev == m_device && !isOtherMount(entry)) {
                level.subfolders.push_back(entry.name);
            }
            m_counts.bytes += entry.size;
            ++m_counts.entries;
            m_batch.entries.push_back(std::move(entry));
            if (m_batch.entries.size() >= m_batchSize && !flush()) {
                return Read::SinkFailed;
            }
        }
        // Subfolders are walked in name order, the first one next.
        std::sort(level.subfolders.begin(), level.subfolders.end());
        m_levels.push_back(std::move(level));
        if (m_levels.size() > MostOpenFolders) {
            m_levels[m_levels.size() - MostOpenFolders].fd = Descriptor();
        }
        return read;
    }

    bool isOtherMount(const CatalogueEntry& folder) const {
        if (m_otherMounts.empty()) {
            return false;
        }
        return m_otherMounts.count((m_root == "/" ? "" : m_root) + "/" + folder.path()) != 0;
    }

    // Climbs back to the parent, reopening the ancestor that comes back within the open ones.
    void leave() {
        m_levels.pop_back();
        if (m_levels.empty()) {
            return;
        }
        m_path.resize(m_levels.back().pathLength);
        if (m_levels.size() >= MostOpenFolders) {
            reopen(m_levels.size() - MostOpenFolders + 1);
        }
    }

    // Opens the ancestor at `index` again, from its child open just below it, or else (the tree changed
    // meanwhile) name by name down from the nearest open ancestor; when neither finds the very folder, it
    // stays closed and what is left in it cannot be read.
    void reopen(std::size_t index) {
        Level& level = m_levels[index];
        if (const Level& child = m_levels[index + 1]; child.fd) {
            Descriptor parent(::openat(child.fd.get(), "..", FolderFlags));
            if (level.is(parent)) {
                level.fd = std::move(parent);
                return;
            }
        }
        std::size_t from = index - 1;
        while (!m_levels[from].fd) {
            --from; // the root stays open
        }
        Descriptor step;
        for (std::size_t at = from + 1; at <= index; ++at) {
            const int parentFd = at == from + 1 ? m_levels[from].fd.get() : step.get();
            Descriptor next(::openat(parentFd, m_levels[at].name.c_str(), FolderFlags));
            if (!m_levels[at].is(next)) {
                return;
            }
            step = std::move(next);
        }
        level.fd = std::move(step);
    }

    bool flush() {
        if (m_batch.entries.empty() && m_batch.unreadableFolders.empty()) {
            return true;
        }
        if (!m_sink(m_batch, m_counts)) {
            return false;
        }
        m_batch.entries.clear();
        m_batch.unreadableFolders.clear();
        return true;
    }

    WalkOutcome finish(WalkEnd end) {
        if (!flush()) {
            return {WalkEnd::SinkFailed, m_counts};
        }
        return {end, m_counts};
    }

    std::string m_root;
    std::unordered_set<std::string> m_otherMounts;
    const std::atomic<bool>& m_cancel;
    const EntrySink& m_sink;
    std::size_t m_batchSize;
    dev_t m_device = 0;
    WalkCounts m_counts;
    WalkBatch m_batch;
    std::vector<Level> m_levels; // from the root down to the folder being walked
    std::string m_path;          // of the deepest level, or of the folder being entered
    std::vector<char> m_listing = std::vector<char>(32768); // what a folder's listing reads into
};

} // namespace

int WalkPercent(const WalkCounts& counts, std::uint64_t usedInodes, std::uint64_t usedBytes) {
    long double share = 0;
    if (usedInodes > 0) {
        share = static_cast<long double>(counts.entries) * 100 / usedInodes;
    } else if (usedBytes > 0) {
        share = static_cast<long double>(counts.bytes) * 100 / usedBytes;
    }
    return static_cast<int>(std::min<long double>(share, 99));
}

WalkOutcome WalkTree(const std::string& root, const std::vector<std::string>& otherMounts,
                     const std::atomic<bool>& cancel, const EntrySink& sink, std::size_t batchSize) {
    return Walker(root, otherMounts, cancel, sink, batchSize).run();
}
