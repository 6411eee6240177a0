#include "core/settings/IniProfileStore.h"
#include "core/settings/ProfilePath.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

unsigned modeOf(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 07777;
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

TEST_F(IniProfileStoreTest, EveryReadSeesTheFileAsItIsNow) {
    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Anna"));
    WriteBytes(file, "[GLOBAL]\nOWNER=Edited by hand\n");
    EXPECT_EQ(store.read("GLOBAL", "OWNER"), "Edited by hand");
}

TEST_F(IniProfileStoreTest, WritingTheHeldValueLeavesTheFileAlone) {
    fs::create_directories(file.parent_path());
    WriteBytes(file, "[GLOBAL]\r\nOWNER=Anna\r\n");
    const auto before = fs::last_write_time(file);
    ::chmod(file.c_str(), 0400); // root could still write; the point is that it does not try
    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Anna"));
    EXPECT_EQ(fs::last_write_time(file), before);
}

TEST_F(IniProfileStoreTest, ParentThatIsAFileFailsTheWrite) {
    WriteBytes(dir / "plain", "not a folder");
    IniProfileStore blocked(dir / "plain" / "Tesslin1.ini");
    std::string error;
    EXPECT_FALSE(blocked.write("GLOBAL", "OWNER", "Anna", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(dir / "plain"), "not a folder");
    EXPECT_EQ(blocked.read("GLOBAL", "OWNER"), std::nullopt);
}

TEST_F(IniProfileStoreTest, FolderInPlaceOfTheFileFailsTheWrite) {
    fs::create_directories(file);
    std::string error;
    EXPECT_FALSE(store.write("GLOBAL", "OWNER", "Anna", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(store.read("GLOBAL", "OWNER"), std::nullopt);
}

TEST_F(IniProfileStoreTest, FullDiskLeavesTheOldFileWhole) {
    fs::create_directories(file.parent_path());
    const std::string old = "[GLOBAL]\r\nOWNER=Anna\r\n";
    WriteBytes(file, old);
    bool written = true;
    {
        const FileSizeLimit limit(old.size() + 8);
        written = store.write("GLOBAL", "COMPANY", std::string(200, 'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_EQ(namesIn(file.parent_path()), std::vector<std::string>{"Tesslin1.ini"});
}

TEST_F(IniProfileStoreTest, UnwritableNamesAreRefused) {
    EXPECT_FALSE(store.write("GLO]BAL", "OWNER", "x"));
    EXPECT_FALSE(store.write("GLOBAL", "OW=NER", "x"));
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(IniProfileStoreTest, LinkedProfileStaysALink) {
    const fs::path real = dir / "dotfiles" / "Tesslin1.ini";
    fs::create_directories(real.parent_path());
    fs::create_directories(file.parent_path());
    WriteBytes(real, "[GLOBAL]\nOWNER=Anna\n");
    fs::create_symlink(real, file);

    ASSERT_TRUE(store.write("GLOBAL", "OWNER", "Berg"));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(ReadBytes(real), "[GLOBAL]\nOWNER=Berg\n");
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
