#include "core/settings/Settings.h"

#include "core/runtime/RuntimeError.h"

#include "support/ErrorNumber.h"
#include "support/ProfileFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kOwnerLines = "OWNER=Anna Berg\r\nCOMPANY=Vantrell\r\nADDR1=Main St 1\r\n"
                                "ADDR2=Springfield 12345\r\nADDR3=555-0100\r\nZIPDRIVE=/dev/sdb\r\n";
const std::string kOwnerBlock = "Anna Berg\r\nVantrell\r\nMain St 1\r\nSpringfield 12345\r\n555-0100";

class LoadSettingsTest : public ProfileFixture {};

struct NumberCase {
    const char* stored;
    std::int16_t next;
};

class NextDiskNumber : public LoadSettingsTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NextDiskNumber, IsTheStoredNumberPlusOneRoundedToEven) {
    givenProfile("[GLOBAL]\r\n" + kOwnerLines + "ID_INDEX=" + GetParam().stored + "\r\n");
    LoadSettings(services);
    EXPECT_EQ(Program().NextDiskNumber, GetParam().next);
    EXPECT_EQ(Program().OwnerBlock, kOwnerBlock);
    EXPECT_EQ(Program().ZipDrive, "/dev/sdb");
}

INSTANTIATE_TEST_SUITE_P(Table, NextDiskNumber,
                         ::testing::Values(NumberCase{"100", 101}, NumberCase{"-1", 0}, NumberCase{"1.5", 2},
                                           NumberCase{"2.5", 4}, NumberCase{"32766", 32767},
                                           NumberCase{"-32769", -32768}));

struct FailCase {
    const char* name;
    std::string idLine;
    int error;
};

void PrintTo(const FailCase& c, std::ostream* os) {
    *os << c.name;
}

class BadDiskNumber : public LoadSettingsTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(BadDiskNumber, FailsAfterRefreshingOwnerAndDriveAndKeepsTheNumber) {
    givenProfile("[GLOBAL]\r\n" + kOwnerLines + GetParam().idLine);
    Program().NextDiskNumber = 42;
    Program().OwnerBlock = "old";
    Program().ZipDrive = "old";
    EXPECT_EQ(ErrorNumberOf([&] { LoadSettings(services); }), GetParam().error);
    EXPECT_EQ(Program().NextDiskNumber, 42);
    EXPECT_EQ(Program().OwnerBlock, kOwnerBlock);
    EXPECT_EQ(Program().ZipDrive, "/dev/sdb");
}

INSTANTIATE_TEST_SUITE_P(Table, BadDiskNumber,
                         ::testing::Values(FailCase{"too_big", "ID_INDEX=32767\r\n", RuntimeError::Overflow},
                                           FailCase{"letters", "ID_INDEX=abc\r\n",
                                                    RuntimeError::TypeMismatch},
                                           FailCase{"missing", "", RuntimeError::TypeMismatch},
                                           FailCase{"empty", "ID_INDEX=\r\n", RuntimeError::TypeMismatch}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadSettingsTest, NoFileGivesFiveEmptyLinesAndKeepsTheNumber) {
    EXPECT_THROW(LoadSettings(services), RuntimeError);
    EXPECT_EQ(Program().OwnerBlock, "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(Program().ZipDrive, "");
    EXPECT_EQ(Program().NextDiskNumber, 0);
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(LoadSettingsTest, MissingCompanyLeavesLineTwoEmpty) {
    givenProfile("[GLOBAL]\r\nOWNER=Anna\r\nADDR1=Street\r\nADDR2=City\r\nADDR3=Phone\r\nID_INDEX=0\r\n");
    LoadSettings(services);
    EXPECT_EQ(Program().OwnerBlock, "Anna\r\n\r\nStreet\r\nCity\r\nPhone");
    EXPECT_EQ(Program().NextDiskNumber, 1);
}

// Records the keys read and what OwnerBlock held at each read.
class WatchingProfile final : public ProfileService {
public:
    std::optional<std::string> read(std::string_view, std::string_view key) const override {
        reads.emplace_back(key);
        blocks.push_back(Program().OwnerBlock);
        return std::string(key == "ID_INDEX" ? "7" : "v");
    }
    ProfileWriteReport write(const std::vector<ProfileEdit>&) override { return {}; }

    mutable std::vector<std::string> reads;
    mutable std::vector<std::string> blocks;
};

TEST_F(LoadSettingsTest, ReadsEachKeyOnceInOrderAndSetsTheBlockAfterAllFive) {
    auto profile = std::make_shared<WatchingProfile>();
    services.profile = profile;
    Program().OwnerBlock = "before";
    LoadSettings(services);
    EXPECT_EQ(profile->reads, (std::vector<std::string>{"OWNER", "COMPANY", "ADDR1", "ADDR2", "ADDR3",
                                                        "ZIPDRIVE", "ID_INDEX"}));
    EXPECT_EQ(profile->blocks, (std::vector<std::string>{"before", "before", "before", "before", "before",
                                                         "v\r\nv\r\nv\r\nv\r\nv", "v\r\nv\r\nv\r\nv\r\nv"}));
    EXPECT_EQ(Program().NextDiskNumber, 8);
}

} // namespace
