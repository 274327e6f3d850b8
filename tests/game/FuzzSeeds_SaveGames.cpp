// The seeds of the whole-save fuzz target, made from the target's own small game (fuzz/FuzzSaveGame.h): sound saves,
// and saves that once broke the game, each with its one bad field.  With V2KRN_WRITE_SAVE_SEEDS naming a folder the
// seeds are written there as well (fuzz/corpus/savegame_load/ is made that way).

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "effects/C_Particles.h"
#include "fuzz/FuzzSaveGame.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"

namespace
{
// Ticks a corpse has left in the saves that name it, so that it decays right after loading.
constexpr int32_t CorpseTicksLeftAtSave = 2;

// The refusal is empty when the seed loads.
struct SSeed { const char* name; std::function<void()> change; const char* refusal; };

CUnit* Corpse()
{
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    return corpses.at(0);
}

void WriteSeed(const char* name, const std::vector<uint8_t>& file)
{
    const char* folder = std::getenv("V2KRN_WRITE_SAVE_SEEDS");
    if (folder == nullptr) return;
    std::ofstream out(std::string(folder) + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
}
}  // namespace

TEST(FuzzSeedsSaveGames, SeedsLoadOrAreRefusedAsTheyShould)
{
    CSimHarness world(FuzzSaveGame::MapSide);
    CSaveGameRun::UseSaveLanguage();
    CTestLog log;
    const std::vector<uint8_t> empty = CSaveGameRun::Save();
    WriteSeed("empty32.save", empty);
    ASSERT_TRUE(FuzzSaveGame::Build());
    const std::vector<uint8_t> start = CSaveGameRun::Save();
    WriteSeed("small32.save", start);

    // The corpse about to decay.
    while (g_Particles.GetCorpseTicksLeft(Corpse()) > CorpseTicksLeftAtSave) CSaveGameRun::Frame(world);
    const std::vector<uint8_t> late = CSaveGameRun::Save();
    auto warrior = [] { return g_Players[0].units[0]; };
    auto ship = [] {
        for (int32_t i = 0; i < g_Players[0].unitCount; ++i)
            if (auto* found = dynamic_cast<CUnitTransportShip*>(g_Players[0].units[i])) return found;
        return static_cast<CUnitTransportShip*>(nullptr);
    };
    const SSeed seeds[] = {
        {"waiting_unit.save", [&] { warrior()->retryCounter = 3 * CUnit::MaxTileRetries; }, ""},
        {"wave_count_overflow.save", [&] { ship()->waveTicks = INT_MAX; }, ""},
        {"follows_corpse.save", [&] { warrior()->followedUnit = Corpse(); },
         "Save game refused: a unit's followed unit is no living unit"},
        {"holds_corpse.save",
         [&] { g_GameMap.Block(FuzzSaveGame::SmithyX, FuzzSaveGame::SmithyY).building->productionUnit = Corpse(); },
         "Building record refused: the production unit is no unit of the building's owner"},
        // Player 1's blacksmith holding player 0's warrior, who stands on the map and is listed.
        {"foreign_production_unit.save",
         [&] { g_GameMap.Block(FuzzSaveGame::SmithyX, FuzzSaveGame::SmithyY).building->productionUnit = warrior(); },
         "Building record refused: the production unit is no unit of the building's owner"},
    };
    for (const SSeed& seed : seeds)
    {
        ASSERT_TRUE(world.Load(late)) << seed.name;
        ASSERT_NE(ship(), nullptr);
        seed.change();
        const std::vector<uint8_t> file = CSaveGameRun::Save();
        WriteSeed(seed.name, file);
        ASSERT_TRUE(world.Load(late)) << seed.name;
        log.Clear();
        EXPECT_TRUE(world.Load(file) == (seed.refusal[0] == 0) && (seed.refusal[0] == 0 || log.Contains(seed.refusal)))
            << seed.name;
        for (int32_t frame = 0; frame < 2 * CUnit::MaxTileRetries; ++frame) world.Frame(1);
        EXPECT_EQ(world.CheckInvariants(), std::vector<std::string>()) << seed.name;
    }
    EXPECT_TRUE(world.Load(empty) && world.Load(start));
}
