#include "core/runtime/Runtime.h"
#include "core/runtime/Conversions.h"
#include "core/runtime/ExitTerminator.h"
#include "core/runtime/Services.h"
#include "support/ErrorNumber.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

TEST(Conversions, TextToDoubleTakesPlainDecimalsOnly) {
    const std::pair<const char*, double> cases[] = {
        {"-1", -1}, {"+7", 7},          {"  100\t ", 100},           {".5", 0.5},
        {"5.", 5},  {"\t-0.25", -0.25}, {"1234567.125", 1234567.125}};
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(TextToDouble(text), value) << text;
    }
    for (const char* text : {"", "   ", "-", ".", "1.2.3", "a12", "1 2", "--1", "1e5", "0x10", "1,5"}) {
        EXPECT_EQ(ErrorNumberOf([&] { TextToDouble(text); }), RuntimeError::TypeMismatch) << text;
    }
}

TEST(Conversions, CIntRoundsHalfToEvenWithinSixteenBits) {
    const std::pair<double, int> cases[] = {
        {2.5, 2}, {3.5, 4},  {-2.5, -2},       {-3.5, -4},       {1.4999, 1},        {1.5001, 2},
        {0.5, 0}, {-0.5, 0}, {32767.4, 32767}, {32766.5, 32766}, {-32768.5, -32768},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(CInt(in), out) << in;
    }
    for (double v : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(ErrorNumberOf([&] { CInt(v); }), RuntimeError::Overflow) << v;
    }
}

// Two decimals, halves away from zero on the value's 15-digit decimal form (1.005 gives 1.01).
TEST(Conversions, FormatFixed2) {
    const std::pair<double, const char*> cases[] = {
        {95.625, "95.63"}, {95.5, "95.50"},  {0.004, "0.00"},    {0.005, "0.01"}, {1.005, "1.01"},
        {-0.125, "-0.13"}, {-0.001, "0.00"}, {99.995, "100.00"}, {1e-20, "0.00"}, {1234567.891, "1234567.89"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(FormatFixed2(in, '.'), out) << in;
    }
    EXPECT_EQ(FormatFixed2(95.625, ','), "95,63");
}

// Ending the program is a normal end, for the real terminator and without one.
TEST(RuntimeDeathTest, EndingTheProgramExitsWithZero) {
    EXPECT_EXIT(ExitTerminator().endNow(), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(EndProgram(Services{}), testing::ExitedWithCode(0), "");
}

} // namespace
