// Counters that run on while a game plays come back from a save: a unit that
// has waited long behind a slow mover, and a ship's wave count, however far
// the saved one ran, neither overflows once the game goes on.

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "tests/game/SaveGameWorld.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t CorridorY = 20;
constexpr int32_t CorridorEnd = 44;
constexpr int32_t SideWayX = 20;
constexpr int32_t SideWayEnd = CorridorY + 3;
// A hundred ticks a step.
constexpr float SlowSpeed = 0.01f;
constexpr int32_t MostFrames = 300;
// Ticks between two wakes of a lying ship.
constexpr int32_t StandWaveTicks = 128;
}  // namespace

class CtrlGameSaveCounters : public SaveGameWorld
{
protected:
    // One row of blocks is the only way east, and a side way joins it.
    void BuildCorridor()
    {
        for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
                g_GameMap.Block(x, y).blocked = y != CorridorY && (x != SideWayX || y > SideWayEnd);
    }

    void PlayUntil(const std::function<bool()>& done)
    {
        for (int32_t frame = 0; frame < MostFrames && !done(); ++frame)
            CSaveGameRun::Frame(World());
        ASSERT_TRUE(done());
    }
};

TEST_F(CtrlGameSaveCounters, AUnitWaitingLongBehindASlowMoverLoadsAndWalksOn)
{
    BuildCorridor();
    CUnit* fast = World().Spawn(0, UNIT_WARRIOR, 5, CorridorY);
    CUnit* slow = World().Spawn(0, UNIT_WARRIOR, SideWayX, SideWayEnd - 1);
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(slow, nullptr);
    slow->speed = SlowSpeed;
    // The fast one's way is clear when it sets out; the slow one comes in
    // from the side ahead of it.
    fast->onCommand(nullptr, nullptr, nullptr, CorridorEnd, CorridorY, CMD_MOVE_TO);
    slow->onCommand(nullptr, nullptr, nullptr, CorridorEnd, CorridorY, CMD_MOVE_TO);
    PlayUntil([fast] { return fast->retryCounter > CUnit::MaxTileRetries + 5; });

    const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(CSaveGameRun::Load(save));
    EXPECT_TRUE(CSaveGameRun::SaveDrawn() == save);
    // A load refused after every object was made brings this game back.
    std::vector<uint8_t> longer = save;
    longer.push_back(0);
    EXPECT_FALSE(CSaveGameRun::Load(CSaveGameRun::WithMatchingCrc(longer)));
    EXPECT_TRUE(m_Log.Contains("Save game refused; the running game goes on"));
    EXPECT_TRUE(CSaveGameRun::SaveDrawn() == save);
    CUnit* waiting = g_Players[0].units[0];
    EXPECT_GT(waiting->retryCounter, CUnit::MaxTileRetries + 5);
    // It steps on once the mover's step is done.
    const int32_t waitingAt = waiting->x;
    PlayUntil([waiting, waitingAt] { return waiting->x > waitingAt; });
}

TEST_F(CtrlGameSaveCounters, AShipsWaveCountIsKeptWithinItsLongestWait)
{
    ASSERT_NE(World().Spawn(0, UNIT_TRANSPORTSHIP, 30, 30), nullptr);
    const struct
    {
        int32_t saved;
        bool loads;
        int32_t loaded;
    } cases[] = {
        {0, true, 0},
        {StandWaveTicks - 1, true, StandWaveTicks - 1},
        // A ship off the map counts on without a wake.
        {StandWaveTicks + 300, true, StandWaveTicks},
        {INT_MAX, true, StandWaveTicks},
        {-1, false, 0},
        {INT_MIN, false, 0},
    };
    for (const auto& entry : cases)
    {
        // Every load makes the ship anew.
        auto* ship = dynamic_cast<CUnitTransportShip*>(g_Players[0].units[0]);
        ASSERT_NE(ship, nullptr);
        ship->waveTicks = entry.saved;
        const std::vector<uint8_t> save = CSaveGameRun::Save();
        ship->waveTicks = 0;
        const std::vector<uint8_t> running = CSaveGameRun::SaveDrawn();
        m_Log.Clear();
        ASSERT_EQ(CSaveGameRun::Load(save), entry.loads) << entry.saved;
        if (!entry.loads)
        {
            EXPECT_TRUE(m_Log.Contains("Transport ship record refused: the wave count is negative"));
            EXPECT_TRUE(CSaveGameRun::SaveDrawn() == running);
            continue;
        }
        auto* loaded = dynamic_cast<CUnitTransportShip*>(g_Players[0].units[0]);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->waveTicks, entry.loaded) << entry.saved;
        for (int32_t frame = 0; frame < 3; ++frame)
            CSaveGameRun::Frame(World());
        EXPECT_LE(loaded->waveTicks, StandWaveTicks);
    }
}
