#include "label/LabelComposition.h"
#include "label/LabelText.h"

#include "forms/RuntimeError.h"
#include "support/ProgramFixture.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
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
    try {
        VerticalText(s);
        FAIL() << "expected Overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), RuntimeError::Overflow);
    }
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

TEST(DiskNumberText, HashAndDecimalWithSign) {
    EXPECT_EQ(DiskNumberText(7), "#7");
    EXPECT_EQ(DiskNumberText(-3), "#-3");
}

TEST(CaptionColumn, EightLinesEachEndingWithABreak) {
    EXPECT_EQ(CaptionColumn(), "Drive Type\r\nVolume ID\r\nSerial No\r\n\r\nDisk Cap.\r\nUsed Space\r\n\r\n"
                               "Free Space\r\n");
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

TEST(ValueColumn, LocaleFormUsesTheLocaleSeparator) {
    const QLocale saved;
    DiskFactsRecord facts{"Removable", 0.125, 95.625, "ZIP-100", "1A2B-3C4D"};
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ValueColumn(facts),
              "Removable\r\nZIP-100\r\n1A2B-3C4D\r\n\r\n95,63 MB\r\n95,50 MB\r\n\r\n0,13 MB");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ValueColumn(facts),
              "Removable\r\nZIP-100\r\n1A2B-3C4D\r\n\r\n95.63 MB\r\n95.50 MB\r\n\r\n0.13 MB");
    QLocale::setDefault(saved);
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

TEST(UsedPercentage, EmptyDriveFailsWithDivisionByZero) {
    for (const double free : {0.0, 5.0}) {
        DiskFactsRecord facts;
        facts.FreeMB = free;
        try {
            UsedPercentage(facts);
            FAIL() << "expected a failure for capacity 0";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), RuntimeError::DivisionByZero);
        }
    }
}

// An empty drive reads as zeros and blanks: every block but the percentage still comes out.
TEST(Composition, EmptyDriveFailsOnlyAtThePercentage) {
    DiskFactsRecord facts;
    std::string number = DiskNumberText(12);
    EXPECT_EQ(VerticalText(number), "#\r\n1\r\n2\r\n");
    EXPECT_EQ(ValueColumn(facts, '.'), "\r\n\r\n\r\n\r\n0.00 MB\r\n0.00 MB\r\n\r\n0.00 MB");
    EXPECT_THROW(UsedPercentage(facts), RuntimeError);
}

Clock::TimePoint localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
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

class DateTimeLineTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        QLocale::setDefault(saved);
        ProgramFixture::TearDown();
    }
    QLocale saved;
};

TEST_F(DateTimeLineTest, MediumDateCommaTwoBlanksMediumTime) {
    clock->at = localTime(2026, 12, 5, 21, 47, 30);
    EXPECT_EQ(DateTimeLine(), "05-Dec-26,  09:47 PM");
    clock->at = localTime(2001, 1, 31, 0, 5, 0);
    EXPECT_EQ(DateTimeLine(), "31-Jan-01,  12:05 AM");
}

TEST_F(DateTimeLineTest, DateFromTheFirstReadingTimeFromTheSecond) {
    const SteppingClock stepping({localTime(2026, 12, 5, 23, 59, 59), localTime(2026, 12, 6, 0, 0, 0)});
    EXPECT_EQ(DateTimeLine(stepping), "05-Dec-26,  12:00 AM");
}

} // namespace
