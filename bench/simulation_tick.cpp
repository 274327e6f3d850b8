// Cost of one simulation tick of a game: eight players with 32 to 256 units
// each walking to random blocks of a 256 x 256 map.  Every unit turns,
// follows and animates, walks its route tile by tile, and a unit that
// arrives (or finds no way) asks for a new goal and a new route.
//
// And the path finder as the game sees it: routes searched between ticks
// on the same map, beside the same kind of routes searched with no tick in
// between.  A tick changes only the blocks its units step on and off, so
// what the finder learnt of the other blocks serves both alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "game/C_CtrlGame.h"
#include "platform/SysClock.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitOfType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_Theme.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr uint32_t TickMilliseconds = 28;
constexpr uint32_t RetryMilliseconds = 500;
constexpr int32_t GoalSpread = 24;

constexpr uint32_t RandomSeed = 11;
std::mt19937 s_Random(RandomSeed);

int32_t RandomBlock()
{
    return static_cast<int32_t>(s_Random() % MapBlockSide);
}

// A warrior that walks to a new block near it whenever it has arrived.
class CRoamer : public CUnitOfType
{
public:
    CRoamer() : CUnitOfType(UNIT_WARRIOR) {}

    void onPerformAction() override
    {
        if (!IsTargetReached())
        {
            StartPath();
            return;
        }
        NewGoal();
    }
    void onMoveEnd() override
    {
        performed = 0;
        NewGoal();
        deadline = SysClock::TickCount() + RetryMilliseconds;
    }

private:
    void NewGoal()
    {
        const int32_t goalX = std::clamp(x + static_cast<int32_t>(s_Random() % (2 * GoalSpread)) - GoalSpread, 0,
                                         MapBlockSide - 1);
        const int32_t goalY = std::clamp(y + static_cast<int32_t>(s_Random() % (2 * GoalSpread)) - GoalSpread, 0,
                                         MapBlockSide - 1);
        InitAction(nullptr, nullptr, nullptr, goalX, goalY, CMD_MOVE_TO, TARGET_BLOCK, true, false);
    }
};

class CRoamerServices : public CPlayerServices
{
public:
    CUnit* CreateUnitObject(CPlayer& owner, int32_t type) const override
    {
        (void)type;
        CUnit* unit = new CRoamer();
        unit->player = owner.index;
        unit->speed = 0.1f;
        return unit;
    }
    bool PerformAction(CUnit& unit, int32_t phase) const override { return unit.PerformAction(phase != 0); }
    void ShowUnit(CUnit& unit, bool show) const override { unit.ShowUnit(show); }
    void StopUnit(CUnit& unit) const override { unit.Stop(); }
};

class CRoamingWorld
{
public:
    explicit CRoamingWorld(int32_t unitsPerPlayer)
    {
        // Every world walks the same: the same goals in every run.
        s_Random.seed(RandomSeed);
        g_Config.fogOfWar = 1;
        g_Config.networkRole = 0;
        SysClock::UseTestClock(1000000);
        GlobalFunc::SeedRandom(3);
        g_GameMap.NewMap(MapBlockSide, MapBlockSide, 0, NoTheme);
        AllocRangeTables();
        m_Records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = m_Records.get();
        SetPlayerServices(&m_Services);
        m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = m_Players.get();
        g_LocalPlayer = 0;
        for (int32_t p = 0; p < MaxPlayers; ++p)
            g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
        InitTypeRecords();
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t placed = 0; placed < unitsPerPlayer;)
            {
                const int32_t x = RandomBlock();
                const int32_t y = RandomBlock();
                if (g_GameMap.Block(x, y).unit != nullptr)
                    continue;
                CUnit* unit = g_Players[p].CreateUnit(UNIT_WARRIOR, x, y);
                if (unit == nullptr)
                    break;
                unit->InitAction(nullptr, nullptr, nullptr, x, y, CMD_MOVE_TO, TARGET_BLOCK, true, false);
                ++placed;
            }
    }
    ~CRoamingWorld()
    {
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
                if (g_Players[p].units[i]->IsFootprintRegistered())
                    g_Players[p].units[i]->ShowUnit(false);
        for (int32_t p = 0; p < MaxPlayers; ++p)
            g_Players[p].Release();
        g_GameMap.Free();
        g_Players = nullptr;
        m_Players.reset();
        g_UnitStats = nullptr;
        SetPlayerServices(nullptr);
        FreeRangeTables();
        SysClock::UseSystemClock();
    }

    void Tick()
    {
        SysClock::AdvanceTestClock(TickMilliseconds);
        CCtrlGame::SimulationStep(1);
    }

    // Units on a route at the moment.
    int32_t CountWalking() const
    {
        int32_t walking = 0;
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
                walking += g_Players[p].units[i]->routeEnd != 0 ? 1 : 0;
        return walking;
    }

private:
    CRoamerServices m_Services;
    std::unique_ptr<CUnitStats[]> m_Records;
    std::unique_ptr<CPlayer[]> m_Players;
};

// Past the start, when every unit searches its first route at once.
constexpr int32_t WarmUpTicks = 200;
// The ticks timed: the same simulation in every run, so that figures of
// different builds compare (how many units walk changes as the game goes).
constexpr int32_t TimedTicks = 1000;

void BM_SimulationTick(benchmark::State& state)
{
    CRoamingWorld world(static_cast<int32_t>(state.range(0)));
    for (int32_t warmUp = 0; warmUp < WarmUpTicks; ++warmUp)
        world.Tick();
    for (auto _ : state)
        world.Tick();
    state.counters["walking"] = world.CountWalking();
}
BENCHMARK(BM_SimulationTick)
    ->ArgName("units_per_player")
    ->Arg(32)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Iterations(TimedTicks)
    ->Unit(benchmark::kMillisecond);

// Routes of one-block land movers between random blocks of the roaming
// world, GoalSpread apart at most, searched by the game's path finder.
class CRouteSearches
{
public:
    CRouteSearches() : m_Route(std::make_unique<Route>())
    {
        std::mt19937 random(5);
        for (int32_t i = 0; i < SearchesPerBatch; ++i)
        {
            const int32_t x = static_cast<int32_t>(random() % MapBlockSide);
            const int32_t y = static_cast<int32_t>(random() % MapBlockSide);
            const int32_t dx = static_cast<int32_t>(random() % (2 * GoalSpread)) - GoalSpread;
            const int32_t dy = static_cast<int32_t>(random() % (2 * GoalSpread)) - GoalSpread;
            m_Pairs.push_back({x, y, std::clamp(x + dx, 0, MapBlockSide - 1), std::clamp(y + dy, 0, MapBlockSide - 1)});
        }
    }
    // The batch's time in microseconds.
    double SearchBatch()
    {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        for (const SPair& pair : m_Pairs)
        {
            g_PathFinder.Init(0, nullptr);
            benchmark::DoNotOptimize(g_PathFinder.FindPath(pair.fromX, pair.fromY, pair.toX, pair.toY, 1,
                                                           CPathFinder::LayerLand, 0, 0, nullptr, nullptr, 0, 0,
                                                           m_Route->steps, m_Route->end));
        }
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }

    static constexpr int32_t SearchesPerBatch = 32;

private:
    struct SPair
    {
        int32_t fromX;
        int32_t fromY;
        int32_t toX;
        int32_t toY;
    };
    struct Route
    {
        CPathFinder::Route steps;
        CPathFinder::SPoint end;
    };
    std::vector<SPair> m_Pairs;
    std::unique_ptr<Route> m_Route;
};

// Each iteration: one simulation tick of 8 x 256 walking units (not timed),
// then a batch of searches (timed); with tick 0 the batch is searched again
// with no tick before it.  "us_per_search" is a search's time,
// "blocks_read_per_search" the blocks a search had to read from the map
// because the finder did not know them (a tick makes it forget only the
// blocks its units stepped on and off).
void BM_SearchesBetweenTicks(benchmark::State& state)
{
    const bool ticks = state.range(0) != 0;
    CRoamingWorld world(256);
    for (int32_t warmUp = 0; warmUp < WarmUpTicks; ++warmUp)
        world.Tick();
    CRouteSearches searches;
    searches.SearchBatch();
    double micros = 0.0;
    int64_t searchBlocksRead = 0;
    for (auto _ : state)
    {
        if (ticks)
            world.Tick();
        const int64_t blocksRead = g_PathFinder.GetBlocksRead();
        const double batch = searches.SearchBatch();
        state.SetIterationTime(batch / 1e6);
        micros += batch;
        searchBlocksRead += g_PathFinder.GetBlocksRead() - blocksRead;
    }
    const double count = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["us_per_search"] = micros / count / CRouteSearches::SearchesPerBatch;
    state.counters["blocks_read_per_search"] =
        static_cast<double>(searchBlocksRead) / count / CRouteSearches::SearchesPerBatch;
}
BENCHMARK(BM_SearchesBetweenTicks)->ArgName("ticks")->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMicrosecond);
}  // namespace
