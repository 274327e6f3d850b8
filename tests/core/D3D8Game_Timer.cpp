#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "platform/SysClock.h"
#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
constexpr uint32_t kClockStart = 7000000;
constexpr uint32_t kPeriod = 7;  // 1000 / 128, whole milliseconds

class D3D8GameTimer : public ::testing::Test
{
protected:
    void SetUp() override { SysClock::UseTestClock(kClockStart); }
    void TearDown() override
    {
        game.StopTimer();
        SysClock::UseSystemClock();
    }

    void Arm(int index, int32_t reload)
    {
        game.timers[index].reload = reload;
        game.timers[index].counter = reload;
        game.timers[index].enabled = 1;
    }

    // Periods (1-based) in which the record fired, out of `periods` steps.
    std::vector<int> FiringPeriods(int index, int periods)
    {
        std::vector<int> fired;
        const std::string call = Call("ctrl", "onTimer", index);
        for (int period = 1; period <= periods; ++period)
        {
            journal.clear();
            game.OnTimer();
            for (const std::string& entry : journal)
            {
                if (entry == call)
                    fired.push_back(period);
            }
        }
        return fired;
    }

    Journal journal;
    RecordingCtrl ctrl{journal, "ctrl"};
    CD3D8Game game{&ctrl};
};
}  // namespace

TEST_F(D3D8GameTimer, RecordsFireWhenTheirCounterRunsOut)
{
    Arm(3, 4);
    EXPECT_EQ((std::vector<int>{4, 8, 12}), FiringPeriods(3, 12));
    EXPECT_EQ(4, game.timers[3].counter);
    Arm(0, 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), FiringPeriods(0, 3));
    Arm(5, 2);
    game.timers[5].enabled = 0;   // disabled records only wait
    EXPECT_TRUE(FiringPeriods(5, 6).empty());
    EXPECT_EQ(2, game.timers[5].counter);
}

TEST_F(D3D8GameTimer, WithoutControllerNothingCountsDown)
{
    Arm(1, 1);
    game.controller = nullptr;
    game.OnTimer();
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(1, game.timers[1].counter);
}

TEST_F(D3D8GameTimer, DueRecordsFireInIndexOrder)
{
    Arm(15, 1);
    Arm(0, 1);
    Arm(7, 2);
    game.OnTimer();
    game.OnTimer();
    EXPECT_EQ((Journal{"ctrl.onTimer(0)", "ctrl.onTimer(15)", "ctrl.onTimer(0)", "ctrl.onTimer(7)",
                       "ctrl.onTimer(15)"}),
              journal);
}

TEST_F(D3D8GameTimer, PumpDeliversEveryElapsedPeriodOnTheCallingThread)
{
    Arm(0, 0);
    game.StartTimer(CD3D8Game::kTimerRate);
    SysClock::AdvanceTestClock(10 * kPeriod);  // a stall of 70 ms
    game.PumpMessages();
    EXPECT_EQ(10u, journal.size());
    journal.clear();
    SysClock::AdvanceTestClock(kPeriod - 1);
    game.PumpMessages();
    EXPECT_TRUE(journal.empty());
    SysClock::AdvanceTestClock(1);
    game.PumpMessages();
    EXPECT_EQ(Journal{"ctrl.onTimer(0)"}, journal);

    journal.clear();
    game.StopTimer();
    SysClock::AdvanceTestClock(100);
    game.PumpMessages();
    EXPECT_TRUE(journal.empty());
}
