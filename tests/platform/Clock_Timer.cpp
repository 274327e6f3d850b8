// The tick count, and the periodic timer on a test clock.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/SysClock.h"
#include "platform/SysPeriodicTimer.h"

namespace
{
constexpr int kControllerRate = 128;  // periods per second asked by the game

class Timer : public ::testing::Test
{
protected:
    void SetUp() override { SysClock::UseTestClock(100000); }
    void TearDown() override { SysClock::UseSystemClock(); }

    // Advances the test clock and takes the periods elapsed.
    uint32_t After(uint32_t milliseconds)
    {
        SysClock::AdvanceTestClock(milliseconds);
        return timer.TakeElapsedPeriods();
    }

    SysPeriodicTimer timer;
};
}  // namespace

TEST_F(Timer, RateOf128GivesSevenMillisecondPeriodsAndOtherRatesAreBounded)
{
    EXPECT_FALSE(timer.Start(0));
    EXPECT_EQ(0u, After(100));  // not running: nothing counted
    ASSERT_TRUE(timer.Start(5000));
    EXPECT_EQ(1u, timer.PeriodMilliseconds());
    EXPECT_EQ(3u, After(3));

    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(7u, timer.PeriodMilliseconds());
    EXPECT_EQ(0u, timer.TakeElapsedPeriods());
    EXPECT_EQ(0u, After(6));
    EXPECT_EQ(1u, After(1));
    timer.Stop();
    EXPECT_EQ(0u, After(70));
    // A restart counts from the restart, not from the first start.
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(0u, After(6));
    EXPECT_EQ(1u, After(1));
}

TEST_F(Timer, RemaindersCarryOverSoNoPeriodIsLost)
{
    ASSERT_TRUE(timer.Start(kControllerRate));
    uint32_t periods = 0;
    // 128 passes of 5 ms: 640 ms hold 91 whole periods of 7 ms (637 ms).
    for (int pass = 0; pass < 128; ++pass)
        periods += After(5);
    EXPECT_EQ(91u, periods);
    EXPECT_EQ(1u, After(4));  // 644 ms: the 92nd period ended at 644
}

TEST_F(Timer, AStallDeliversEveryMissedPeriodAlsoAcrossTheWrap)
{
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(10u, After(70));
    EXPECT_EQ(142857u, After(999999));

    // Across the wrap of the tick count.
    SysClock::UseTestClock(0xFFFFFFF0u);
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(2u, After(14));  // now 0xFFFFFFFE
    EXPECT_EQ(1u, After(7));   // now 0x00000005
    EXPECT_EQ(3u, After(21));
}

TEST_F(Timer, AClockThatGoesBackCountsNothingAndStartsAgain)
{
    ASSERT_TRUE(timer.Start(kControllerRate));
    SysClock::UseTestClock(90000);
    EXPECT_EQ(0u, timer.TakeElapsedPeriods());
    EXPECT_EQ(1u, After(7));
}

namespace
{
class Clock : public ::testing::Test
{
protected:
    void TearDown() override { SysClock::UseSystemClock(); }
};

// Seconds since the machine started, as the kernel reports them apart from
// the clock under test.
double UptimeSeconds()
{
    std::ifstream uptime("/proc/uptime");
    double seconds = -1.0;
    uptime >> seconds;
    return seconds;
}
}  // namespace

TEST_F(Clock, TickCountIsTheTimeSinceTheMachineStarted)
{
    const double uptime = UptimeSeconds();
    if (uptime < 0.0)
        GTEST_SKIP() << "no /proc/uptime";
    const uint32_t ticks = SysClock::TickCount();
    // /proc/uptime counts suspended time too; on a machine that never slept
    // both agree within a second, and the count is far from 0.
    const double expected = std::fmod(uptime * 1000.0, 4294967296.0);
    EXPECT_NEAR(expected, static_cast<double>(ticks), 1500.0);
}

TEST_F(Clock, SleepWaitsAtLeastTheTimeAskedAndDifferencesAreRightAcrossTheWrap)
{
    const uint32_t before = SysClock::TickCount();
    SysClock::SleepMilliseconds(20);
    const uint32_t after = SysClock::TickCount();
    EXPECT_GE(SysClock::TicksBetween(before, after), 20u);
    EXPECT_LT(SysClock::TicksBetween(before, after), 2000u);
    EXPECT_EQ(0x20u, SysClock::TicksBetween(0xFFFFFFF0u, 0x00000010u));

    SysClock::UseTestClock(0xFFFFFFFFu);
    SysClock::AdvanceTestClock(2);
    EXPECT_EQ(1u, SysClock::TickCount());
}
