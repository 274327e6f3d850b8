// What a long game leaves behind in the message list, the particles' record
// of effects and minimap markers, the network outbox, the computer
// opponent's notices and the script's events: each keeps the recent ones
// and never grows without end.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "ai/C_ComputerAI.h"
#include "ai/C_Script.h"
#include "effects/C_Particles.h"
#include "game/C_MessageList.h"
#include "net/C_UnitCommandOutbox.h"
#include "platform/SysClock.h"

namespace
{
constexpr uint32_t ClockStart = 7000000;

// One record of the game: adds the n-th entry, counts them, and reads the
// number the entry `back` places from the newest carries.
struct SRecorder
{
    const char* name;
    size_t most;
    std::function<void(int32_t)> add;
    std::function<size_t()> count;
    std::function<int32_t(size_t back)> numberAt;
};
}  // namespace

TEST(PlayerLongGame, EveryRecordKeepsTheRecentEntriesWithinItsLimit)
{
    CParticles particles;
    CUnitCommandOutbox outbox;
    CComputerAI ai;
    CScript script;
    const SRecorder recorders[] = {
        {"effects", CParticles::kMostEffects,
         [&](int32_t n) { particles.AddBlood(false, static_cast<float>(n), 0.0f, 0.0f, 1.0f, false); },
         [&] { return particles.GetEffects().size(); },
         [&](size_t back) { return static_cast<int32_t>(particles.GetEffects()[particles.GetEffects().size() - 1 - back].x); }},
        {"markers", CParticles::kMostMinimapMarkers, [&](int32_t n) { particles.AddMinimapMarker(n, 0, 0); },
         [&] { return particles.GetMinimapMarkers().size(); },
         [&](size_t back) { return particles.GetMinimapMarkers()[particles.GetMinimapMarkers().size() - 1 - back].x; }},
        {"outbox", CUnitCommandOutbox::kMostSent, [&](int32_t n) { outbox.SendUnitDirection(nullptr, n); },
         [&] { return outbox.GetSent().size(); },
         [&](size_t back) { return outbox.GetSent()[outbox.GetSent().size() - 1 - back].facing; }},
        {"AI notices", CComputerAI::kMostNotices, [&](int32_t n) { ai.RecordAttackPosition(n); },
         [&] { return ai.GetNotices().size(); },
         [&](size_t back) { return ai.GetNotices()[ai.GetNotices().size() - 1 - back].value; }},
        {"script events", CScript::kMostEvents, [&](int32_t n) { script.OnUnitTrained(n); },
         [&] { return script.GetEvents().size(); },
         [&](size_t back) { return script.GetEvents()[script.GetEvents().size() - 1 - back].values[0]; }},
    };
    for (const SRecorder& recorder : recorders)
    {
        // Five times the limit, one entry at a time.
        const int32_t total = static_cast<int32_t>(recorder.most * 5);
        size_t largest = 0;
        for (int32_t n = 0; n < total; ++n)
        {
            recorder.add(n);
            largest = std::max(largest, recorder.count());
        }
        EXPECT_LE(largest, recorder.most) << recorder.name;
        ASSERT_GE(recorder.count(), recorder.most / 2) << recorder.name;
        for (size_t back = 0; back < recorder.most / 2; ++back)
            ASSERT_EQ(recorder.numberAt(back), total - 1 - static_cast<int32_t>(back)) << recorder.name;
    }
    particles.Shutdown();
}

TEST(PlayerLongGame, TheMessageListShowsALineFiveSecondsAndAtMostSixtyFourLines)
{
    SysClock::UseTestClock(ClockStart);
    CMessageList list;
    for (int32_t n = 0; n < 70; ++n)
        list.AddMessage(std::to_string(n).c_str(), 0xFFFFFF);
    ASSERT_EQ(list.GetLines().size(), CMessageList::kMostLines);
    EXPECT_STREQ(list.GetLines().front().text, "6");
    EXPECT_STREQ(list.GetLines().back().text, "69");

    SysClock::AdvanceTestClock(3000);
    list.AddMessage("later", 0xFF0000);
    SysClock::AdvanceTestClock(1999);
    EXPECT_EQ(list.GetLines().size(), CMessageList::kMostLines);   // 4999 ms: the first 63 still shown
    SysClock::AdvanceTestClock(1);
    ASSERT_EQ(list.GetLines().size(), 1u);
    EXPECT_STREQ(list.GetLines()[0].text, "later");
    EXPECT_EQ(list.GetLines()[0].colour, 0xFF0000u);
    SysClock::AdvanceTestClock(3000);
    EXPECT_TRUE(list.GetLines().empty());
    SysClock::UseSystemClock();
}
