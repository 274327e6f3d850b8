// Fog-of-war cost of one simulation tick: eight players with 256 units each,
// every unit moving one block, its sight pattern moved from the old block to
// the new one and scanned into the explored map; the local player also
// redraws the rim of each moved pattern.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t UnitsPerPlayer = 256;
constexpr int32_t SightRadius = 10;

struct SWalker
{
    int32_t x;
    int32_t y;
    int32_t dx;
    int32_t dy;
};

class FogWorld
{
public:
    FogWorld()
    {
        AllocRangeTables();
        g_GameMap.width = MapBlockSide;
        g_GameMap.height = MapBlockSide;
        m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = m_Players.get();
        g_LocalPlayer = 0;
        std::mt19937 random(7);
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_Players[p].index = p;
            for (int32_t i = 0; i < UnitsPerPlayer; ++i)
            {
                SWalker walker{int32_t(random() % MapBlockSide), int32_t(random() % MapBlockSide),
                               int32_t(random() % 3) - 1, 1};
                g_Players[p].AddUnitSight(walker.x, walker.y, Pattern(), 1);
                m_Walkers[p].push_back(walker);
            }
        }
    }
    ~FogWorld()
    {
        g_Players = nullptr;
        m_Players.reset();
        g_GameMap.width = 0;
        g_GameMap.height = 0;
        FreeRangeTables();
    }

    static const CRangeTable& Pattern() { return g_SightDiscs[SightRadius - 1]; }

    void Tick()
    {
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            CPlayer& player = g_Players[p];
            for (SWalker& walker : m_Walkers[p])
            {
                if (walker.x + walker.dx < 0 || walker.x + walker.dx >= MapBlockSide)
                    walker.dx = -walker.dx;
                if (walker.y + walker.dy < 0 || walker.y + walker.dy >= MapBlockSide)
                    walker.dy = -walker.dy;
                player.MoveUnitSight(walker.x, walker.y, walker.x + walker.dx, walker.y + walker.dy, Pattern());
                walker.x += walker.dx;
                walker.y += walker.dy;
                player.ScanSightPattern(walker.x, walker.y, Pattern());
                player.UpdateSightArea(walker.x, walker.y, Pattern(), 0);
            }
        }
    }

private:
    std::unique_ptr<CPlayer[]> m_Players;
    std::vector<SWalker> m_Walkers[MaxPlayers];
};

void BM_FogOfWarTick(benchmark::State& state)
{
    FogWorld world;
    for (auto _ : state)
        world.Tick();
    state.SetItemsProcessed(state.iterations() * MaxPlayers * UnitsPerPlayer);
    state.counters["units"] = MaxPlayers * UnitsPerPlayer;
}
BENCHMARK(BM_FogOfWarTick)->Unit(benchmark::kMillisecond);
} // namespace
