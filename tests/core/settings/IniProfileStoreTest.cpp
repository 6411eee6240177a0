#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfilePath.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

unsigned modeOf(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 07777;
}

ino_t inodeOf(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_ino;
}

void setModifiedTime(const fs::path& file, std::time_t seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// UTF-16 text as a Windows editor saves it: the byte-order mark, then each code unit in the given order.
std::string unicodeFile(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Everything in a folder, so that a test can see no temporary file was left behind.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Limits the size of files this process may write, as a full disk would, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    sighandler_t m_oldHandler;
};

class IniProfileStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path file = dir / "config" / "Tesslin1.ini";
    IniProfileStore store{file};
};

TEST_F(IniProfileStoreTest, MissingFileReadsNothingAndFirstWriteCreatesItPrivately) {
    EXPECT_EQ(store.read("GLOBAL", "OWNER"), std::nullopt);
    EXPECT_FALSE(fs::exists(file));

    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Anna Berg"));
    EXPECT_EQ(ReadBytes(file), "[GLOBAL]\r\nOWNER=Anna Berg\r\n");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(store.read("GLOBAL", "OWNER"), "Anna Berg");
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"Tesslin1.ini"});
}

TEST_F(IniProfileStoreTest, WindowsFileKeepsEveryOtherByte) {
    fs::create_directories(file.parent_path());
    const std::string windows =
        "\xef\xbb\xbf; Tesslin1 settings\r\n\r\n[GLOBAL]\r\nOWNER=Jos\xe9 M\xfcller\r\n"
        "COMPANY = \"Vantrell \" \r\nID_INDEX=99\r\n\r\n[Other]\r\nx=1\r\n";
    WriteBytes(file, windows);
    ::chmod(file.c_str(), 0644);

    EXPECT_EQ(store.read("global", "owner"), "Jos\xc3\xa9 M\xc3\xbcller");
    EXPECT_EQ(store.read("GLOBAL", "COMPANY"), "Vantrell ");
    ASSERT_TRUE(store.write("GLOBAL", "ID_INDEX", "100"));
    ASSERT_TRUE(store.write("GLOBAL", "ZIPDRIVE", "/dev/sdb"));

    EXPECT_EQ(ReadBytes(file),
              "\xef\xbb\xbf; Tesslin1 settings\r\n\r\n[GLOBAL]\r\nOWNER=Jos\xe9 M\xfcller\r\n"
              "COMPANY = \"Vantrell \" \r\nID_INDEX=100\r\nZIPDRIVE=/dev/sdb\r\n\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(modeOf(file), 0644u) << "an existing file keeps its permissions";
}

TEST_F(IniProfileStoreTest, AHandEditBetweenTwoReadsIsSeen) {
    // The parsed file is reused while its identity, size and modification time stay; any of them changing
    // shows a new state. The edits keep the size where they can, as a one-letter change would.
    struct Case {
        const char* name;
        std::string edited;
        bool replaced; // a new file renamed into place (a new inode) rather than rewritten in place
        long nanoseconds;
        const char* seen;
    };
    const Case cases[] = {
        {"same_size_new_time", "[GLOBAL]\r\nOWNER=Bert\r\n", false, 1, "Bert"},
        {"same_size_same_time_new_inode", "[GLOBAL]\r\nOWNER=Bert\r\n", true, 0, "Bert"},
        {"new_size_same_time", "[GLOBAL]\r\nOWNER=Berta\r\n", false, 0, "Berta"},
        {"same_state_reuses_the_parse", "[GLOBAL]\r\nOWNER=Bert\r\n", false, 0, "Anna"},
    };
    fs::create_directories(file.parent_path());
    constexpr std::time_t kThen = 1600000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, "[GLOBAL]\r\nOWNER=Anna\r\n");
        setModifiedTime(file, kThen);
        IniProfileStore reader(file);
        ASSERT_EQ(reader.read("GLOBAL", "OWNER"), "Anna");

        const fs::path written = c.replaced ? dir / "edited.ini" : file;
        WriteBytes(written, c.edited);
        setModifiedTime(written, kThen, c.nanoseconds);
        if (c.replaced) {
            fs::rename(written, file);
        }
        EXPECT_EQ(reader.read("GLOBAL", "OWNER"), c.seen);
        // A write reads the file afresh whatever was parsed before, so the edit is never lost.
        ASSERT_TRUE(reader.write("GLOBAL", "COMPANY", "V"));
        EXPECT_EQ(ReadBytes(file), c.edited + "COMPANY=V\r\n");
        EXPECT_EQ(reader.read("GLOBAL", "COMPANY"), "V");
    }
}

TEST_F(IniProfileStoreTest, WritingTheHeldValueLeavesTheFileAlone) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, "[GLOBAL]\r\nOWNER=Jos\xe9\r\n");
    setModifiedTime(file, 1600000000);
    const ino_t inode = inodeOf(file);
    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Jos\xc3\xa9"));
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_ino, inode);
    EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);
}

TEST_F(IniProfileStoreTest, ParentThatIsAFileFailsTheWrite) {
    WriteBytes(dir / "plain", "not a folder");
    IniProfileStore blocked(dir / "plain" / "Tesslin1.ini");
    const ProfileWriteReport report = blocked.write("GLOBAL", "OWNER", "Anna");
    EXPECT_EQ(report.statuses, std::vector{ProfileStatus::NotWritten});
    EXPECT_FALSE(report.reason.empty());
    EXPECT_EQ(ReadBytes(dir / "plain"), "not a folder");
    EXPECT_EQ(blocked.read("GLOBAL", "OWNER"), std::nullopt);
}

TEST_F(IniProfileStoreTest, SomethingElseInPlaceOfTheFileFailsTheWrite) {
    fs::create_directories(file.parent_path());
    const std::function<void()> makers[] = {
        [&] { fs::create_directories(file); },
        [&] { ::mkfifo(file.c_str(), 0600); }, // reading it must not wait for a writer
    };
    for (const auto& make : makers) {
        fs::remove_all(file);
        make();
        const fs::file_type type = fs::status(file).type();
        const ProfileWriteReport report = store.write("GLOBAL", "OWNER", "Anna");
        EXPECT_FALSE(report);
        EXPECT_NE(report.reason.find("not a regular file"), std::string::npos) << report.reason;
        EXPECT_EQ(fs::status(file).type(), type);
        EXPECT_EQ(store.read("GLOBAL", "OWNER"), std::nullopt);
    }
}

TEST_F(IniProfileStoreTest, FullDiskLeavesTheOldFileWhole) {
    fs::create_directories(file.parent_path());
    const std::string old = "[GLOBAL]\r\nOWNER=Anna\r\n";
    WriteBytes(file, old);
    bool written = true;
    {
        const FileSizeLimit limit(old.size() + 8);
        written = store.write("GLOBAL", "COMPANY", std::string(200, 'x')).allWritten();
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"Tesslin1.ini"});
}

TEST_F(IniProfileStoreTest, UnwritableNamesAreRefused) {
    EXPECT_EQ(store.write("GLO]BAL", "OWNER", "x").statuses, std::vector{ProfileStatus::SectionNameRefused});
    EXPECT_EQ(store.write("GLOBAL", "OW=NER", "x").statuses, std::vector{ProfileStatus::KeyNameRefused});
    EXPECT_FALSE(fs::exists(file));
}

using Links = std::vector<std::pair<std::string, std::string>>;

// Symbolic links as pairs of arguments: where the link is (in the test folder), then the text it holds.
template <typename... Names> Links linked(Names... names) {
    const std::vector<std::string> flat = {names...};
    Links links;
    for (std::size_t i = 0; i + 1 < flat.size(); i += 2) {
        links.emplace_back(flat[i], flat[i + 1]);
    }
    return links;
}

// What the user left in place of the profile, and what a write makes of it.
struct LeftFile {
    const char* name;
    Links links;
    const char* where;                 // the real file, in the test folder
    std::optional<std::string> before; // its bytes; nothing when it is missing
    unsigned mode;
    std::string key;
    std::string value;
    std::string after; // the real file's bytes after the write (the old ones when it is refused)
    unsigned modeAfter;
    const char* refusedFor; // part of the reason when the write is refused
    std::optional<std::string> ownerAfter;
};

void PrintTo(const LeftFile& c, std::ostream* os) {
    *os << c.name;
}

class WriteRespectsTheFile : public IniProfileStoreTest, public ::testing::WithParamInterface<LeftFile> {};

const std::string kPlain = "[GLOBAL]\r\nOWNER=Anna\r\n";
const std::string kNul(1, '\0');
const std::string kWindows1252 = "[GLOBAL]\r\nCL\xc9=x\r\nOWNER=Jos\xe9\r\n";

TEST_P(WriteRespectsTheFile, AndItsBytesModeAndLinksAreAsTheUserLeftThem) {
    const LeftFile& c = GetParam();
    fs::create_directories(file.parent_path());
    const fs::path real = dir / c.where;
    if (c.before) {
        fs::create_directories(real.parent_path());
        WriteBytes(real, *c.before);
        ::chmod(real.c_str(), c.mode);
    }
    for (const auto& [link, target] : c.links) {
        fs::create_directories((dir / link).parent_path());
        fs::create_symlink(target, dir / link);
    }

    const ProfileWriteReport report = store.write("GLOBAL", c.key, c.value);
    const std::string& error = report.reason;

    EXPECT_EQ(report.allWritten(), c.refusedFor == nullptr) << error;
    if (c.refusedFor != nullptr) {
        EXPECT_NE(error.find(c.refusedFor), std::string::npos) << error;
    }
    if (c.before || c.refusedFor == nullptr) {
        EXPECT_EQ(ReadBytes(real), c.after);
        EXPECT_EQ(modeOf(real), c.modeAfter);
    } else {
        EXPECT_FALSE(fs::exists(fs::symlink_status(real)));
    }
    for (const auto& [link, target] : c.links) {
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    }
    if (c.ownerAfter) {
        EXPECT_EQ(store.read("GLOBAL", "OWNER"), c.ownerAfter);
    }
    const auto names = namesIn(real.parent_path());
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), [](const std::string& n) { return n[0] == '.'; }))
        << "a temporary file was left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteRespectsTheFile,
    ::testing::Values(
        // Read-only: the mode bits say so, for root as for anybody.
        LeftFile{"read_only", linked(), "config/Tesslin1.ini", kPlain, 0444, "OWNER", "Berg", kPlain, 0444,
                 "read-only", "Anna"},
        LeftFile{"read_only_for_its_owner", linked(), "config/Tesslin1.ini", kPlain, 0464, "OWNER", "Berg",
                 kPlain, 0464, "read-only", std::nullopt},
        LeftFile{"read_only_asked_for_the_held_value", linked(), "config/Tesslin1.ini", kPlain, 0444, "OWNER",
                 "Anna", kPlain, 0444, "read-only", std::nullopt},
        // Symbolic links stay links; the file at the end of the chain is written, made when missing.
        LeftFile{"link_to_a_file", linked("config/Tesslin1.ini", "../dotfiles/Tesslin1.ini"),
                 "dotfiles/Tesslin1.ini", "[GLOBAL]\nOWNER=Anna\n", 0644, "OWNER", "Berg",
                 "[GLOBAL]\nOWNER=Berg\n", 0644, nullptr, "Berg"},
        LeftFile{"link_to_a_missing_file_and_folder",
                 linked("config/Tesslin1.ini", "../dotfiles/tess/Tesslin1.ini"), "dotfiles/tess/Tesslin1.ini",
                 std::nullopt, 0, "OWNER", "Berg", "[GLOBAL]\r\nOWNER=Berg\r\n", 0600, nullptr, "Berg"},
        LeftFile{
            "chain_of_links",
            linked("config/Tesslin1.ini", "../hop/one", "hop/one", "two", "hop/two", "../dotfiles/t.ini"),
            "dotfiles/t.ini", std::nullopt, 0, "OWNER", "Berg", "[GLOBAL]\r\nOWNER=Berg\r\n", 0600, nullptr,
            "Berg"},
        LeftFile{"link_to_a_read_only_file", linked("config/Tesslin1.ini", "../dotfiles/Tesslin1.ini"),
                 "dotfiles/Tesslin1.ini", kPlain, 0444, "OWNER", "Berg", kPlain, 0444, "read-only", "Anna"},
        LeftFile{"loop_of_links", linked("config/Tesslin1.ini", "loop", "config/loop", "Tesslin1.ini"),
                 "config/never", std::nullopt, 0, "OWNER", "Berg", "", 0, "loop", std::nullopt},
        // UTF-16 as Windows editors save it stays UTF-16 with its mark; other lines keep their bytes.
        LeftFile{"utf16_little_endian", linked(), "config/Tesslin1.ini",
                 unicodeFile(u"; Tesslin1\r\n\r\n[GLOBAL]\r\nOWNER=Jos\u00e9\r\nID_INDEX=7\r\n"), 0644,
                 "COMPANY", "Caf\xc3\xa9 \xd0\xb6\xe4\xb8\xad",
                 unicodeFile(u"; Tesslin1\r\n\r\n[GLOBAL]\r\nOWNER=Jos\u00e9\r\nID_INDEX=7\r\n"
                             u"COMPANY=Caf\u00e9 \u0436\u4e2d\r\n"),
                 0644, nullptr, "Jos\xc3\xa9"},
        LeftFile{"utf16_big_endian", linked(), "config/Tesslin1.ini",
                 unicodeFile(u"[GLOBAL]\nOWNER=Anna\n", true), 0644, "OWNER", "\xc3\x85sa",
                 unicodeFile(u"[GLOBAL]\nOWNER=\u00c5sa\n", true), 0644, nullptr, "\xc3\x85sa"},
        LeftFile{"utf16_that_cannot_go_back", linked(), "config/Tesslin1.ini",
                 unicodeFile(u"[GLOBAL]\r\nOWNER=\xd800\r\n"), 0644, "COMPANY", "V",
                 unicodeFile(u"[GLOBAL]\r\nOWNER=\xd800\r\n"), 0644, "UTF-16", std::nullopt},
        // A Windows-1252 file stays one where the code page holds the value.
        LeftFile{"windows_1252_written_back", linked(), "config/Tesslin1.ini", kWindows1252, 0644,
                 "CL\xc3\x89", "\xc3\xa9", "[GLOBAL]\r\nCL\xc9=\xe9\r\nOWNER=Jos\xe9\r\n", 0644, nullptr,
                 "Jos\xc3\xa9"},
        LeftFile{"windows_1252_value_beyond_it", linked(), "config/Tesslin1.ini", kWindows1252, 0644, "OWNER",
                 "\xd0\xb6", "[GLOBAL]\r\nCL\xc9=x\r\nOWNER=\xd0\xb6\r\n", 0644, nullptr, "\xd0\xb6"},
        // A value ends at its first NUL byte; the line itself is kept.
        LeftFile{"nul_in_a_value", linked(), "config/Tesslin1.ini", "[GLOBAL]\r\nOWNER=ab" + kNul + "cd\r\n",
                 0644, "COMPANY", "V", "[GLOBAL]\r\nOWNER=ab" + kNul + "cd\r\nCOMPANY=V\r\n", 0644, nullptr,
                 "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniProfileStoreTest, RootFollowsTheWriteBitOfItsClass) {
    // The system lets root write anything; the store holds it to the bit of the class it falls in.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to give the file to another user";
    }
    constexpr uid_t kSomebody = 4321;
    constexpr gid_t kTheirGroup = 4321;
    struct Case {
        uid_t owner;
        gid_t group;
        unsigned mode;
        bool written;
    };
    const Case cases[] = {
        {0, 0, 0464, false},                   // root's own file, without the owner's bit
        {kSomebody, 0, 0464, true},            // root's group may write
        {kSomebody, kTheirGroup, 0664, false}, // only its owner and group may
        {kSomebody, kTheirGroup, 0646, true},  // anybody may
    };
    fs::create_directories(file.parent_path());
    for (const Case& c : cases) {
        WriteBytes(file, "[GLOBAL]\r\nOWNER=Anna\r\n");
        ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
        ::chmod(file.c_str(), c.mode);
        EXPECT_EQ(store.write("GLOBAL", "OWNER", "Berg").allWritten(), c.written) << std::oct << c.mode << " " << c.owner;
        fs::remove(file);
    }
}

TEST_F(IniProfileStoreTest, SeveralKeysGoToDiskInOneReplace) {
    int replaces = 0;
    IniProfileStore counted(file, [&](WriteStep step) {
        replaces += step == WriteStep::Renaming ? 1 : 0;
        return 0;
    });
    const ProfileWriteReport report =
        counted.write({{"GLOBAL", "OWNER", "Anna"}, {"GLOBAL", "OW=NER", "x"}, {"GLOBAL", "COMPANY", "V"}});
    EXPECT_EQ(report.statuses, (std::vector{ProfileStatus::Written, ProfileStatus::KeyNameRefused,
                                            ProfileStatus::Written}));
    EXPECT_EQ(replaces, 1);
    EXPECT_EQ(ReadBytes(file), "[GLOBAL]\r\nOWNER=Anna\r\nCOMPANY=V\r\n");
    EXPECT_NE(report.reason.find("name"), std::string::npos) << report.reason;
}

TEST_F(IniProfileStoreTest, AFailureAtAnyStepLeavesTheOldFile) {
    // A fault at each step of a three-key write, as a kill or a failing disk would cause it there.
    struct Case {
        WriteStep step;
        int occurrence; // which time the step comes round
    };
    const Case cases[] = {{WriteStep::KeyEdited, 2},
                          {WriteStep::TemporaryWritten, 1},
                          {WriteStep::Synced, 1},
                          {WriteStep::Renaming, 1}};
    fs::create_directories(file.parent_path());
    const std::string old = "; mine\r\n[GLOBAL]\r\nOWNER=Anna\r\nCOMPANY=Old Co\r\n";
    WriteBytes(file, old);
    const ino_t inode = inodeOf(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        int seen = 0;
        IniProfileStore failing(file, [&](WriteStep step) {
            seen += step == c.step ? 1 : 0;
            return step == c.step && seen == c.occurrence ? EIO : 0;
        });
        const ProfileWriteReport report = failing.write(
            {{"GLOBAL", "OWNER", "Berg"}, {"GLOBAL", "COMPANY", "New Co"}, {"GLOBAL", "ADDR1", "Quay 1"}});
        EXPECT_EQ(report.statuses, std::vector<ProfileStatus>(3, ProfileStatus::NotWritten));
        EXPECT_EQ(ReadBytes(file), old);
        EXPECT_EQ(inodeOf(file), inode);
        EXPECT_NE(report.reason.find(std::strerror(EIO)), std::string::npos) << report.reason;
        EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"Tesslin1.ini"});
    }
}

TEST_F(IniProfileStoreTest, StaleTemporariesOfOursGoWithTheNextWrite) {
    fs::create_directories(file.parent_path());
    const std::time_t twoMinutesAgo = std::time(nullptr) - 120;
    struct Leftover {
        const char* name;
        bool old;
        bool removed;
    };
    const Leftover leftovers[] = {
        {".Tesslin1.ini.a1B2c3", true, true},   // a killed write's
        {".Tesslin1.ini.Zz9yY8", false, false}, // a write going on now could own it
        {".Tesslin1.ini.a1B2c3d", true, false}, // not our pattern
        {".Other.ini.a1B2c3", true, false},     // another file's
        {"Tesslin1.ini.a1B2c3", true, false},   // not hidden: the user's
    };
    for (const Leftover& l : leftovers) {
        WriteBytes(file.parent_path() / l.name, "[GLOBAL]\r\nOWNER=half writ");
        if (l.old) {
            setModifiedTime(file.parent_path() / l.name, twoMinutesAgo);
        }
    }
    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Anna"));
    for (const Leftover& l : leftovers) {
        EXPECT_EQ(fs::exists(file.parent_path() / l.name), !l.removed) << l.name;
    }
}

TEST(ProfilePath, FollowsTheConfigHomeRule) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/x/conf", "/home/anna", "/x/conf/Tesslin1.ini"},
        {nullptr, "/home/anna", "/home/anna/.config/Tesslin1.ini"},
        {"", "/home/anna", "/home/anna/.config/Tesslin1.ini"},
        {"relative/conf", "/home/anna", "/home/anna/.config/Tesslin1.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProfilePathFor(c.xdg, c.home), fs::path(c.expected));
    }
    EXPECT_EQ(DefaultProfilePath().filename(), "Tesslin1.ini");
}

} // namespace
