#pragma once

#include <cstdint>

// The millisecond clock of the system.
//
// Tick counts are 32-bit milliseconds since the machine started (they do not
// count time spent suspended).  They are never near 0 when the game starts and
// they wrap after about 49.7 days, so two tick counts are only ever compared
// through TicksBetween, never with < or >.
//
// Tests may replace the clock with one they set and advance themselves; every
// caller of TickCount then sees the test time.  Any thread may read the clock.
class SysClock
{
public:
    // The current tick count in milliseconds.
    static uint32_t TickCount();

    // Milliseconds from `earlier` to `later`, correct across the 32-bit wrap as
    // long as less than 49.7 days lie between them.
    static uint32_t TicksBetween(uint32_t earlier, uint32_t later);

    // Blocks the calling thread for at least `milliseconds` of real time (the
    // test clock does not move).
    static void SleepMilliseconds(uint32_t milliseconds);

    // Test clock: from now on TickCount returns `startTicks`, moved only by
    // AdvanceTestClock, until UseSystemClock.
    static void UseTestClock(uint32_t startTicks);
    static void AdvanceTestClock(uint32_t milliseconds);
    static void UseSystemClock();
    static bool IsTestClock();
};
