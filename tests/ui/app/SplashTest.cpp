#include "ui/app/frmSplash.h"

#include "support/LocalTime.h"
#include "support/WindowFixture.h"

#include <QFrame>
#include <QLabel>
#include <QTest>

#include <chrono>
#include <optional>
#include <tuple>

namespace {

using namespace std::chrono_literals;

// A local-time instant at a given second of the minute.
Clock::TimePoint atSecond(int second) {
    return LocalTime(2026, 12, 5, 10, 20, second);
}

class SplashTest : public WindowFixture {
protected:
    std::unique_ptr<frmSplash> splash() {
        return std::make_unique<frmSplash>(services, [this] { ++mainOpened; });
    }
    int mainOpened = 0;
};

// The hold ends at the stop second, three seconds after the tick and wrapping round the minute, or three
// seconds after the tick when the program missed that second.
TEST_F(SplashTest, TheHoldSleepsUntilItsStopSecondOrThreeSecondsOn) {
    for (const auto& [tick, stop] : {std::pair{57, 0}, {58, 1}, {59, 2}, {10, 13}, {0, 3}}) {
        clock->at = atSecond(tick);
        auto s = splash();
        s->Timer1_Timer();
        EXPECT_EQ(s->StopSecond, stop) << tick;
        EXPECT_TRUE(s->holding());
    }
    // A look at the clock after the tick: the hold ends (no wake), or sleeps until its stop second is due
    // and looks again only then.
    const std::tuple<Clock::TimePoint, Clock::TimePoint, std::optional<std::chrono::milliseconds>> looks[] = {
        {atSecond(10), atSecond(10), 3000ms},
        {atSecond(10) + 400ms, atSecond(10) + 400ms, 2600ms},
        {atSecond(59) + 999ms, atSecond(59) + 999ms, 2001ms},
        {atSecond(10), atSecond(12) + 999ms, 1ms},
        {atSecond(10) + 400ms, atSecond(12) + 999ms, 1ms},
        {atSecond(10) + 400ms, atSecond(11) + 250ms, 1750ms},
        {atSecond(10) + 400ms, atSecond(13), std::nullopt},
        {atSecond(10) + 900ms, atSecond(14), std::nullopt}, // second 13 was missed
    };
    for (const auto& [tick, look, wake] : looks) {
        mainOpened = 0;
        clock->at = tick;
        auto s = splash();
        s->Timer1_Timer();
        clock->at = look;
        s->checkHold();
        EXPECT_EQ(s->holdWake(), wake);
        EXPECT_EQ(s->holding(), wake.has_value());
        EXPECT_EQ(s->unloaded(), !wake);
        EXPECT_EQ(mainOpened, wake ? 0 : 1);
    }
    EXPECT_EQ(splash()->holdWake(), std::nullopt); // before the tick
}

// The hold starts at the first turn of the event loop after the splash is shown, so only the ignoring of
// keys and clicks during it is ever seen; before it, one closes the splash, and once only.
TEST_F(SplashTest, KeysAndClicksAreIgnoredDuringTheHold) {
    clock->at = atSecond(20);
    auto holding = splash();
    holding->Timer1_Timer();
    holding->Form_KeyPress();
    holding->Frame1_Click();
    QTest::keyClick(holding.get(), Qt::Key_A);
    EXPECT_EQ(mainOpened, 0);
    EXPECT_TRUE(holding->holding());

    // Filled after it is shown, as the program starts it: its panel is seen all the same.
    auto before = splash();
    before->show();
    before->Form_Load();
    EXPECT_TRUE(before->Frame1->isVisible());
    EXPECT_TRUE(before->lblNow->isVisible());
    QTest::keyClick(before.get(), Qt::Key_Shift); // types nothing
    EXPECT_EQ(mainOpened, 0);
    QTest::keyClick(before.get(), Qt::Key_A);
    before->Frame1_Click();
    EXPECT_EQ(mainOpened, 1);
}

} // namespace
