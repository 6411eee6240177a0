#include "core/label/LabelComposition.h"
#include "core/label/LabelText.h"
#include "core/label/ProgBarWidth.h"

#include "support/ErrorNumber.h"
#include "support/FakeServices.h"
#include "support/LocalTime.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// As many characters as the trimmed text holds, taken from the text itself, one per line; the text stays.
TEST(LabelText, VerticalText) {
    const std::pair<std::string, std::string> cases[] = {
        {DiskNumberText(-32768), "#\r\n-\r\n3\r\n2\r\n7\r\n6\r\n8\r\n"},
        {"   ", ""},
        {" A B ", " \r\nA\r\n \r\n"},
    };
    for (const auto& [in, out] : cases) {
        std::string s = in;
        EXPECT_EQ(VerticalText(s), out) << '"' << in << '"';
        EXPECT_EQ(s, in) << "the argument must stay as it was";
    }
    // The count is a 16-bit integer.
    std::string tooLong(32768, 'x');
    EXPECT_EQ(ErrorNumberOf([&] { VerticalText(tooLong); }), RuntimeError::Overflow);
}

// Each text fact is trimmed in place and shown with only blank..tilde of it; numbers are "0.00 MB" (the
// label window's golden picture holds a plain disk).
TEST(LabelComposition, ValueColumnFormatsAndTrimsTheDiskFacts) {
    // The facts, the decimal separator, the column shown, and the facts after (only trimmed).
    const std::tuple<DiskFactsRecord, char, std::string, DiskFactsRecord> cases[] = {
        {{" Fixed ", 0, 0, "", "  0000-0001"},
         ',',
         "Fixed\r\n\r\n0000-0001\r\n\r\n0,00 MB\r\n0,00 MB\r\n\r\n0,00 MB",
         {"Fixed", 0, 0, "", "0000-0001"}},
        {{"Re\001mov\037able", 1023.995, 1500, " PHO\xC3\x96TOS~\177 ", "\t"},
         '.',
         "Removable\r\nPHOTOS~\r\n\r\n\r\n1500.00 MB\r\n476.01 MB\r\n\r\n1024.00 MB",
         {"Re\001mov\037able", 1023.995, 1500, "PHO\xC3\x96TOS~\177", "\t"}},
    };
    for (const auto& [given, separator, column, after] : cases) {
        DiskFactsRecord facts = given;
        EXPECT_EQ(ValueColumn(facts, separator), column);
        const auto fields = [](const DiskFactsRecord& f) {
            return std::tie(f.DriveTypeName, f.FreeMB, f.CapacityMB, f.VolumeName, f.SerialText);
        };
        EXPECT_EQ(fields(facts), fields(after));
    }
}

TEST(LabelComposition, UsedPercentageOfTheCapacity) {
    const std::tuple<double, double, double> cases[] = {
        {95.625, 0.125, 99.869281045751634}, {100, 62.5, 37.5}, {1, 0, 100}};
    for (const auto& [capacity, free, percentage] : cases) {
        EXPECT_DOUBLE_EQ(UsedPercentage({"", free, capacity, "", ""}), percentage);
    }
    // An empty drive reads as zeros: the percentage is the one block that fails.
    EXPECT_EQ(ErrorNumberOf([] { UsedPercentage({}); }), RuntimeError::DivisionByZero);
}

// Steps to the next of its readings on every call.
class SteppingClock final : public Clock {
public:
    explicit SteppingClock(std::vector<TimePoint> readings) : m_readings(std::move(readings)) {}
    TimePoint now() const override { return m_readings.at(m_next++); }

private:
    std::vector<TimePoint> m_readings;
    mutable std::size_t m_next = 0;
};

// The date of a first reading, a comma and two blanks, the time of a second reading.
TEST(LabelComposition, DateTimeLine) {
    const SteppingClock clock({LocalTime(2026, 12, 5, 23, 59, 59), LocalTime(2026, 12, 6, 21, 47, 0)});
    EXPECT_EQ(DateTimeLine(clock, CLocaleFormats()), "05-Dec-26,  09:47 PM");
}

// The bar's width: the used percent rounded half to even, of a full bar of 4900 twips, a 16-bit integer.
TEST(ProgBarWidthTwips, RoundsThePercentHalfToEvenAndScalesToTheFullBar) {
    const std::pair<double, float> cases[] = {{0.5, 0.0f},     {1.5, 98.0f},      {38.5, 1862.0f},
                                              {99.4, 4851.0f}, {99.869, 4900.0f}, {100.0, 4900.0f}};
    for (const auto& [percent, twips] : cases) {
        EXPECT_EQ(ProgBarWidthTwips(percent), twips) << percent;
    }
    EXPECT_EQ(ErrorNumberOf([] { ProgBarWidthTwips(40000); }), RuntimeError::Overflow);
}

} // namespace
