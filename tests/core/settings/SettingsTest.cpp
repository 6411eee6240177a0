#include "core/settings/Settings.h"

#include "core/runtime/RuntimeError.h"
#include "core/settings/EmptySetting.h"
#include "core/settings/IniProfileStore.h"

#include "support/ErrorNumber.h"
#include "support/ProfileFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace {

class LoadSettingsTest : public ProfileFixture {};

// The owner block and the drive are refreshed before the disk number is worked out, so a bad number leaves
// them new and the number as it was.
TEST_F(LoadSettingsTest, NextDiskNumberIsTheStoredOnePlusOneRoundedToEven) {
    const std::tuple<const char*, std::int16_t, int> cases[] = {
        {"ID_INDEX=100\r\n", 101, 0},
        {"ID_INDEX=1.5\r\n", 2, 0},
        {"ID_INDEX=-32769\r\n", -32768, 0},
        {"ID_INDEX=32767\r\n", 42, RuntimeError::Overflow},
        {"ID_INDEX=abc\r\n", 42, RuntimeError::TypeMismatch},
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

// A setting at or below a blank counts as not set (a first run, a placeholder in the dialog).
TEST(SortsAtOrBelowSpace, DecidesWhatCountsAsNotSet) {
    for (const char* notSet : {"", " ", "\t", "\x1f", "\001Acme"}) {
        EXPECT_TRUE(SortsAtOrBelowSpace(notSet)) << notSet;
    }
    for (const char* set : {"Acme", "  ", " Acme", "!", "\xc3\xa9" /* é */, "0"}) {
        EXPECT_FALSE(SortsAtOrBelowSpace(set)) << set;
    }
}

} // namespace
