#include "core/settings/ProfileAccess.h"

#include "core/runtime/RuntimeError.h"
#include "core/settings/IniProfileStore.h"

#include "support/ProfileFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kSixty = "123456789012345678901234567890123456789012345678901234567890";

std::string Repeated(const std::string& piece, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) {
        s += piece;
    }
    return s;
}

const std::string kProfile = "[GLOBAL]\r\nOWNER=Anna Berg\r\nFAILED1=Failed\r\nFAILED2=Failed to start\r\n"
                             "LOWER=failed\r\nLONG=" +
                             kSixty + "\r\nWIDE=" + Repeated("\xc3\xa9", 60) + "\r\nEMPTY=\r\nNOVALUE\r\n";

class ProfileAccessTest : public ProfileFixture {};

struct Call {
    const char* name;
    const char* mode;
    const char* section;
    const char* key;
    ProfileValue value;
    std::string expected;
};

void PrintTo(const Call& c, std::ostream* os) {
    *os << c.name;
}

class ProfileAccessResults : public ProfileAccessTest, public ::testing::WithParamInterface<Call> {};

TEST_P(ProfileAccessResults, AnswersAndLeavesRejectedCallsUnwritten) {
    givenProfile(kProfile);
    const Call& c = GetParam();
    EXPECT_EQ(ProfileAccess(services, c.mode, c.section, c.key, c.value), c.expected);
    EXPECT_EQ(ReadBytes(profileFile), kProfile); // reads, rejected calls and other modes write nothing
    EXPECT_TRUE(messages->shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileAccessResults,
    ::testing::Values(
        // The order of the checks: the first failing one answers.
        Call{"empty_mode_and_section", "", "", "OWNER", {}, "ERROR MODE"},
        Call{"empty_mode", "", "GLOBAL", "OWNER", std::string("x"), "ERROR MODE"},
        Call{"empty_section", "GET", "", "", {}, "ERROR Secname"},
        Call{"empty_key", "GET", "GLOBAL", "", {}, "ERROR Keyname"},
        Call{"empty_key_before_empty_value", "WRITE", "GLOBAL", "", std::string(), "ERROR Keyname"},
        Call{"section_with_cr", "WRITE", "GLO\rBAL", "OWNER", std::string("x"), "ERROR Secname"},
        Call{"section_with_lf", "WRITE", "GLO\nBAL", "OWNER", std::string("x"), "ERROR Secname"},
        Call{"section_with_bracket", "WRITE", "GLOBAL]\r\n[X", "OWNER", std::string("x"), "ERROR Secname"},
        Call{"bad_section_before_bad_key", "WRITE", "A]", "B=", std::string("x"), "ERROR Secname"},
        Call{"key_with_cr", "WRITE", "GLOBAL", "OW\rNER", std::string("x"), "ERROR Keyname"},
        Call{"key_with_lf", "WRITE", "GLOBAL", "OWNER\n[X]\nK", std::string("x"), "ERROR Keyname"},
        Call{"key_with_equals", "WRITE", "GLOBAL", "OWNER=x\r\nK", std::string("x"), "ERROR Keyname"},
        Call{"key_like_a_header", "WRITE", "GLOBAL", "[X", std::string("y]"), "ERROR Keyname"},
        Call{"bad_key_before_empty_value", "WRITE", "GLOBAL", "A=", std::string(), "ERROR Keyname"},
        Call{"write_empty_text", "WRITE", "GLOBAL", "OWNER", std::string(), "ERROR KeyValue"},
        Call{"write_null", "WRITE", "GLOBAL", "OWNER", nullptr, "ERROR KeyValue"},
        Call{"write_absent", "WRITE", "GLOBAL", "OWNER", {}, "ERROR KeyValue"},
        Call{"other_mode", "DELETE", "GLOBAL", "OWNER", std::string("x"), "OK"},
        // Reads.
        Call{"get", "GET", "GLOBAL", "OWNER", {}, "Anna Berg"},
        Call{"get_any_case", "get", "global", "owner", {}, "Anna Berg"},
        Call{"get_ignores_value", "GET", "GLOBAL", "OWNER", std::string("ignored"), "Anna Berg"},
        Call{"never_written", "GET", "GLOBAL", "ADDR1", {}, ""},
        Call{"missing_section", "GET", "OTHER", "OWNER", {}, ""},
        Call{"stored_failed", "GET", "GLOBAL", "FAILED1", {}, "Failed"},
        Call{"stored_failed_and_more", "GET", "GLOBAL", "FAILED2", {}, "Failed to start"},
        Call{"stored_lower_failed", "GET", "GLOBAL", "LOWER", {}, "failed"},
        Call{"cut_to_49", "GET", "GLOBAL", "LONG", {}, kSixty.substr(0, 49)},
        Call{"cut_counts_characters", "GET", "GLOBAL", "WIDE", {}, Repeated("\xc3\xa9", 49)},
        Call{"empty_value", "GET", "GLOBAL", "EMPTY", {}, ""},
        Call{"entry_without_value", "GET", "GLOBAL", "NOVALUE", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileAccessTest, WritesInAnyCaseAndReadsBack) {
    EXPECT_EQ(ProfileAccess(services, "write", "GLOBAL", "OWNER", std::string("Anna Berg")), "OK");
    EXPECT_EQ(ProfileAccess(services, "Write", "GLOBAL", "ID_INDEX", std::int64_t{101}), "OK");
    EXPECT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "ADDR3", std::int64_t{-1}), "OK");
    EXPECT_EQ(ReadBytes(profileFile), "[GLOBAL]\r\nOWNER=Anna Berg\r\nID_INDEX=101\r\nADDR3=-1\r\n");
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "ID_INDEX"), "101");
}

TEST_F(ProfileAccessTest, MissingFileReadsEmptyAndOtherModesCreateNothing) {
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), "");
    EXPECT_EQ(ProfileAccess(services, "DELETE", "GLOBAL", "OWNER"), "OK");
    EXPECT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "OWNER", std::string()), "ERROR KeyValue");
    EXPECT_FALSE(fs::exists(profileFile));
}

TEST_F(ProfileAccessTest, EmptyWriteKeepsTheStoredValue) {
    ASSERT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "OWNER", std::string("Anna")), "OK");
    EXPECT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "OWNER", std::string()), "ERROR KeyValue");
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), "Anna");
}

TEST_F(ProfileAccessTest, LineBreaksInAValueCannotAddLines) {
    ASSERT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "ADDR1", std::string("Main St 1\r\n[EVIL]\r\nX=1")), "OK");
    EXPECT_EQ(ReadBytes(profileFile), "[GLOBAL]\r\nADDR1=Main St 1  [EVIL]  X=1\r\n");
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "ADDR1"), "Main St 1  [EVIL]  X=1");
}

TEST_F(ProfileAccessTest, FailedWriteSaysSoAndChangesNothing) {
    WriteBytes(dir / "plain", "a file, not a folder");
    services.profile = std::make_shared<IniProfileStore>(dir / "plain" / "Tesslin1.ini");
    EXPECT_EQ(ProfileAccess(services, "WRITE", "GLOBAL", "OWNER", std::string("Anna")), "ERROR Write");
    EXPECT_EQ(ReadBytes(dir / "plain"), "a file, not a folder");
    EXPECT_EQ(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), "");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(ProfileAccessTest, WriteManyGivesEachKeyItsOwnStatus) {
    givenProfile("[GLOBAL]\r\nOWNER=Old\r\nADDR1=Quay 1\r\n");
    const std::vector<ProfileWrite> writes = {
        {"GLOBAL", "OWNER", std::string("Anna")}, {"GLOBAL", "ADDR1", std::string()},
        {"GLOBAL", "OW=NER", std::string("x")},   {"", "OWNER", std::string("x")},
        {"GLOBAL", "ID_INDEX", std::int64_t{7}},  {"GLOBAL", "ADDR2", nullptr},
    };
    // Each key's status, as ProfileAccess would say it.
    const auto texts = [&] {
        std::vector<std::string> said;
        for (const ProfileStatus status : ProfileWriteKeys(services, writes).statuses) {
            said.push_back(ProfileStatusText(status));
        }
        return said;
    };
    EXPECT_EQ(texts(), (std::vector<std::string>{"OK", "ERROR KeyValue", "ERROR Keyname", "ERROR Secname",
                                                 "OK", "ERROR KeyValue"}));
    EXPECT_EQ(ReadBytes(profileFile), "[GLOBAL]\r\nOWNER=Anna\r\nADDR1=Quay 1\r\nID_INDEX=7\r\n");

    // A store that cannot write fails every key it was given; the refused ones keep their own status.
    WriteBytes(dir / "plain", "a file, not a folder");
    services.profile = std::make_shared<IniProfileStore>(dir / "plain" / "Tesslin1.ini");
    EXPECT_EQ(texts(), (std::vector<std::string>{"ERROR Write", "ERROR KeyValue", "ERROR Keyname",
                                                 "ERROR Secname", "ERROR Write", "ERROR KeyValue"}));
    EXPECT_TRUE(messages->shown.empty());
}

// A profile service that breaks in the middle of a call.
class BrokenProfile final : public ProfileService {
public:
    explicit BrokenProfile(std::function<void()> fail) : m_fail(std::move(fail)) {}
    std::optional<std::string> read(std::string_view, std::string_view) const override {
        m_fail();
        return std::nullopt;
    }
    ProfileWriteReport write(const std::vector<ProfileEdit>& edits) override {
        m_fail();
        return {std::vector<ProfileStatus>(edits.size(), ProfileStatus::Written), {}};
    }

private:
    std::function<void()> m_fail;
};

TEST_F(ProfileAccessTest, UnexpectedFailureShowsItsDescriptionAndEnds) {
    struct Case {
        const char* mode;
        std::function<void()> fail;
        const char* description;
    };
    const Case cases[] = {
        {"GET", [] { throw RuntimeError(RuntimeError::TypeMismatch); }, "Type mismatch"},
        {"WRITE", [] { throw RuntimeError(RuntimeError::DeviceUnavailable, "Disk on fire"); }, "Disk on fire"},
    };
    for (const Case& c : cases) {
        messages->shown.clear();
        services.profile = std::make_shared<BrokenProfile>(c.fail);
        EXPECT_THROW(ProfileAccess(services, c.mode, "GLOBAL", "OWNER", std::string("x")), ProgramEnded);
        ASSERT_EQ(messages->shown.size(), 1u);
        EXPECT_EQ(messages->shown[0].prompt, c.description);
        EXPECT_EQ(messages->shown[0].style, 0);
        EXPECT_EQ(messages->shown[0].title, std::nullopt);
    }
    messages->shown.clear();
    EXPECT_THROW(ProfileWriteKeys(services, {{"GLOBAL", "OWNER", std::string("x")}}), ProgramEnded);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt, "Disk on fire");
}

TEST_F(ProfileAccessTest, NoProfileServiceIsAnUnexpectedFailure) {
    services.profile.reset();
    EXPECT_THROW(ProfileAccess(services, "GET", "GLOBAL", "OWNER"), ProgramEnded);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].prompt, "Object required");
}

} // namespace
