#include "core/runtime/ExitTerminator.h"
#include "core/runtime/Runtime.h"
#include "core/runtime/Services.h"

#include <gtest/gtest.h>

namespace {

// Ending the program is a normal end, for the real terminator and without one.
TEST(RuntimeDeathTest, EndingTheProgramExitsWithZero) {
    EXPECT_EXIT(ExitTerminator().endNow(), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(EndProgram(Services{}), testing::ExitedWithCode(0), "");
}

} // namespace
