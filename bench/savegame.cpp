// Saving and loading a full game through the in-game controller: a 256 x 256
// map, eight players with 256 warriors and 200 houses each, saved into
// memory and loaded back from it.  Counters: the save's size, and the units
// and buildings the game held.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t MapSide = 256;
constexpr int32_t UnitsPerPlayer = 256;
constexpr int32_t BuildingsPerPlayer = 200;
// Each player's quarter of a column: houses in a grid of 2 x 2 footprints
// with a free block between them, warriors in rows below.
constexpr int32_t BandWidth = MapSide / 4;
constexpr int32_t BandHeight = MapSide / 2;
constexpr int32_t HouseSpacing = 3;

class FullGame
{
public:
    FullGame() : m_Harness(std::make_unique<CSimHarness>(MapSide))
    {
        g_Config.logging = 0;
        SetPlayerServices(&m_Walkers);
        CSaveGameRun::UseSaveLanguage();
        for (int32_t p = 0; p < MaxPlayers; ++p)
            Populate(p);
        for (int32_t frame = 0; frame < 3; ++frame)
            CSaveGameRun::Frame(*m_Harness);
    }

    int32_t CountUnits() const { return Count([](const CPlayer& player) { return player.unitCount; }); }
    int32_t CountBuildings() const { return Count([](const CPlayer& player) { return player.buildingCount; }); }

private:
    void Populate(int32_t player)
    {
        const int32_t left = (player % 4) * BandWidth;
        const int32_t top = (player / 4) * BandHeight;
        int32_t made = 0;
        for (int32_t y = top + 1; y + 2 < top + BandHeight && made < BuildingsPerPlayer; y += HouseSpacing)
            for (int32_t x = left + 1; x + 2 < left + BandWidth && made < BuildingsPerPlayer; x += HouseSpacing)
                made += AddHouse(player, x, y) ? 1 : 0;
        const int32_t firstRow = top + 1 + (BuildingsPerPlayer / ((BandWidth - 2) / HouseSpacing) + 1) * HouseSpacing;
        int32_t units = 0;
        for (int32_t y = firstRow; y < top + BandHeight && units < UnitsPerPlayer; ++y)
            for (int32_t x = left; x < left + BandWidth && units < UnitsPerPlayer; ++x)
                units += m_Harness->Spawn(player, UNIT_WARRIOR, x, y) != nullptr ? 1 : 0;
    }

    bool AddHouse(int32_t player, int32_t x, int32_t y)
    {
        CPlayer& owner = m_Harness->Player(player);
        CBuilding* house = owner.BuildingFactory(CastHouse, 0, 0, 0);
        if (house == nullptr)
            return false;
        house->owner = player;
        house->x = x;
        house->y = y;
        owner.AddBuilding(house);
        return house->PlaceOnMap();
    }

    template <class Of> int32_t Count(Of of) const
    {
        int32_t total = 0;
        for (int32_t p = 0; p < MaxPlayers; ++p)
            total += of(g_Players[p]);
        return total;
    }

    CSaveGameRun::CWalkerServices m_Walkers;
    std::unique_ptr<CSimHarness> m_Harness;
};

FullGame& Game()
{
    static FullGame game;
    return game;
}

void SetCounters(benchmark::State& state, const std::vector<uint8_t>& file)
{
    state.counters["save_kb"] = double(file.size()) / 1024.0;
    state.counters["units"] = Game().CountUnits();
    state.counters["buildings"] = Game().CountBuildings();
}

void BM_SaveFullGame(benchmark::State& state)
{
    Game();
    std::vector<uint8_t> file;
    for (auto _ : state)
    {
        file = CSaveGameRun::Save();
        benchmark::DoNotOptimize(file.data());
    }
    SetCounters(state, file);
}
BENCHMARK(BM_SaveFullGame)->Unit(benchmark::kMillisecond);

void BM_LoadFullGame(benchmark::State& state)
{
    Game();
    const std::vector<uint8_t> file = CSaveGameRun::Save();
    bool loaded = true;
    for (auto _ : state)
        loaded = CSaveGameRun::Load(file) && loaded;
    if (!loaded)
        state.SkipWithError("the saved game did not load");
    SetCounters(state, file);
}
BENCHMARK(BM_LoadFullGame)->Unit(benchmark::kMillisecond);
} // namespace
