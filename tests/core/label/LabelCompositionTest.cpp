#include "core/label/LabelComposition.h"
#include "core/label/LabelText.h"

#include "support/ErrorNumber.h"
#include "support/LocalTime.h"
#include "support/FakeServices.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

TEST(VerticalText, OneCharacterPerLineCountedOnTheTrimmedText) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"#7", "#\r\n7\r\n"},
        {"#-3", "#\r\n-\r\n3\r\n"},
        {"", ""},
        {"   ", ""},
        // Count from the trimmed text, characters from the text itself.
        {"  AB", " \r\n \r\n"},
        {"AB  ", "A\r\nB\r\n"},
        {" A B ", " \r\nA\r\n \r\n"},
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        EXPECT_EQ(VerticalText(s), c.out) << '"' << c.in << '"';
        EXPECT_EQ(s, c.in) << "argument must stay as it was";
    }
}

TEST(VerticalText, CountBeyondSixteenBitsOverflows) {
    std::string s(40000, 'x');
    EXPECT_EQ(ErrorNumberOf([&] { VerticalText(s); }), RuntimeError::Overflow);
}

TEST(PrintableText, TrimsItsArgumentAndKeepsOnlyBlankToTilde) {
    const struct {
        std::string in;
        std::string trimmed;
        std::string out;
    } cases[] = {
        {"ZIP-100\0"s, "ZIP-100\0"s, "ZIP-100"},
        {"  Removable  ", "Removable", "Removable"},
        {"", "", ""},
        {"A\tB\x1F"
         "C\x7F"
         "D~ ",
         "A\tB\x1F"
         "C\x7F"
         "D~",
         "ABCD~"},
        {"caf\xC3\xA9", "caf\xC3\xA9", "caf"},
        {"\x01 in \x01", "\x01 in \x01", " in "},
        {"1234-ABCD", "1234-ABCD", "1234-ABCD"},
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        EXPECT_EQ(PrintableText(s), c.out);
        EXPECT_EQ(s, c.trimmed);
    }
}

TEST(ValueColumn, FormatsAndCleansTheDiskFacts) {
    const struct {
        DiskFactsRecord facts;
        char separator;
        std::string column;
        DiskFactsRecord after;
    } cases[] = {
        {{"Removable", 0.125, 95.625, "ZIP-100\0"s, "1A2B-3C4D"},
         '.',
         "Removable\r\nZIP-100\r\n1A2B-3C4D\r\n\r\n95.63 MB\r\n95.50 MB\r\n\r\n0.13 MB",
         {"Removable", 0.125, 95.625, "ZIP-100\0"s, "1A2B-3C4D"}},
        // A volume without a name leaves line 2 empty; blanks are trimmed off the facts themselves.
        {{" Fixed ", 0, 0, "", "  0000-0001"},
         ',',
         "Fixed\r\n\r\n0000-0001\r\n\r\n0,00 MB\r\n0,00 MB\r\n\r\n0,00 MB",
         {"Fixed", 0, 0, "", "0000-0001"}},
        {{"Remov\x01"
          "able",
          1023.995, 1500, "PHO\xC3\x96TOS", "\t"},
         '.',
         // Characters outside 32..126 go, a tab included; the facts keep them, only trimmed.
         "Removable\r\nPHOTOS\r\n\r\n\r\n1500.00 MB\r\n476.01 MB\r\n\r\n1024.00 MB",
         {"Remov\x01"
          "able",
          1023.995, 1500, "PHO\xC3\x96TOS", "\t"}},
    };
    for (const auto& c : cases) {
        DiskFactsRecord facts = c.facts;
        EXPECT_EQ(ValueColumn(facts, c.separator), c.column);
        EXPECT_EQ(facts.DriveTypeName, c.after.DriveTypeName);
        EXPECT_EQ(facts.VolumeName, c.after.VolumeName);
        EXPECT_EQ(facts.SerialText, c.after.SerialText);
        EXPECT_EQ(facts.CapacityMB, c.after.CapacityMB);
        EXPECT_EQ(facts.FreeMB, c.after.FreeMB);
    }
}

TEST(UsedPercentage, UsedShareOfTheCapacity) {
    const struct {
        double capacity;
        double free;
        double percentage;
    } cases[] = {
        {95.625, 0.125, 99.869281045751634},
        {100, 62.5, 37.5},
        {100, 100, 0},
        {1, 0, 100},
    };
    for (const auto& c : cases) {
        DiskFactsRecord facts;
        facts.CapacityMB = c.capacity;
        facts.FreeMB = c.free;
        EXPECT_DOUBLE_EQ(UsedPercentage(facts), c.percentage);
    }
}

// An empty drive reads as zeros and blanks: every block but the percentage still comes out.
TEST(Composition, EmptyDriveFailsOnlyAtThePercentage) {
    DiskFactsRecord facts;
    std::string number = DiskNumberText(-12);
    EXPECT_EQ(VerticalText(number), "#\r\n-\r\n1\r\n2\r\n");
    EXPECT_EQ(ValueColumn(facts, '.'), "\r\n\r\n\r\n\r\n0.00 MB\r\n0.00 MB\r\n\r\n0.00 MB");
    EXPECT_EQ(ErrorNumberOf([&] { UsedPercentage(facts); }), RuntimeError::DivisionByZero);
    facts.FreeMB = 5;
    EXPECT_EQ(ErrorNumberOf([&] { UsedPercentage(facts); }), RuntimeError::DivisionByZero);
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

TEST(DateTimeLine, MediumDateCommaTwoBlanksMediumTime) {
    const FixedClock clock(LocalTime(2026, 12, 5, 21, 47, 30));
    EXPECT_EQ(DateTimeLine(clock, CLocaleFormats()), "05-Dec-26,  09:47 PM");
}

TEST(DateTimeLine, DateFromTheFirstReadingTimeFromTheSecond) {
    const SteppingClock stepping({LocalTime(2026, 12, 5, 23, 59, 59), LocalTime(2026, 12, 6, 0, 0, 0)});
    EXPECT_EQ(DateTimeLine(stepping, CLocaleFormats()), "05-Dec-26,  12:00 AM");
}

} // namespace
