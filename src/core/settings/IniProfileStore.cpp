#include "core/settings/IniProfileStore.h"

#include "core/runtime/FileAccess.h"
#include "core/settings/IniDocument.h"
#include "core/settings/IniText.h"
#include "core/settings/TextEncoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Linux gives up after as many links in a row; so do we, and call it a loop.
constexpr int MostLinks = 40;
// A temporary file of ours this old belongs to a write that died; a live write is done well before.
constexpr std::time_t StaleSeconds = 60;
// mkstemp's six random characters.
constexpr std::size_t TemporarySuffix = 6;
// Settings take a few hundred bytes. A file this large is something else, and reading it whole, with the
// copies a write makes, could take more memory than the machine has: it is refused, and left as it is.
constexpr std::size_t MegaByte = 1024 * 1024;
constexpr std::size_t LargestProfile = 256 * MegaByte;

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
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    int get() const { return m_fd; }
    // Closes now so that the caller sees a failing close (delayed write errors show up there).
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// A file's bytes, read into memory that nothing fills first: a large profile is read once, not zeroed and
// then read.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::size_t capacity)
        : m_data(std::make_unique_for_overwrite<char[]>(capacity)), m_capacity(capacity) {}

    char* data() { return m_data.get(); }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    std::string_view view() const { return {m_data.get(), m_size}; }
    void setSize(std::size_t size) { m_size = size; }
    // Room for more, keeping what is there (a file that grew while it was read).
    void grow() {
        Bytes bigger(2 * m_capacity);
        std::copy(m_data.get(), m_data.get() + m_size, bigger.data());
        bigger.m_size = m_size;
        *this = std::move(bigger);
    }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

// A file's bytes and status; a missing file has neither.
struct FileContents {
    bool exists = false;
    Bytes bytes;
    struct stat info {};
};

std::string Describe(const std::string& what, const fs::path& file, int error) {
    return what + " " + file.string() + ": " + std::strerror(error);
}

Failure TooLarge(const fs::path& file, std::size_t size) {
    return Failure{"cannot read " + file.string() + ": at " +
                   std::to_string((size + MegaByte - 1) / MegaByte) + " MB it is larger than the " +
                   std::to_string(LargestProfile / MegaByte) + " MB a settings file may be"};
}

Failure Cannot(const std::string& what, const fs::path& file, int error) {
    return Failure{Describe(what, file, error)};
}

Result<FileContents> ReadWhole(const fs::path& file) {
    FileContents contents;
    // Non-blocking, so that a FIFO in the file's place is refused below instead of waiting for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return contents;
        }
        return Cannot("cannot open", file, error);
    }
    FileDescriptor guard(fd);
    if (::fstat(fd, &contents.info) != 0 || !S_ISREG(contents.info.st_mode)) {
        return Failure{"not a regular file: " + file.string()};
    }
    const auto size = static_cast<std::size_t>(contents.info.st_size);
    if (size > LargestProfile) {
        return TooLarge(file, size);
    }
    // The file's size plus room to notice that it grew.
    constexpr std::size_t Slack = 4096;
    Bytes& bytes = contents.bytes;
    bytes = Bytes(size + Slack);
    for (;;) {
        if (bytes.size() > LargestProfile) {
            return TooLarge(file, bytes.size()); // it grew while it was read
        }
        if (bytes.capacity() - bytes.size() < Slack) {
            bytes.grow();
        }
        const ssize_t got = ::read(fd, bytes.data() + bytes.size(), bytes.capacity() - bytes.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Cannot("cannot read", file, errno);
        }
        if (got == 0) {
            break;
        }
        bytes.setSize(bytes.size() + static_cast<std::size_t>(got));
    }
    contents.exists = true;
    return contents;
}

// How a file's text lies in its bytes.
enum class Layout { Bytes, Utf16LittleEndian, Utf16BigEndian };

constexpr std::string_view Utf16LittleMark = "\xFF\xFE";
constexpr std::string_view Utf16BigMark = "\xFE\xFF";

// A file's text as the INI code reads it: the bytes themselves (UTF-8, or Windows-1252 line by line), or
// for a UTF-16 file their UTF-8 form.
class FileText {
public:
    explicit FileText(Bytes bytes) : m_bytes(std::move(bytes)) {
        const std::string_view raw = m_bytes.view();
        if (raw.starts_with(Utf16LittleMark) || raw.starts_with(Utf16BigMark)) {
            const bool little = raw.starts_with(Utf16LittleMark);
            m_layout = little ? Layout::Utf16LittleEndian : Layout::Utf16BigEndian;
            m_decoded =
                Utf16ToUtf8(raw.substr(2), little ? ByteOrder::LittleEndian : ByteOrder::BigEndian, &m_exact);
            m_bytes = Bytes();
        }
    }
    // Text that is UTF-8 already (what a write made).
    explicit FileText(std::string text) : m_decoded(std::move(text)) {}

    std::string_view text() const { return m_decoded ? std::string_view(*m_decoded) : m_bytes.view(); }
    // False when the text could not go back to the same bytes.
    bool exact() const { return m_exact; }

    // The bytes of a file of this layout holding `text`; nothing when they are the text itself.
    std::optional<std::string> encode(std::string_view text) const {
        switch (m_layout) {
        case Layout::Utf16LittleEndian:
            return std::string(Utf16LittleMark) + Utf8ToUtf16(text, ByteOrder::LittleEndian);
        case Layout::Utf16BigEndian:
            return std::string(Utf16BigMark) + Utf8ToUtf16(text, ByteOrder::BigEndian);
        case Layout::Bytes:
            break;
        }
        return std::nullopt;
    }

private:
    Bytes m_bytes;
    std::optional<std::string> m_decoded;
    Layout m_layout = Layout::Bytes;
    bool m_exact = true;
};

bool WriteAll(int fd, std::string_view data) {
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

// The file a write replaces: the profile, or the end of its chain of symbolic links, which may not exist
// yet. The links themselves stay as they are.
Result<fs::path> ResolveLinks(const fs::path& file) {
    fs::path current = file;
    for (int hops = 0; hops <= MostLinks; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            return current; // missing or not a link; reading and writing report any other trouble
        }
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            return Failure{"cannot read the link " + current.string() + ": " + ec.message()};
        }
        // Relative to the link's folder, without folding "..", as the system follows it.
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return Failure{"cannot write " + file.string() + ": its symbolic links go round in a loop"};
}

void SyncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The read and write bits of the classes besides the owner's that may write `mode`'s file: a lock file
// beside a profile shared with a group lets that group lock it too.
mode_t SharedLockBits(mode_t mode) {
    mode_t bits = 0;
    if ((mode & S_IWGRP) != 0) {
        bits |= S_IRGRP | S_IWGRP;
    }
    if ((mode & S_IWOTH) != 0) {
        bits |= S_IROTH | S_IWOTH;
    }
    return bits;
}

// The lock that writers of one profile take in turn, so that none of them replaces the file with a copy
// that misses another's change. It is an fcntl lock on the file "<profile>.lock" beside the profile (the
// profile itself is replaced on every write, so it cannot carry the lock), held from reading the file to
// renaming the new one over it. fcntl rather than flock because NFS carries fcntl locks to the server
// (NLM, or NFSv4's own locks), so that writers on two machines wait for each other, where flock is
// local to one machine on some systems. It is the open-file-description kind: it belongs to this
// descriptor rather than to the process, so two stores in one program wait for each other as well, and
// another descriptor of the file closing does not drop it. The lock file is never deleted: a writer
// waiting on a deleted one would go ahead alongside a writer locking its successor.
class WriterLock {
public:
    static Result<WriterLock> take(const fs::path& file) {
        const fs::path lockFile = file.string() + ".lock";
        struct stat profile {};
        const bool exists = ::stat(file.c_str(), &profile) == 0;
        int fd = -1;
        // Twice at most: the lock file may vanish between seeing it and opening it.
        for (int attempt = 0; fd < 0 && attempt < 2; ++attempt) {
            fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                // The profile's owner and sharers must be able to lock it after us (root saving a user's
                // profile); a private profile keeps a private lock file.
                if (exists && ::fchown(fd, profile.st_uid, profile.st_gid) != 0) {
                    // Only root may give the file away, and only root needs to.
                }
                ::fchmod(fd, S_IRUSR | S_IWUSR | (exists ? SharedLockBits(profile.st_mode) : 0));
            } else if (errno == EEXIST) {
                fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
            }
            if (fd < 0 && errno != ENOENT) {
                break;
            }
        }
        if (fd < 0) {
            return Cannot("cannot open the lock file", lockFile, errno);
        }
        FileDescriptor guard(fd);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        int command = F_OFD_SETLKW;
        while (::fcntl(fd, command, &whole) != 0) {
            if (errno == EINVAL && command == F_OFD_SETLKW) {
                command = F_SETLKW; // a kernel before 3.15: the process-wide kind
            } else if (errno != EINTR) {
                return Cannot("cannot lock", lockFile, errno);
            }
        }
        return WriterLock(std::move(guard));
    }

private:
    explicit WriterLock(FileDescriptor fd) : m_fd(std::move(fd)) {}

    FileDescriptor m_fd; // closing it lets go of the lock
};

std::string TemporaryPrefix(const fs::path& file) {
    return "." + file.filename().string() + ".";
}

// Removes what killed writes left behind: files of our temporary name in the file's folder that have not
// changed for a minute, so never the temporary file of a write going on now.
void RemoveStaleTemporaries(const fs::path& file) {
    const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const std::string prefix = TemporaryPrefix(file);
    const std::time_t now = std::time(nullptr);
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + TemporarySuffix || !name.starts_with(prefix) ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
            continue;
        }
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtim.tv_sec > StaleSeconds) {
            ::unlink(it->path().c_str());
        }
    }
}

// Fills `buffer` through `fetch` (a listxattr or getxattr call taking a buffer and its size): asks for the
// size first, and again if it grew in between. False with errno set when the call fails.
template <typename Fetch> bool FetchSized(std::string& buffer, const Fetch& fetch) {
    for (;;) {
        const ssize_t size = fetch(nullptr, 0);
        if (size < 0) {
            return false;
        }
        buffer.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : fetch(buffer.data(), buffer.size());
        if (got >= 0) {
            buffer.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
}

// Gives the new file the extended attributes of the file it replaces, which a rename would otherwise drop
// without a word: the user's own (user.*), the access list (system.posix_acl_access, which the system
// keeps as an attribute), and the security labels and trusted attributes this user may set. Left behind
// without failing the write: an attribute the file system does not support, and a security label the
// system will not let this user set (the system labels the new file itself). Any other attribute that
// cannot be copied fails the write, so the old file stays, with all of them.
Result<Done> CopyAttributes(const fs::path& from, int to) {
    std::string names;
    if (!FetchSized(names,
                    [&](char* list, std::size_t size) { return ::listxattr(from.c_str(), list, size); })) {
        return errno == ENOTSUP ? Result<Done>(Done{}) : Cannot("cannot list the attributes of", from, errno);
    }
    std::string value;
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const std::string name = names.c_str() + at;
        const auto get = [&](char* data, std::size_t size) {
            return ::getxattr(from.c_str(), name.c_str(), data, size);
        };
        if (!FetchSized(value, get)) {
            if (errno == ENODATA) {
                continue; // gone since it was listed
            }
            return Cannot("cannot read the attribute " + name + " of", from, errno);
        }
        if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
            const int error = errno;
            const bool label = name.starts_with("security.") && (error == EPERM || error == EACCES);
            if (error != ENOTSUP && !label) {
                return Cannot("cannot keep the attribute " + name + " of", from, error);
            }
        }
    }
    return Done{};
}

int FaultAt(const WriteFault& fault, WriteStep step) {
    return fault ? fault(step) : 0;
}

// Puts `text` in place of `file` by a synced temporary file renamed over it. An existing file's mode,
// owner and extended attributes (its access list among them) carry over; a new file is private to the
// user. A hard link to the old file keeps the old file. Gives the new file's status.
Result<struct stat> ReplaceFile(const fs::path& file, std::string_view text, const struct stat* existing,
                                const WriteFault& fault) {
    const fs::path dir = file.parent_path();
    std::string temporary = (dir / (TemporaryPrefix(file) + std::string(TemporarySuffix, 'X'))).string();
    const int fd = ::mkstemp(temporary.data()); // created with mode 0600
    if (fd < 0) {
        return Cannot("cannot create a temporary file in", dir, errno);
    }
    FileDescriptor guard(fd);
    // Each step runs while the ones before succeeded; `error` is the number of the one that failed.
    int error = WriteAll(fd, text) ? 0 : errno;
    if (error == 0) {
        error = FaultAt(fault, WriteStep::TemporaryWritten);
    }
    if (error == 0 && existing != nullptr) {
        if (::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            // Only root may give the file away; a user rewriting their own file keeps the owner anyway.
        }
        error = ::fchmod(fd, existing->st_mode & 07777) == 0 ? 0 : errno;
    }
    // After the mode: an access list sets the group bits from its mask.
    if (error == 0 && existing != nullptr) {
        if (const Result<Done> kept = CopyAttributes(file, fd); !kept) {
            ::unlink(temporary.c_str());
            return Failure{kept.reason()};
        }
    }
    if (error == 0) {
        error = ::fsync(fd) == 0 ? 0 : errno;
    }
    if (error == 0) {
        error = FaultAt(fault, WriteStep::Synced);
    }
    struct stat written {};
    if (error == 0) {
        error = ::fstat(fd, &written) == 0 ? 0 : errno;
    }
    if (error == 0) {
        error = guard.close() ? 0 : errno;
    }
    if (error == 0) {
        error = FaultAt(fault, WriteStep::Renaming);
    }
    if (error == 0) {
        error = ::rename(temporary.c_str(), file.c_str()) == 0 ? 0 : errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Cannot("cannot write", file, error);
    }
    SyncDirectory(dir);
    return written;
}

// What makes a file state: while these stay, the parsed file stays good.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::time_t seconds = 0;
    long nanoseconds = 0;

    explicit FileIdentity(const struct stat& info)
        : device(info.st_dev), inode(info.st_ino), size(info.st_size), seconds(info.st_mtim.tv_sec),
          nanoseconds(info.st_mtim.tv_nsec) {}
    bool operator==(const FileIdentity&) const = default;
};

} // namespace

// The file's text in one state, parsed.
class IniProfileStore::Snapshot {
public:
    Snapshot(const struct stat& info, FileText text)
        : m_identity(info), m_text(std::move(text)), m_document(m_text.text()) {}
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    bool isOf(const struct stat& info) const { return m_identity == FileIdentity(info); }
    std::optional<std::string> value(std::string_view section, std::string_view key) {
        return m_document.value(section, key);
    }

private:
    FileIdentity m_identity;
    FileText m_text;
    IniDocument m_document; // views m_text
};

IniProfileStore::IniProfileStore(fs::path file, WriteFault fault)
    : m_file(std::move(file)), m_fault(std::move(fault)) {}

IniProfileStore::~IniProfileStore() = default;

Result<IniProfileStore::Snapshot*> IniProfileStore::current() const {
    if (m_snapshot) {
        struct stat info {};
        if (::stat(m_file.c_str(), &info) == 0 && m_snapshot->isOf(info)) {
            return m_snapshot.get();
        }
        m_snapshot.reset();
    }
    Result<FileContents> contents = ReadWhole(m_file);
    if (!contents) {
        return Failure{contents.reason()};
    }
    if (!contents->exists) {
        return static_cast<Snapshot*>(nullptr);
    }
    // Keyed by the status taken before the read: a change made while reading shows as a new state.
    m_snapshot = std::make_unique<Snapshot>(contents->info, FileText(std::move(contents.value().bytes)));
    return m_snapshot.get();
}

Result<std::optional<std::string>> IniProfileStore::read(std::string_view section,
                                                         std::string_view key) const {
    const Result<Snapshot*> snapshot = current();
    if (!snapshot) {
        return Failure{snapshot.reason()};
    }
    if (*snapshot == nullptr) {
        return std::optional<std::string>();
    }
    return (*snapshot)->value(section, key);
}

Result<ProfileStatuses> IniProfileStore::write(std::string_view section, std::string_view key,
                                               std::string_view value) {
    return write({ProfileEdit{std::string(section), std::string(key), std::string(value)}});
}

Result<ProfileStatuses> IniProfileStore::write(const std::vector<ProfileEdit>& edits) {
    ProfileStatuses statuses(edits.size(), ProfileStatus::Written);
    std::vector<const ProfileEdit*> accepted;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        if (!IsWritableSectionName(edits[i].section)) {
            statuses[i] = ProfileStatus::SectionNameRefused;
        } else if (!IsWritableKeyName(edits[i].key)) {
            statuses[i] = ProfileStatus::KeyNameRefused;
        } else {
            accepted.push_back(&edits[i]);
        }
    }
    if (accepted.empty()) {
        return statuses;
    }
    const Result<Done> committed =
        commit([&](const fs::path& file, std::string_view old) -> Result<std::string> {
            std::string text(old);
            for (const ProfileEdit* edit : accepted) {
                text = IniWriteValue(text, edit->section, edit->key, edit->value);
                if (const int error = FaultAt(m_fault, WriteStep::KeyEdited)) {
                    return Cannot("cannot write", file, error);
                }
            }
            return text;
        });
    if (!committed) {
        return Failure{committed.reason()};
    }
    return statuses;
}

Result<std::string> IniProfileStore::update(std::string_view section, std::string_view key,
                                            const ValueChange& change) {
    if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) {
        return Failure{"cannot write the key " + std::string(key) + " of [" + std::string(section) +
                       "]: the name would not stay one line"};
    }
    std::string value;
    const Result<Done> committed = commit([&](const fs::path&, std::string_view text) -> Result<std::string> {
        value = change(IniReadValue(text, section, key));
        return IniWriteValue(text, section, key, value);
    });
    if (!committed) {
        return Failure{committed.reason()};
    }
    return value;
}

Result<Done> IniProfileStore::commit(const TextEdit& edit) {
    const Result<fs::path> resolved = ResolveLinks(m_file);
    if (!resolved) {
        return Failure{resolved.reason()};
    }
    const fs::path& file = *resolved;
    // A read-only file is refused before anything is made beside it; the check under the lock below is the
    // one that counts.
    if (struct stat info{}; ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        if (auto reason = ReadOnlyReason(info, file.string())) {
            return Failure{*std::move(reason)};
        }
    }
    if (const fs::path dir = file.parent_path(); !dir.empty()) {
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec) {
            return Failure{"cannot create folder " + dir.string() + ": " + ec.message()};
        }
    }
    const Result<WriterLock> lock = WriterLock::take(file);
    if (!lock) {
        return Failure{lock.reason()};
    }
    // Always the file as it is now, whatever was parsed for reads before.
    Result<FileContents> contents = ReadWhole(file);
    if (!contents) {
        return Failure{contents.reason()};
    }
    const bool exists = contents->exists;
    if (exists) {
        if (auto reason = ReadOnlyReason(contents->info, file.string())) {
            return Failure{*std::move(reason)};
        }
    }
    const FileText old(std::move(contents.value().bytes));
    if (!old.exact()) {
        return Failure{"cannot write " + file.string() +
                       ": the file is not valid UTF-16, so it could not be written back as it is"};
    }
    Result<std::string> text = edit(file, old.text());
    if (!text) {
        return Failure{text.reason()};
    }
    if (exists && *text == old.text()) {
        return Done{};
    }
    const std::optional<std::string> encoded = old.encode(*text);
    const Result<struct stat> written =
        ReplaceFile(file, encoded ? std::string_view(*encoded) : std::string_view(*text),
                    exists ? &contents->info : nullptr, m_fault);
    if (!written) {
        return Failure{written.reason()};
    }
    RemoveStaleTemporaries(file);
    // What was written is the file's new state: the reads that follow (a save reloads the settings) need
    // not read it again.
    m_snapshot = std::make_unique<Snapshot>(*written, FileText(std::move(text).value()));
    return Done{};
}

std::string IniProfileStore::location() const {
    return m_file.string();
}
