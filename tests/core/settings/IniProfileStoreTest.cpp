#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfilePath.h"

#include "Utf16Bytes.h"
#include "support/ActingAsNobody.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;
using P = const fs::path&;

const std::string kPlain = "[GLOBAL]\r\nOWNER=Anna\r\n";
const std::vector<ProfileEdit> kThreeKeys = {
    {"GLOBAL", "OWNER", "Berg"}, {"GLOBAL", "COMPANY", "New Co"}, {"GLOBAL", "ADDR1", "Quay 1"}};
constexpr std::time_t kThen = 1600000000;

struct stat StatOf(P file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info;
}

void SetModifiedTime(P file, std::time_t seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

fs::path Put(P file, std::string_view bytes, unsigned mode = 0644) {
    fs::create_directories(file.parent_path().lexically_normal());
    WriteBytes(file, bytes);
    ::chmod(file.c_str(), mode);
    return file;
}

fs::path Link(P at, P target) {
    fs::create_directories(at.parent_path());
    fs::create_symlink(target, at);
    return at;
}

// Fails the given step of a write with EIO the `occurrence`-th time it comes round.
WriteFault FailAt(WriteStep step, int occurrence = 1) {
    return [step, occurrence, seen = 0](WriteStep now) mutable {
        return now == step && ++seen == occurrence ? EIO : 0;
    };
}

// What a read answers; when the file cannot be read, the reason stands in for the value.
std::optional<std::string> Read(const IniProfileStore& store, std::string_view section,
                                std::string_view key) {
    const Result<std::optional<std::string>> read = store.read(section, key);
    return read ? *read : "cannot read: " + read.reason();
}

fs::path Profile(P dir) {
    return dir / "config/Tesslin1.ini";
}

// Lays out a profile in the given folder and gives the file a write goes to.
using Layout = std::function<fs::path(P dir)>;

// The profile as these bytes, of this mode.
Layout File(std::string bytes = kPlain, unsigned mode = 0644) {
    return [bytes, mode](P dir) { return Put(Profile(dir), bytes, mode); };
}

// A write that succeeds changes only the key's line and keeps the file where the user put it, in its
// encoding, with its mode (a new file is private) and its links; a value the file already holds leaves the
// file untouched.
TEST(IniProfileStore, AWriteKeepsTheFileAsTheUserLeftIt) {
    // The key and value written, the file and OWNER after, and how the file was laid out.
    const std::tuple<const char*, std::string, std::string, std::string, std::string, Layout> cases[] = {
        {"link_to_a_file", "OWNER", "Berg", "[GLOBAL]\nOWNER=Berg\n", "Berg",
         [](P d) {
             Link(Profile(d), "../dotfiles/a.ini");
             return Put(d / "dotfiles/a.ini", "[GLOBAL]\nOWNER=Anna\n", 0640);
         }},
        {"chain_of_links_to_a_missing_file_and_folder", "OWNER", "Berg", "[GLOBAL]\r\nOWNER=Berg\r\n", "Berg",
         [](P d) {
             Link(Profile(d), "../hop/one");
             Link(d / "hop/one", "two");
             Link(d / "hop/two", "../new/b.ini");
             return d / "new/b.ini";
         }},
        // UTF-16 as Windows editors save it stays UTF-16 with its mark; other lines keep their bytes.
        {"utf16_little_endian", "COMPANY", "Caf\xc3\xa9 \xd0\xb6\xe4\xb8\xad",
         Utf16File(u"; Tesslin1\r\n\r\n[GLOBAL]\r\nOWNER=Jos\u00e9\r\nCOMPANY=Caf\u00e9 \u0436\u4e2d\r\n"),
         "Jos\xc3\xa9", File(Utf16File(u"; Tesslin1\r\n\r\n[GLOBAL]\r\nOWNER=Jos\u00e9\r\n"))},
        {"utf16_big_endian", "OWNER", "\xc3\x85sa", Utf16File(u"[GLOBAL]\nOWNER=\u00c5sa\n", true),
         "\xc3\x85sa", File(Utf16File(u"[GLOBAL]\nOWNER=Anna\n", true))},
        // A Windows-1252 file goes to the text rules as it is (where it stays Windows-1252).
        {"held_value_not_rewritten", "OWNER", "Jos\xc3\xa9", "[GLOBAL]\r\nOWNER=Jos\xe9\r\n", "Jos\xc3\xa9",
         File("[GLOBAL]\r\nOWNER=Jos\xe9\r\n", 0640)},
        // A value ends at its first NUL byte; the line itself is kept.
        {"nul_in_a_value", "COMPANY", "V", "[GLOBAL]\r\nOWNER=ab\0cd\r\nCOMPANY=V\r\n"s, "ab",
         File("[GLOBAL]\r\nOWNER=ab\0cd\r\n"s)},
    };
    for (const auto& [name, key, value, after, owner, arrange] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path real = arrange(dir.path());
        const std::string before = ReadBytes(real);
        const struct stat was = StatOf(real); // zeros for a file not there yet
        IniProfileStore store(Profile(dir.path()));
        const Result<ProfileStatuses> report = store.write("GLOBAL", key, value);
        EXPECT_EQ(report.value_or({}), ProfileStatuses{ProfileStatus::Written}) << report.reason();
        EXPECT_EQ(ReadBytes(real), after);
        EXPECT_EQ(StatOf(real).st_mode & 07777, was.st_ino != 0 ? was.st_mode & 07777 : 0600u);
        // A changed file is replaced as a whole; an unchanged one is not touched at all.
        EXPECT_EQ(StatOf(real).st_ino == was.st_ino, before == after);
        EXPECT_EQ(fs::is_symlink(Profile(dir.path())), real != Profile(dir.path()));
        EXPECT_EQ(Read(store, "GLOBAL", "OWNER"), owner);
    }
}

// A POSIX access list as the system stores it in system.posix_acl_access: a version, then each entry's tag,
// permissions and id, little-endian.
std::string AccessList(const std::vector<std::tuple<std::uint16_t, std::uint16_t, std::uint32_t>>& entries) {
    std::string bytes;
    const auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return bytes;
}

std::optional<std::string> AttributeOf(P file, const char* name) {
    std::string value(4096, '\0');
    const ssize_t size = ::getxattr(file.c_str(), name, value.data(), value.size());
    if (size < 0) {
        return std::nullopt;
    }
    value.resize(static_cast<std::size_t>(size));
    return value;
}

// A write replaces the file, yet keeps its extended attributes: the user's own and its access list (which
// the system keeps as one), with their values byte for byte.
TEST(IniProfileStore, AWriteKeepsTheFilesAttributes) {
    constexpr std::uint32_t kNoId = 0xFFFFFFFF;
    const std::pair<const char*, std::string> attributes[] = {
        {"user.origin", "dotfiles"},
        {"user.bytes", "\0\x01\xff"s},
        // user::rw-, user:4321:r--, group::r--, mask::r--, other::---
        {"system.posix_acl_access",
         AccessList(
             {{0x01, 6, kNoId}, {0x02, 4, 4321}, {0x04, 4, kNoId}, {0x10, 4, kNoId}, {0x20, 0, kNoId}})},
    };
    TempDir dir;
    const fs::path file = Put(dir / "Tesslin1.ini", kPlain, 0640);
    std::vector<std::pair<const char*, std::string>> set;
    for (const auto& [name, value] : attributes) {
        if (::setxattr(file.c_str(), name, value.data(), value.size(), 0) == 0) {
            set.emplace_back(name, value);
        } else {
            ASSERT_EQ(errno, ENOTSUP) << name << ": " << std::strerror(errno);
        }
    }
    if (set.empty()) {
        GTEST_SKIP() << "the file system of " << dir.path() << " takes no extended attributes";
    }
    const ino_t before = StatOf(file).st_ino;

    const Result<ProfileStatuses> written = IniProfileStore(file).write("GLOBAL", "COMPANY", "V");
    ASSERT_TRUE(written) << written.reason();
    ASSERT_NE(StatOf(file).st_ino, before);
    for (const auto& [name, value] : set) {
        EXPECT_EQ(AttributeOf(file, name), value) << name;
    }
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0640u);
}

// The profile's bytes and inode, and what its folder holds (nothing when it is not one), to see that a
// failed write changed nothing and left nothing behind. The writers' lock file does not count: once made,
// it stays for good.
auto SeenAt(P profile) {
    std::error_code ec;
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(profile.parent_path(), ec)) {
        names.insert(entry.path().filename().string());
    }
    names.erase(profile.filename().string() + ".lock");
    const bool regular = fs::is_regular_file(fs::status(profile, ec));
    return std::tuple(regular ? ReadBytes(profile) : "", StatOf(profile).st_ino, names);
}

// A write that cannot be done fails every key it was given, says why, and leaves everything as it was: the
// file, its folder (no temporary file left), and what a read answers.
TEST(IniProfileStore, AFailedWriteChangesNothingAndSaysWhy) {
    const std::string eio = std::strerror(EIO);
    rlimit unlimited{}, full{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    full = {kPlain.size() + 8, unlimited.rlim_max};
    ::signal(SIGXFSZ, SIG_IGN);
    struct Case {
        const char* name;
        std::string reason;
        Layout arrange;
        WriteFault fault = {};
        std::vector<ProfileEdit> edits = kThreeKeys;
    };
    const Case cases[] = {
        // Read-only: the mode bits say so, for root as for anybody, even when nothing would change.
        {"read_only", "read-only", File(kPlain, 0444)},
        {"read_only_for_its_owner", "read-only", File(kPlain, 0464)},
        {"read_only_held_value", "read-only", File(kPlain, 0444), {}, {{"GLOBAL", "OWNER", "Anna"}}},
        {"link_to_a_read_only_file", "read-only",
         [](P d) {
             Put(d / "dotfiles/t.ini", kPlain, 0444);
             return Link(Profile(d), "../dotfiles/t.ini");
         }},
        {"loop_of_links", "loop",
         [](P d) {
             Link(d / "config/loop", "Tesslin1.ini");
             return Link(Profile(d), "loop");
         }},
        {"utf16_that_cannot_go_back", "UTF-16",
         [](P d) { return Put(Profile(d), Utf16File(u"[GLOBAL]\r\nOWNER=\xd800\r\n")); }},
        {"folder_is_a_file", "cannot create folder",
         [](P d) { return Put(d / "config", "a file") / "Tesslin1.ini"; }},
        // Not a regular file; reading it must not wait for a writer.
        {"a_fifo_in_its_place", "not a regular file",
         [](P d) {
             fs::create_directories(d / "config");
             ::mkfifo(Profile(d).c_str(), 0600);
             return Profile(d);
         }},
        // ".NAME.XXXXXX" is longer than a file name may be (while "NAME.lock" is not): no temporary file
        // in an existing folder.
        {"no_room_for_a_temporary", "cannot create a temporary file",
         [](P d) { return Put(d / std::string(250, 'n'), kPlain); }},
        // From the last key on the disk is full, as a file size limit makes it.
        {"full_disk", std::strerror(EFBIG), File(),
         [&](WriteStep step) { return step == WriteStep::KeyEdited ? ::setrlimit(RLIMIT_FSIZE, &full) : 0; }},
        // A fault at each step, as a kill or a failing disk would cause it there.
        {"fault_at_the_second_key", eio, File(), FailAt(WriteStep::KeyEdited, 2)},
        {"fault_after_writing", eio, File(), FailAt(WriteStep::TemporaryWritten)},
        {"fault_after_syncing", eio, File(), FailAt(WriteStep::Synced)},
        {"fault_before_renaming", eio, File(), FailAt(WriteStep::Renaming)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path file = c.arrange(dir.path());
        IniProfileStore store(file, c.fault);
        const std::optional<std::string> owner = Read(store, "GLOBAL", "OWNER");
        const auto before = SeenAt(file);
        const Result<ProfileStatuses> report = store.write(c.edits);
        ::setrlimit(RLIMIT_FSIZE, &unlimited);

        EXPECT_FALSE(report.ok());
        EXPECT_NE(report.reason().find(c.reason), std::string::npos) << report.reason();
        EXPECT_EQ(SeenAt(file), before);
        EXPECT_EQ(Read(store, "GLOBAL", "OWNER"), owner);
    }
}

// A read-only profile is refused before anything is made beside it: its folder may be one the user cannot
// write either, and the user hears that the file is read-only rather than why no lock file could be made.
TEST(IniProfileStore, AReadOnlyProfileIsRefusedBeforeItsLockFileIsMade) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const fs::path file = Put(dir / "Tesslin1.ini", kPlain, 0444);
    const ActingAsNobody nobody;
    const Result<ProfileStatuses> written = IniProfileStore(file).write("GLOBAL", "OWNER", "Berg");
    EXPECT_NE(written.reason().find("read-only"), std::string::npos) << written.reason();
    EXPECT_FALSE(fs::exists(file.string() + ".lock"));
}

// A profile that is there but cannot be read is no missing profile: a read says so, with the file's name and
// the reason, and a write refuses to put anything in its place. A file larger than settings may be is
// refused so without being read whole (sparse, so that its size costs nothing).
TEST(IniProfileStore, AFileThatCannotBeReadIsToldAndLeftAlone) {
    const auto sparse = [](off_t size) {
        return [size](P d) {
            const fs::path file = Put(Profile(d), kPlain, 0666);
            fs::permissions(d / "config", fs::perms::all); // for the writers' lock file
            EXPECT_EQ(::truncate(file.c_str(), size), 0);
            return file;
        };
    };
    // How the file is laid out, what a read says of it, and whether a write refuses it in the same words.
    const std::tuple<const char*, Layout, std::string, bool> cases[] = {
        {"no_read_permission", File(kPlain, 0000), std::strerror(EACCES), false},
        {"a_folder_in_its_place",
         [](P d) {
             fs::create_directories(Profile(d));
             return Profile(d);
         },
         "not a regular file", false},
        {"one_byte_over", sparse((off_t{256} << 20) + 1), "at 257 MB", true},
        {"two_gigabytes", sparse(off_t{2} << 30), "at 2048 MB", true},
    };
    for (const auto& [name, arrange, why, sameForAWrite] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        fs::permissions(dir.path(), fs::perms::others_exec, fs::perm_options::add);
        const fs::path file = arrange(dir.path());
        const auto seen = [&] {
            const struct stat now = StatOf(file);
            std::set<std::string> names;
            for (const fs::directory_entry& entry : fs::directory_iterator(file.parent_path())) {
                names.insert(entry.path().filename().string());
            }
            names.erase(file.filename().string() + ".lock");
            return std::tuple(now.st_ino, now.st_size, now.st_blocks, now.st_mtim.tv_nsec, names);
        };
        const auto before = seen();
        {
            const ActingAsNobody nobody;
            IniProfileStore store(file);
            const Result<std::optional<std::string>> read = store.read("GLOBAL", "OWNER");
            ASSERT_FALSE(read.ok());
            EXPECT_NE(read.reason().find(file.string()), std::string::npos) << read.reason();
            EXPECT_NE(read.reason().find(why), std::string::npos) << read.reason();
            const Result<ProfileStatuses> written = store.write("GLOBAL", "OWNER", "Berg");
            EXPECT_FALSE(written.ok());
            EXPECT_TRUE(!sameForAWrite || written.reason() == read.reason()) << written.reason();
        }
        EXPECT_EQ(seen(), before);
    }
}

// The system lets root write anything; the store holds it to the write bit of the class it falls in (root's
// own file without the owner's bit is among the failed writes above).
TEST(IniProfileStore, RootFollowsTheWriteBitOfItsClass) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to give the file to another user";
    }
    const std::tuple<uid_t, gid_t, unsigned, bool> cases[] = {
        {4321, 0, 0464, true}, {4321, 4321, 0664, false}, {4321, 4321, 0646, true}};
    TempDir dir;
    for (const auto& [owner, group, mode, written] : cases) {
        ASSERT_EQ(::chown(Put(dir / "Tesslin1.ini", kPlain, mode).c_str(), owner, group), 0);
        const Result<ProfileStatuses> report =
            IniProfileStore(dir / "Tesslin1.ini").write("GLOBAL", "OWNER", "B");
        EXPECT_EQ(report.ok(), written) << std::oct << mode << " " << owner;
    }
}

TEST(IniProfileStore, KeysWithWritableNamesGoToDiskInOneReplace) {
    TempDir dir;
    int replaces = 0;
    IniProfileStore store(dir / "Tesslin1.ini", [&](WriteStep step) {
        replaces += step == WriteStep::Renaming ? 1 : 0;
        return 0;
    });
    const Result<ProfileStatuses> refused =
        store.write({{"GLO]BAL", "OWNER", "x"}, {"GLOBAL", "OW=NER", "x"}});
    EXPECT_EQ(refused.value_or({}),
              (ProfileStatuses{ProfileStatus::SectionNameRefused, ProfileStatus::KeyNameRefused}));
    EXPECT_FALSE(fs::exists(dir / "Tesslin1.ini"));

    const Result<ProfileStatuses> report =
        store.write({{"GLOBAL", "OWNER", "Anna"}, {"GLOBAL", "OW=NER", "x"}, {"GLOBAL", "COMPANY", "V"}});
    EXPECT_EQ(report.value_or({}), (ProfileStatuses{ProfileStatus::Written, ProfileStatus::KeyNameRefused,
                                                    ProfileStatus::Written}));
    EXPECT_EQ(replaces, 1);
    EXPECT_EQ(ReadBytes(dir / "Tesslin1.ini"), "[GLOBAL]\r\nOWNER=Anna\r\nCOMPANY=V\r\n");
}

// The writers' lock file lies beside the file written, a link's target rather than the link, and whoever
// may write the profile may open it: the profile's owner (root saving a user's profile leaves it to that
// user) and the group or others when the profile is shared with them for writing.
TEST(IniProfileStore, TheLockFileIsBesideTheFileWrittenAndOpenToItsWriters) {
    const bool root = ::geteuid() == 0;
    // The profile's mode and owner (none: a new file), and the lock file's mode.
    const std::tuple<const char*, unsigned, uid_t, unsigned> cases[] = {
        {"new_profile", 0, 0, 0600},        {"private", 0600, 0, 0600},
        {"readable_by_all", 0644, 0, 0600}, {"shared_with_the_group", 0660, 0, 0660},
        {"written_by_all", 0666, 0, 0666},  {"a_users_written_by_root_through_the_group", 0664, 4321, 0660},
    };
    for (const auto& [name, mode, owner, lockMode] : cases) {
        SCOPED_TRACE(name);
        if (owner != 0 && !root) {
            continue; // only root gives files away
        }
        TempDir dir;
        const fs::path real = dir / "dotfiles/Tesslin1.ini";
        if (mode != 0) {
            Put(real, kPlain, mode);
            ASSERT_EQ(::chown(real.c_str(), owner != 0 ? owner : ::geteuid(), ::getegid()), 0);
        }
        Link(Profile(dir.path()), "../dotfiles/Tesslin1.ini");
        const Result<ProfileStatuses> written =
            IniProfileStore(Profile(dir.path())).write("GLOBAL", "COMPANY", "V");
        ASSERT_TRUE(written) << written.reason();
        const struct stat lock = StatOf(real.string() + ".lock");
        EXPECT_EQ(lock.st_mode & 07777, lockMode);
        EXPECT_EQ(lock.st_uid, owner != 0 ? owner : ::geteuid());
        EXPECT_FALSE(fs::exists(Profile(dir.path()).string() + ".lock"));
    }
}

// Runs `work` in a child process, whose exit status is what `work` gives back.
pid_t InChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work());
    }
    return child;
}

int ExitStatusOf(pid_t child) {
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Increment(const std::optional<std::string>& stored) {
    return std::to_string((stored ? std::stoi(*stored) : 0) + 1);
}

// Two programs writing the profile at once (two copies of this one, a script, another machine over NFS)
// never lose each other's changes. Two processes each count up a key many times: each its own key, read
// and written back, or one key for both, in single updates; one of them may come through a link to the
// profile.
TEST(IniProfileStore, WritersInTwoProcessesLoseNothing) {
    constexpr int kRounds = 50;
    const std::tuple<const char*, bool, bool> cases[] = {
        {"own_keys", false, false},
        {"one_key", true, false},
        {"own_keys_one_writer_through_a_link", false, true},
    };
    for (const auto& [name, oneKey, throughLink] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        const fs::path file = Put(dir / "dotfiles/Tesslin1.ini", kPlain, 0600);
        const fs::path link = Link(Profile(dir.path()), "../dotfiles/Tesslin1.ini");
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<pid_t> writers;
        for (int writer = 0; writer < 2; ++writer) {
            const fs::path path = throughLink && writer == 1 ? link : file;
            const std::string key = oneKey ? "COUNT" : "COUNT" + std::to_string(writer);
            writers.push_back(InChild([&] {
                ::close(start[1]);
                char none = 0;
                if (::read(start[0], &none, 1) != 0) { // both start when the test closes the pipe
                    return 2;
                }
                IniProfileStore store(path);
                for (int round = 0; round < kRounds; ++round) {
                    if (oneKey) {
                        if (!store.update("GLOBAL", key, Increment)) {
                            return 1;
                        }
                        continue;
                    }
                    const Result<std::optional<std::string>> stored = store.read("GLOBAL", key);
                    if (!stored || !store.write("GLOBAL", key, Increment(*stored))) {
                        return 1;
                    }
                }
                return 0;
            }));
        }
        ::close(start[0]);
        ::close(start[1]);
        for (const pid_t writer : writers) {
            EXPECT_EQ(ExitStatusOf(writer), 0);
        }
        const IniProfileStore store(file);
        if (oneKey) {
            EXPECT_EQ(Read(store, "GLOBAL", "COUNT"), std::to_string(2 * kRounds));
        } else {
            EXPECT_EQ(Read(store, "GLOBAL", "COUNT0"), std::to_string(kRounds));
            EXPECT_EQ(Read(store, "GLOBAL", "COUNT1"), std::to_string(kRounds));
        }
        EXPECT_EQ(Read(store, "GLOBAL", "OWNER"), "Anna");
    }
}

TEST(IniProfileStore, AHandEditBetweenTwoReadsIsSeen) {
    // The parsed file is reused while its identity, size and modification time stay; any of them changing
    // shows a new state. The edits keep the size where they can, as a one-letter change would; "replaced"
    // renames a new file into place (a new inode) rather than rewriting it in place.
    const std::tuple<const char*, std::string, bool, long, const char*> cases[] = {
        {"same_size_new_time", "[GLOBAL]\r\nOWNER=Bert\r\n", false, 1, "Bert"},
        {"same_size_same_time_new_inode", "[GLOBAL]\r\nOWNER=Bert\r\n", true, 0, "Bert"},
        {"new_size_same_time", "[GLOBAL]\r\nOWNER=Berta\r\n", false, 0, "Berta"},
        {"same_state_reuses_the_parse", "[GLOBAL]\r\nOWNER=Bert\r\n", false, 0, "Anna"},
    };
    TempDir dir;
    const fs::path file = dir / "Tesslin1.ini";
    for (const auto& [name, edited, replaced, nanoseconds, seen] : cases) {
        SCOPED_TRACE(name);
        SetModifiedTime(Put(file, kPlain), kThen);
        IniProfileStore reader(file);
        ASSERT_EQ(Read(reader, "GLOBAL", "OWNER"), "Anna");

        const fs::path written = replaced ? dir / "edited.ini" : file;
        WriteBytes(written, edited);
        SetModifiedTime(written, kThen, nanoseconds);
        if (replaced) {
            fs::rename(written, file);
        }
        EXPECT_EQ(Read(reader, "GLOBAL", "OWNER"), seen);
        // A write reads the file afresh whatever was parsed before, so the edit is never lost.
        ASSERT_TRUE(reader.write("GLOBAL", "COMPANY", "V"));
        EXPECT_EQ(ReadBytes(file), edited + "COMPANY=V\r\n");
        EXPECT_EQ(Read(reader, "GLOBAL", "COMPANY"), "V");
    }
}

TEST(IniProfileStore, StaleTemporariesOfOursGoWithTheNextWrite) {
    // Each with the seconds since it last changed, and whether the write removes it.
    const std::tuple<const char*, int, bool> leftovers[] = {
        {".Tesslin1.ini.b1B2c3", 61, true},    // a killed write's, older than a minute
        {".Tesslin1.ini.Zz9yY8", 0, false},    // a write going on now could own it
        {".Tesslin1.ini.a1B2c3d", 120, false}, // not our pattern
        {".Tesslin1.ini.a1B-c3", 120, false},  // not our pattern
        {"Tesslin1.ini.a1B2c3d", 120, false},  // of our name's length, but not hidden: the user's
    };
    TempDir dir;
    for (const auto& [name, age, removed] : leftovers) {
        SetModifiedTime(Put(dir / name, "[GLOBAL]\r\nOWNER=half writ"), std::time(nullptr) - age);
    }
    ASSERT_TRUE(IniProfileStore(dir / "Tesslin1.ini").write("GLOBAL", "OWNER", "Anna"));
    for (const auto& [name, age, removed] : leftovers) {
        EXPECT_EQ(fs::exists(dir / name), !removed) << name;
    }
}

void SetEnv(const char* name, const char* value) {
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

// $XDG_CONFIG_HOME when it is absolute, else $HOME/.config; the password database's home only stands in
// for a HOME that is unset or empty, so a user who points HOME elsewhere finds the profile there.
TEST(ProfilePath, FollowsTheConfigHomeRule) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::string account = std::string(user->pw_dir) + "/.config/Tesslin1.ini";
    const std::string elsewhere = "/elsewhere/anna/.config/Tesslin1.ini";
    ASSERT_NE(account, elsewhere);
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/x/conf", "/elsewhere/anna", "/x/conf/Tesslin1.ini"},
        {nullptr, "/elsewhere/anna", elsewhere},
        {"relative/conf", "/elsewhere/anna", elsewhere},
        {nullptr, nullptr, account},
        {nullptr, "", account},
    };
    const std::string savedXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const auto& [xdg, home, expected] : cases) {
        SetEnv("XDG_CONFIG_HOME", xdg);
        SetEnv("HOME", home);
        EXPECT_EQ(DefaultProfilePath(), fs::path(expected))
            << (xdg ? xdg : "(unset)") << " " << (home ? home : "(unset)");
    }
    SetEnv("XDG_CONFIG_HOME", savedXdg.empty() ? nullptr : savedXdg.c_str());
    SetEnv("HOME", savedHome.empty() ? nullptr : savedHome.c_str());
}

} // namespace
