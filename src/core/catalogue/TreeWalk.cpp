#include "core/catalogue/TreeWalk.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <unordered_set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string Joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

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
        std::vector<std::string> pending{""};
        while (!pending.empty()) {
            if (m_cancel.load(std::memory_order_relaxed)) {
                return finish(WalkEnd::Cancelled);
            }
            std::string folder = std::move(pending.back());
            pending.pop_back();
            if (!readFolder(folder, pending)) {
                if (m_sinkFailed) {
                    return {WalkEnd::SinkFailed, m_counts};
                }
                if (rootGone()) {
                    return finish(WalkEnd::Lost);
                }
                ++m_counts.skippedFolders;
                m_batch.unreadableFolders.push_back(folder);
            }
        }
        return finish(WalkEnd::Finished);
    }

private:
    std::string absolute(const std::string& relative) const {
        return relative.empty() ? m_root : (m_root == "/" ? "/" : m_root + "/") + relative;
    }

    // A folder that vanished with everything above it means the medium went.
    bool rootGone() const {
        struct stat st {};
        return ::stat(m_root.c_str(), &st) != 0 || st.st_dev != m_device;
    }

    // Lists one folder into the batch and queues its subfolders; false when it cannot be read.
    bool readFolder(const std::string& folder, std::vector<std::string>& pending) {
        const int fd = ::open(absolute(folder).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        DirHandle dir(::fdopendir(fd));
        if (!dir) {
            ::close(fd);
            return false;
        }
        const std::size_t queued = pending.size();
        for (;;) {
            errno = 0;
            const dirent* item = ::readdir(dir.get());
            if (item == nullptr) {
                if (errno != 0) {
                    return false;
                }
                break;
            }
            const std::string name = item->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            struct stat st {};
            if (::fstatat(::dirfd(dir.get()), item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue; // gone between listing and looking
            }
            CatalogueEntry entry;
            entry.folder = folder;
            entry.name = name;
            entry.isFolder = S_ISDIR(st.st_mode);
            entry.size = entry.isFolder ? 0 : static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
            entry.modified = st.st_mtim.tv_sec;
            if (entry.isFolder && st.st_dev == m_device) {
                std::string path = Joined(folder, name);
                if (m_otherMounts.count(absolute(path)) == 0) {
                    pending.push_back(std::move(path));
                }
            }
            m_counts.bytes += entry.size;
            ++m_counts.entries;
            m_batch.entries.push_back(std::move(entry));
            if (m_batch.entries.size() >= m_batchSize && !flush()) {
                return false;
            }
        }
        // Subfolders are walked in name order, the first one next.
        std::sort(pending.begin() + static_cast<std::ptrdiff_t>(queued), pending.end(), std::greater<>());
        return true;
    }

    bool flush() {
        if (m_batch.entries.empty() && m_batch.unreadableFolders.empty()) {
            return true;
        }
        if (!m_sink(m_batch, m_counts)) {
            m_sinkFailed = true;
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
    bool m_sinkFailed = false;
};

} // namespace

WalkOutcome WalkTree(const std::string& root, const std::vector<std::string>& otherMounts,
                     const std::atomic<bool>& cancel, const EntrySink& sink, std::size_t batchSize) {
    return Walker(root, otherMounts, cancel, sink, batchSize).run();
}
