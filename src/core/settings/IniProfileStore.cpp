#include "core/settings/IniProfileStore.h"

#include "core/settings/IniText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now so that the caller sees a failing close (delayed write errors show up there).
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

struct FileContents {
    enum class State { Read, Missing, Failed } state = State::Missing;
    std::string text;
    struct stat info {};
    std::string problem;
};

std::string describe(const std::string& what, const std::filesystem::path& file, int error) {
    return what + " " + file.string() + ": " + std::strerror(error);
}

FileContents readWhole(const std::filesystem::path& file) {
    FileContents contents;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            contents.state = FileContents::State::Missing;
        } else {
            contents.state = FileContents::State::Failed;
            contents.problem = describe("cannot open", file, error);
        }
        return contents;
    }
    FileDescriptor guard(fd);
    if (::fstat(fd, &contents.info) != 0 || !S_ISREG(contents.info.st_mode)) {
        contents.state = FileContents::State::Failed;
        contents.problem = "not a regular file: " + file.string();
        return contents;
    }
    // Read straight into a string of the file's size (plus room to notice that it grew), so that a large
    // profile is not copied around while it is read.
    std::string& text = contents.text;
    constexpr std::size_t kSlack = 4096;
    text.resize(static_cast<std::size_t>(contents.info.st_size) + kSlack);
    std::size_t filled = 0;
    for (;;) {
        if (text.size() - filled < kSlack) {
            text.resize(2 * text.size()); // the file grew while we read it
        }
        const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            contents.state = FileContents::State::Failed;
            contents.problem = describe("cannot read", file, errno);
            return contents;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    contents.state = FileContents::State::Read;
    return contents;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// A symbolic link stays a link: the file it points at is the one replaced.
std::filesystem::path resolveLink(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::is_symlink(file, ec)) {
        std::filesystem::path target = std::filesystem::weakly_canonical(file, ec);
        if (!ec) {
            return target;
        }
    }
    return file;
}

void syncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts `text` in place of `file` by a synced temporary file renamed over it. An existing file's mode and
// owner carry over; a new file is private to the user.
bool replaceFile(const std::filesystem::path& file, std::string_view text, const struct stat* existing,
                 std::string& problem) {
    const std::filesystem::path dir = file.parent_path();
    if (!dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            problem = "cannot create folder " + dir.string() + ": " + ec.message();
            return false;
        }
    }
    std::string temporary = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data()); // created with mode 0600
    if (fd < 0) {
        problem = describe("cannot create a temporary file in", dir, errno);
        return false;
    }
    FileDescriptor guard(fd);
    bool ok = writeAll(fd, text);
    int error = errno;
    if (ok && existing != nullptr) {
        if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            // Only root may give the file away; a user rewriting their own file keeps the owner anyway.
        }
        ok = ::fchmod(fd, existing->st_mode & 07777) == 0;
        error = errno;
    }
    if (ok) {
        ok = ::fsync(fd) == 0;
        error = errno;
    }
    if (ok) {
        ok = guard.close();
        error = errno;
    }
    if (ok) {
        ok = ::rename(temporary.c_str(), file.c_str()) == 0;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        problem = describe("cannot write", file, error);
        return false;
    }
    syncDirectory(dir);
    return true;
}

} // namespace

IniProfileStore::IniProfileStore(std::filesystem::path file) : m_file(std::move(file)) {}

std::optional<std::string> IniProfileStore::read(std::string_view section, std::string_view key) const {
    const FileContents contents = readWhole(m_file);
    if (contents.state != FileContents::State::Read) {
        return std::nullopt;
    }
    return IniReadValue(contents.text, section, key);
}

bool IniProfileStore::write(std::string_view section, std::string_view key, std::string_view value,
                            std::string* error) {
    std::string problem;
    const bool done = [&] {
        if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) {
            problem = "the section or key name cannot be written";
            return false;
        }
        const std::filesystem::path file = resolveLink(m_file);
        const FileContents contents = readWhole(file);
        if (contents.state == FileContents::State::Failed) {
            problem = contents.problem;
            return false;
        }
        const bool exists = contents.state == FileContents::State::Read;
        const std::string text = IniWriteValue(contents.text, section, key, value);
        if (exists && text == contents.text) {
            return true;
        }
        return replaceFile(file, text, exists ? &contents.info : nullptr, problem);
    }();
    m_lastError = done ? std::string() : problem;
    if (!done && error != nullptr) {
        *error = problem;
    }
    return done;
}

std::string IniProfileStore::location() const {
    return m_file.string();
}
