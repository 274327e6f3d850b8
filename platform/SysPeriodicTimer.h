#pragma once

#include <cstdint>

// The periodic controller timer, counted on the main thread.
//
// Instead of calling back from another thread, the timer counts how many whole
// periods of 1000 / rate milliseconds (integer division: 128 per second gives
// 7 ms) have passed on SysClock since it was started.  The message pump takes
// the periods that have elapsed and runs one timer step per period, in order,
// on the main thread.  A pump that stalls gets every missed period at its next
// call; none is dropped or merged.
class SysPeriodicTimer
{
public:
    // Starts counting from now.  Returns false, and stays stopped, when the
    // rate is below 1 per second.  Rates above 1000 count 1 ms periods.
    bool Start(int ratePerSecond);
    void Stop();
    bool IsRunning() const;

    // Milliseconds per period; 0 while stopped.
    uint32_t PeriodMilliseconds() const;

    // Periods completed since the last call (or since Start), each counted
    // once.  0 while stopped.  A clock that moved backwards counts nothing
    // and the count starts again from the present.
    uint32_t TakeElapsedPeriods();

private:
    bool running = false;
    uint32_t period = 0;
    uint32_t periodStart = 0;  // tick count at which the current period began
};
