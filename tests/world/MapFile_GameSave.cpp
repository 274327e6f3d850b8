// Games started from a map file, saved and loaded back through the in-game
// controller: whatever the map reader takes into a game, a save of that game
// writes and its loader takes again, and the save of the loaded game is the
// save it was loaded from.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "tests/support/SaveGameRun.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
using namespace MapBytes;

constexpr int32_t Side = 32;
constexpr int32_t Neutral = -1;
constexpr int32_t PlainDecoration = 2;

class MapFileGameSave : public ::testing::Test
{
protected:
    MapFileGameSave() : m_Data(m_Folder), m_World(std::make_unique<CSimHarness>())
    {
        CSaveGameRun::UseSaveLanguage();
        const std::string command = std::string(V2KRN_TOOLS_DIR) + "/mktheme continental '" +
                                    m_Folder.File("Terrain/Themes/continental.theme") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    // A 32 x 32 map with these objects, player 0 the local human and the
    // others computers, started as a game.
    bool StartGame(const std::vector<std::vector<uint8_t>>& buildings,
                   const std::vector<std::vector<uint8_t>>& units)
    {
        if (!g_GameMap.NewMap(Side, Side, 0, 0))
            return false;
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_GameMap.playerSettings[p].playerType = p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER;
            g_GameMap.playerSettings[p].team = p + 1;
        }
        CMemoryBlock written;
        if (!g_GameMap.SaveMapData(written))
            return false;
        const std::vector<uint8_t> image =
            WithObjects(std::vector<uint8_t>(written.GetData(), written.GetData() + written.GetSize()), Side,
                        buildings, units);
        CMemoryBlock block;
        block.Write(image.data(), int(image.size()));
        block.SetPos(0);
        return g_GameMap.LoadMapData(block, 0);
    }

    WorldFolder m_Folder;
    DiskDataFiles m_Data;
    std::unique_ptr<CSimHarness> m_World;
};
} // namespace

// Each map holds what the reader once let through unfit for a save: a tower
// without its archers, script numbers in a field no save wrote, a stance
// the save refuses.
TEST_F(MapFileGameSave, GameOfAMapSavesAndLoadsBack)
{
    struct SCase
    {
        const char* what;
        std::vector<std::vector<uint8_t>> buildings;
        std::vector<std::vector<uint8_t>> units;
    };
    const SCase cases[] = {
        {"manned tower", {BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 3)}, {}},
        {"script numbers",
         {BuildingRecord(1, 10, 12, CastHouse, 0, 0, 12, 0),
          BuildingRecord(Neutral, 25, 5, CastDecoration, 0, PlainDecoration, 14, 0)},
         {}},
        {"stance 7", {}, {UnitRecord(0, 3, 3, UNIT_WORKER, 7)}},
    };
    for (const SCase& c : cases)
    {
        ASSERT_TRUE(StartGame(c.buildings, c.units)) << c.what;
        const std::vector<uint8_t> save = CSaveGameRun::SaveDrawn();
        ASSERT_TRUE(CSaveGameRun::Load(save)) << c.what;
        EXPECT_EQ(CSaveGameRun::SaveDrawn(), save) << c.what;
        // The loaded objects keep the record's script number and archers.
        for (const std::vector<uint8_t>& record : c.buildings)
        {
            const CBuilding* building = g_GameMap.Block(I32At(record, 4), I32At(record, 8)).building;
            ASSERT_NE(building, nullptr) << c.what;
            EXPECT_EQ(building->scriptTag, I32At(record, 32)) << c.what;
            const auto* tower = dynamic_cast<const CBuildingTower*>(building);
            EXPECT_EQ(tower != nullptr ? tower->archerCount : 0, record[36]) << c.what;
        }
    }
}
