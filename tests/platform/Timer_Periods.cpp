#include <gtest/gtest.h>

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
    EXPECT_FALSE(timer.Start(-5));
    EXPECT_FALSE(timer.IsRunning());
    ASSERT_TRUE(timer.Start(1));
    EXPECT_EQ(1000u, timer.PeriodMilliseconds());
    ASSERT_TRUE(timer.Start(5000));
    EXPECT_EQ(1u, timer.PeriodMilliseconds());
    EXPECT_EQ(3u, After(3));

    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(7u, timer.PeriodMilliseconds());
    EXPECT_EQ(0u, timer.TakeElapsedPeriods());
    EXPECT_EQ(0u, After(6));
    EXPECT_EQ(1u, After(1));
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
    EXPECT_EQ(128u, After(896));  // one game second
    EXPECT_EQ(142857u, After(999999));

    // Across the wrap of the tick count.
    SysClock::UseTestClock(0xFFFFFFF0u);
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(2u, After(14));  // now 0xFFFFFFFE
    EXPECT_EQ(1u, After(7));   // now 0x00000005
    EXPECT_EQ(3u, After(21));
}

TEST_F(Timer, StoppedTimerCountsNothing)
{
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(0u, After(100));
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(1u, After(7));
    timer.Stop();
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(0u, After(70));
    // A restart counts from the restart, not from the first start.
    ASSERT_TRUE(timer.Start(kControllerRate));
    EXPECT_EQ(0u, After(6));
    EXPECT_EQ(1u, After(1));
}

TEST_F(Timer, AClockThatGoesBackCountsNothingAndStartsAgain)
{
    ASSERT_TRUE(timer.Start(kControllerRate));
    SysClock::UseTestClock(90000);
    EXPECT_EQ(0u, timer.TakeElapsedPeriods());
    EXPECT_EQ(1u, After(7));
}
