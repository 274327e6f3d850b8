#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "platform/SysClock.h"

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
    EXPECT_EQ(1u, SysClock::TicksBetween(0xFFFFFFFFu, 0u));
    EXPECT_EQ(0u, SysClock::TicksBetween(7u, 7u));
}

TEST_F(Clock, TestClockIsSetAndAdvancedByTheTest)
{
    SysClock::UseTestClock(5000);
    EXPECT_TRUE(SysClock::IsTestClock());
    EXPECT_EQ(5000u, SysClock::TickCount());
    SysClock::SleepMilliseconds(2);
    EXPECT_EQ(5000u, SysClock::TickCount());
    SysClock::AdvanceTestClock(299);
    EXPECT_EQ(5299u, SysClock::TickCount());

    SysClock::UseTestClock(0xFFFFFFFFu);
    SysClock::AdvanceTestClock(2);
    EXPECT_EQ(1u, SysClock::TickCount());

    SysClock::UseSystemClock();
    EXPECT_FALSE(SysClock::IsTestClock());
}
