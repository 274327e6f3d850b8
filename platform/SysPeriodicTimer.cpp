#include "platform/SysPeriodicTimer.h"

#include "platform/SysClock.h"

namespace
{
constexpr int kMillisecondsPerSecond = 1000;
constexpr uint32_t kShortestPeriod = 1;
// Differences of tick counts at or above this are a clock that went back, not
// a pump that slept for 24 days.
constexpr uint32_t kBackwardsThreshold = 0x80000000u;
}  // namespace

bool SysPeriodicTimer::Start(int ratePerSecond)
{
    if (ratePerSecond < 1)
    {
        Stop();
        return false;
    }
    const uint32_t wholePeriod = static_cast<uint32_t>(kMillisecondsPerSecond / ratePerSecond);
    period = wholePeriod < kShortestPeriod ? kShortestPeriod : wholePeriod;
    periodStart = SysClock::TickCount();
    running = true;
    return true;
}

void SysPeriodicTimer::Stop()
{
    running = false;
    period = 0;
}

bool SysPeriodicTimer::IsRunning() const
{
    return running;
}

uint32_t SysPeriodicTimer::PeriodMilliseconds() const
{
    return period;
}

uint32_t SysPeriodicTimer::TakeElapsedPeriods()
{
    if (!running)
        return 0;
    const uint32_t now = SysClock::TickCount();
    const uint32_t elapsed = SysClock::TicksBetween(periodStart, now);
    if (elapsed >= kBackwardsThreshold)
    {
        periodStart = now;
        return 0;
    }
    const uint32_t periods = elapsed / period;
    // Moving the start by whole periods keeps the remainder for the next call
    // and keeps the difference small, so the 32-bit wrap never matters.
    periodStart += periods * period;
    return periods;
}
