#include "core/settings/Settings.h"
#include "core/settings/ProfileAccess.h"

#include "core/runtime/RuntimeError.h"
#include "core/settings/EmptySetting.h"
#include "core/settings/IniProfileStore.h"
#include "core/settings/TextEncoding.h"

#include "support/ErrorNumber.h"
#include "support/ProfileFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// The settings as the program reads and writes them: through ProfileAccess, and all at once at the start.
namespace {

// Sixty characters: ASCII, and two bytes each.
const std::string kDigits = "123456789012345678901234567890123456789012345678901234567890";
const std::string kWide = Windows1252ToUtf8(std::string(60, '\xe9'));
const std::string kProfile =
    "[GLOBAL]\r\nOWNER=Anna Berg\r\nFAILED=Failed\r\nLONG=" + kDigits + "\r\nWIDE=" + kWide + "\r\n";

class ProfileAccessTest : public ProfileFixture {};

TEST_F(ProfileAccessTest, AnswersInTheOrderOfItsChecksAndWritesNothingElse) {
    givenProfile(kProfile);
    const std::tuple<const char*, const char*, const char*, ProfileValue, std::string> cases[] = {
        // The first failing check answers: mode, section, then key (the value comes after them all).
        {"", "", "OWNER", std::string("x"), "ERROR MODE"},
        {"GET", "", "", {}, "ERROR Secname"},
        {"GET", "GLOBAL", "", {}, "ERROR Keyname"},
        {"WRITE", "GLO\nBAL", "OW=NER", std::string("x"), "ERROR Secname"},
        {"WRITE", "GLOBAL", "", std::string(), "ERROR Keyname"},
        {"DELETE", "GLOBAL", "OWNER", std::string("x"), "OK"},
        // Reads: the stored text, cut to 49 characters; nothing stored reads as the empty text.
        {"GET", "GLOBAL", "OWNER", {}, "Anna Berg"},
        {"get", "global", "owner", std::string("ignored"), "Anna Berg"},
        {"GET", "GLOBAL", "ADDR1", {}, ""},
        {"GET", "GLOBAL", "FAILED", {}, "Failed"},
        {"GET", "GLOBAL", "LONG", {}, kDigits.substr(0, 49)},
        {"GET", "GLOBAL", "WIDE", {}, kWide.substr(0, 98)},
    };
    for (const auto& [mode, section, key, value, expected] : cases) {
        EXPECT_EQ(ProfileAccess(services, mode, section, key, value), expected)
            << mode << " " << section << " " << key;
    }
    EXPECT_EQ(ReadBytes(profileFile), kProfile);
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(ProfileAccessTest, WritesInAnyCaseAndReadsBack) {
    EXPECT_EQ(ProfileAccess(services, "write", "GLOBAL", "ADDR1", std::string("Main St 1")), "OK");
    EXPECT_EQ(ProfileAccess(services, "Write", "GLOBAL", "ID_INDEX", std::int64_t{-1}), "OK");
    EXPECT_EQ(ReadBytes(profileFile), "[GLOBAL]\r\nADDR1=Main St 1\r\nID_INDEX=-1\r\n");
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "ADDR1"), "Main St 1");
}

TEST_F(ProfileAccessTest, WriteManyGivesEachKeyItsOwnStatus) {
    givenProfile("[GLOBAL]\r\nOWNER=Old\r\nADDR1=Quay 1\r\n");
    const std::vector<ProfileWrite> writes = {
        {"GLOBAL", "OWNER", std::string("Anna")}, {"GLOBAL", "ADDR1", std::string()},
        {"GLOBAL", "OW=NER", std::string("x")},   {"", "OWNER", std::string("x")},
        {"GLOBAL", "ID_INDEX", std::int64_t{7}},  {"GLOBAL", "ADDR2", nullptr},
    };
    using Texts = std::vector<std::string>;
    Texts together;
    for (const ProfileStatus status : ProfileWriteKeys(services, writes).value_or({})) {
        together.push_back(ProfileStatusText(status));
    }
    EXPECT_EQ(together,
              (Texts{"OK", "ERROR KeyValue", "ERROR Keyname", "ERROR Secname", "OK", "ERROR KeyValue"}));
    EXPECT_EQ(ReadBytes(profileFile), "[GLOBAL]\r\nOWNER=Anna\r\nADDR1=Quay 1\r\nID_INDEX=7\r\n");

    // A store that cannot write (no room for the temporary file's name) fails the keys together, with the
    // reason; written alone, each key it was given fails and the refused ones keep their own status.
    services.profile = std::make_shared<IniProfileStore>(dir / std::string(250, 'n'));
    const Result<ProfileStatuses> failed = ProfileWriteKeys(services, writes);
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.reason(), "");
    Texts alone;
    for (const ProfileWrite& write : writes) {
        alone.push_back(ProfileAccess(services, "WRITE", write.SecName, write.KeyName, write.KeyValue));
    }
    EXPECT_EQ(alone, (Texts{"ERROR Write", "ERROR KeyValue", "ERROR Keyname", "ERROR Secname", "ERROR Write",
                            "ERROR KeyValue"}));
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), "");
    EXPECT_TRUE(messages->shown.empty());
}

// GET reads a file that cannot be read as holding nothing, as the Windows service does; ProfileGet tells the
// two apart, and gives what GET gives otherwise.
TEST_F(ProfileAccessTest, ProfileGetTellsAFileThatCannotBeReadFromAKeyNotSet) {
    givenProfile(kProfile);
    EXPECT_EQ(ProfileGet(services, "global", "LONG").value_or("(failed)"), kDigits.substr(0, 49));
    EXPECT_EQ(ProfileGet(services, "GLOBAL", "ADDR1").value_or("(failed)"), "");

    std::filesystem::remove(profileFile);
    std::filesystem::create_directory(profileFile);
    const Result<std::string> unreadable = ProfileGet(services, "GLOBAL", "OWNER");
    ASSERT_FALSE(unreadable.ok());
    EXPECT_NE(unreadable.reason().find(profileFile.string()), std::string::npos) << unreadable.reason();
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), "");
    EXPECT_TRUE(messages->shown.empty());
}

// A profile service that breaks in the middle of a call.
class BrokenProfile final : public ProfileService {
public:
    explicit BrokenProfile(RuntimeError failure) : m_failure(std::move(failure)) {}
    Result<std::optional<std::string>> read(std::string_view, std::string_view) const override {
        throw m_failure;
    }
    Result<ProfileStatuses> write(const std::vector<ProfileEdit>&) override { throw m_failure; }

private:
    RuntimeError m_failure;
};

// A failure of the service itself shows its description with the application's title, and ends the program.
TEST_F(ProfileAccessTest, UnexpectedFailureShowsItsDescriptionAndEnds) {
    const auto get = [&] { ProfileAccess(services, "GET", "GLOBAL", "OWNER"); };
    const auto writeMany = [&] { (void)ProfileWriteKeys(services, {{"GLOBAL", "OWNER", std::string("x")}}); };
    const std::tuple<std::shared_ptr<ProfileService>, std::function<void()>, const char*> cases[] = {
        {std::make_shared<BrokenProfile>(RuntimeError(RuntimeError::TypeMismatch)), get, "Type mismatch"},
        {std::make_shared<BrokenProfile>(RuntimeError(RuntimeError::DeviceUnavailable, "Disk on fire")),
         writeMany, "Disk on fire"},
        {nullptr, get, "Object required"},
    };
    for (const auto& [profile, call, description] : cases) {
        messages->shown.clear();
        services.profile = profile;
        EXPECT_THROW(call(), ProgramEnded);
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt, description);
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_EQ(messages->shown[0].title, std::nullopt);
    }
}

class LoadSettingsTest : public ProfileFixture {};

// The owner block and the drive are refreshed before the disk number is worked out, so a bad number leaves
// them new and the number as it was.
TEST_F(LoadSettingsTest, NextDiskNumberIsTheStoredOnePlusOneRoundedToEven) {
    const std::tuple<const char*, std::int16_t, int> cases[] = {
        {"ID_INDEX=100\r\n", 101, 0},
        {"ID_INDEX=1.5\r\n", 2, 0},
        {"ID_INDEX=32767\r\n", 42, RuntimeError::Overflow},
        {"", 42, RuntimeError::TypeMismatch},
    };
    for (const auto& [idLine, next, error] : cases) {
        SCOPED_TRACE(idLine);
        givenProfile(std::string("[GLOBAL]\r\nOWNER=Anna Berg\r\nCOMPANY=Vantrell\r\nADDR1=Main St 1\r\n"
                                 "ADDR2=Springfield\r\nADDR3=555-0100\r\nZIPDRIVE=/dev/sdb\r\n") +
                     idLine);
        // A fresh store: rows of one size written within a clock tick would pass for the same file.
        services.profile = std::make_shared<IniProfileStore>(profileFile);
        Program().NextDiskNumber = 42;
        Program().OwnerBlock = Program().ZipDrive = "old";
        EXPECT_EQ(ErrorNumberOf([&] { LoadSettings(services); }), error);
        EXPECT_EQ(Program().NextDiskNumber, next);
        EXPECT_EQ(Program().OwnerBlock, "Anna Berg\r\nVantrell\r\nMain St 1\r\nSpringfield\r\n555-0100");
        EXPECT_EQ(Program().ZipDrive, "/dev/sdb");
    }
    EXPECT_TRUE(messages->shown.empty());
}

// A setting at or below a blank counts as not set (a first run, a placeholder in the dialog); bytes compare
// unsigned, so an accented first letter counts as set.
TEST(SortsAtOrBelowSpace, DecidesWhatCountsAsNotSet) {
    const std::pair<const char*, bool> cases[] = {{" ", true},      {"\001Acme", true}, {"  ", false},
                                                  {" Acme", false}, {"!", false},       {"\xc3\xa9", false}};
    for (const auto& [text, notSet] : cases) {
        EXPECT_EQ(SortsAtOrBelowSpace(text), notSet) << text;
    }
}

} // namespace
