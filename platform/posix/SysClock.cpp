#include "platform/SysClock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace
{
constexpr uint64_t kMillisecondsPerSecond = 1000;
constexpr uint64_t kNanosecondsPerMillisecond = 1000000;

std::atomic<bool> testClockActive{false};
std::atomic<uint32_t> testClockTicks{0};

uint32_t MonotonicMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * kMillisecondsPerSecond +
                                  static_cast<uint64_t>(now.tv_nsec) / kNanosecondsPerMillisecond;
    // Keeping only the low 32 bits gives the same wrap as the tick count the
    // game was written for.
    return static_cast<uint32_t>(milliseconds);
}
}  // namespace

uint32_t SysClock::TickCount()
{
    if (testClockActive.load(std::memory_order_acquire))
        return testClockTicks.load(std::memory_order_acquire);
    return MonotonicMilliseconds();
}

uint32_t SysClock::TicksBetween(uint32_t earlier, uint32_t later)
{
    // Unsigned subtraction is modulo 2^32, which is exactly the wrap of the count.
    return later - earlier;
}

void SysClock::SleepMilliseconds(uint32_t milliseconds)
{
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / kMillisecondsPerSecond);
    remaining.tv_nsec = static_cast<long>((milliseconds % kMillisecondsPerSecond) * kNanosecondsPerMillisecond);
    // A signal (the close request, for one) must not cut the sleep short.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR)
    {
    }
}

void SysClock::UseTestClock(uint32_t startTicks)
{
    testClockTicks.store(startTicks, std::memory_order_release);
    testClockActive.store(true, std::memory_order_release);
}

void SysClock::AdvanceTestClock(uint32_t milliseconds)
{
    testClockTicks.fetch_add(milliseconds, std::memory_order_acq_rel);
}

void SysClock::UseSystemClock()
{
    testClockActive.store(false, std::memory_order_release);
}

bool SysClock::IsTestClock()
{
    return testClockActive.load(std::memory_order_acquire);
}
