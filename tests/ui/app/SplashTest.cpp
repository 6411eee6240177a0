#include "ui/app/frmSplash.h"

#include "support/LocalTime.h"
#include "support/WindowFixture.h"
#include "support/ScopedLocale.h"

#include <QLabel>
#include <QTest>

#include <chrono>

namespace {

using namespace std::chrono_literals;

// A local-time instant at a given second of the minute.
Clock::TimePoint atSecond(int second) {
    return LocalTime(2026, 12, 5, 10, 20, second);
}

class SplashTest : public WindowFixture {
protected:
    const ScopedLocale english;
    int mainOpened = 0;
};

TEST_F(SplashTest, StopSecondWrapsAroundTheMinute) {
    const struct { int tick, stop; } cases[] = {{57, 0}, {58, 1}, {59, 2}, {10, 13}, {0, 3}};
    for (const auto& c : cases) {
        clock->at = atSecond(c.tick);
        frmSplash splash(services, [this] { ++mainOpened; });
        splash.Timer1_Timer();
        EXPECT_EQ(splash.HoldSeconds, 3);
        EXPECT_EQ(splash.StopSecond, c.stop) << c.tick;
        EXPECT_TRUE(splash.holding());
    }
}

TEST_F(SplashTest, HoldEndsAtTheStopSecond) {
    clock->at = atSecond(10) + 400ms;
    frmSplash splash(services, [this] { ++mainOpened; });
    splash.Timer1_Timer();
    clock->at = atSecond(12) + 999ms;
    splash.checkHold();
    EXPECT_TRUE(splash.holding());
    EXPECT_EQ(mainOpened, 0);
    clock->at = atSecond(13);
    splash.checkHold();
    EXPECT_FALSE(splash.holding());
    EXPECT_TRUE(splash.unloaded());
    EXPECT_EQ(mainOpened, 1);
}

TEST_F(SplashTest, MissedSecondStillEndsTheHoldAfterThreeSeconds) {
    clock->at = atSecond(10) + 900ms;
    frmSplash splash(services, [this] { ++mainOpened; });
    splash.Timer1_Timer();
    // The program stalled across second 13: the next look is at 14.
    clock->at = atSecond(14);
    splash.checkHold();
    EXPECT_TRUE(splash.unloaded());
    EXPECT_EQ(mainOpened, 1);
}

TEST_F(SplashTest, KeysAndClicksCloseBeforeTheHoldButNotDuringIt) {
    clock->at = atSecond(20);
    {
        frmSplash splash(services, [this] { ++mainOpened; });
        splash.Form_KeyPress();
        EXPECT_EQ(mainOpened, 1);
        splash.Frame1_Click(); // already gone: nothing opens twice
        EXPECT_EQ(mainOpened, 1);
    }
    {
        frmSplash splash(services, [this] { ++mainOpened; });
        splash.Timer1_Timer();
        splash.Form_KeyPress();
        splash.Frame1_Click();
        QTest::keyClick(&splash, Qt::Key_A);
        EXPECT_EQ(mainOpened, 1);
        EXPECT_TRUE(splash.holding());
    }
    {
        frmSplash splash(services, [this] { ++mainOpened; });
        splash.show();
        QTest::keyClick(&splash, Qt::Key_Space);
        EXPECT_EQ(mainOpened, 2);
    }
}

TEST_F(SplashTest, ClickOnTheFrameClosesButNotOnItsLabels) {
    clock->at = atSecond(20);
    frmSplash splash(services, [this] { ++mainOpened; });
    splash.Form_Load();
    splash.show();
    QTest::mouseClick(splash.lblProductName, Qt::LeftButton);
    EXPECT_EQ(mainOpened, 0);
    const QPoint emptySpot(splash.Frame1->width() - 4, splash.Frame1->height() - 4);
    ASSERT_EQ(splash.Frame1->childAt(emptySpot), nullptr);
    QTest::mouseClick(splash.Frame1, Qt::LeftButton, {}, emptySpot);
    EXPECT_EQ(mainOpened, 1);
}

} // namespace
