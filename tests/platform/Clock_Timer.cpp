#include <gtest/gtest.h>
#include <sys/time.h>

#include <chrono>
#include <csignal>

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

    uint32_t After(uint32_t ms) { SysClock::AdvanceTestClock(ms); return timer.TakeElapsedPeriods(); }

    SysPeriodicTimer timer;
};
}  // namespace

TEST_F(Timer, RatesGiveBoundedPeriodsAcrossTheTickWrapAndAClockThatGoesBack)
{
    EXPECT_TRUE(!timer.Start(0) && 0u == After(100));   // not running: nothing counted
    ASSERT_TRUE(timer.Start(5000) && 1u == timer.PeriodMilliseconds() && 3u == After(3));
    ASSERT_TRUE(timer.Start(kControllerRate) && 7u == timer.PeriodMilliseconds() && 0u == After(6) && 1u == After(1));
    timer.Stop();
    EXPECT_EQ(0u, After(70));
    // A restart counts from the restart; remainders carry over.
    ASSERT_TRUE(timer.Start(kControllerRate));
    uint32_t periods = 0;
    for (int pass = 0; pass < 128; ++pass) periods += After(5);   // 640 ms hold 91 whole periods (637 ms)
    EXPECT_TRUE(91u == periods && 1u == After(4));   // the 92nd ended at 644
    EXPECT_EQ(142857u, After(999999));   // a stall delivers every missed period
    SysClock::UseTestClock(0xFFFFFFF0u);
    ASSERT_TRUE(timer.Start(kControllerRate) && 2u == After(14) && 1u == After(7));   // now 0xFFFFFFFE, then 0x00000005
    SysClock::UseTestClock(0xFFFFFF00u);
    EXPECT_EQ(0u, timer.TakeElapsedPeriods());   // nothing counted, started again
    EXPECT_TRUE(1u == After(7) && 0x20u == SysClock::TicksBetween(0xFFFFFFF0u, 0x00000010u));
}

// A signal (the close request, for one) does not cut a sleep short: 1100 ms, its whole second and its 100 ms, are
// slept with a signal every 5 ms.
TEST(Clock, SleepLastsItsWholeTimeThroughSignals)
{
    using namespace std::chrono_literals;
    struct sigaction quiet{}, old{};
    quiet.sa_handler = [](int) {};   // no SA_RESTART: each signal ends the system's sleep early
    const itimerval every5ms{{0, 5000}, {0, 5000}}, off{};
    ASSERT_TRUE(sigaction(SIGALRM, &quiet, &old) == 0 && setitimer(ITIMER_REAL, &every5ms, nullptr) == 0);
    const auto start = std::chrono::steady_clock::now();
    SysClock::SleepMilliseconds(1100);
    const auto slept = std::chrono::steady_clock::now() - start;
    setitimer(ITIMER_REAL, &off, nullptr), sigaction(SIGALRM, &old, nullptr);
    EXPECT_TRUE(slept >= 1100ms && slept < 3s) << std::chrono::duration_cast<std::chrono::milliseconds>(slept).count();
}
