// Objects of a map file put into the world: finished towers with their
// archers, the script numbers of buildings and decorations, neutral objects
// that would lie over others, unit fields a saved game would refuse, the
// local human's profile name and the fallback map's ground.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "frontend/C_PlayerProfiles.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
using namespace MapBytes;

constexpr int32_t Side = 32;
constexpr int32_t Neutral = -1;
constexpr int32_t TreeKind = ResourceKindTree;
constexpr int32_t PlainDecoration = 2;   // one block
constexpr int32_t MillDecoration = 1;    // 5 x 6, its block (3, 0) left free by the mask

// The profiles are the process's; each test leaves none behind.
struct SProfilesCleared
{
    ~SProfilesCleared() { g_PlayerProfiles.Clear(); }
};

// The stance a unit of the type has before anybody sets one.
int32_t OwnStance(int32_t type)
{
    std::unique_ptr<CUnit> probe(g_Players[0].UnitFactory(type));
    return probe != nullptr ? probe->stance : -1;
}

class MapFilePlacement : public MapFileTest
{
protected:
    // An empty 32 x 32 map: player 0 the local human, the others computers.
    std::vector<uint8_t> EmptyMap()
    {
        EXPECT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_GameMap.playerSettings[p].playerType = p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER;
            g_GameMap.playerSettings[p].team = p + 1;
        }
        return Save();
    }
    std::vector<uint8_t> MapWith(const std::vector<std::vector<uint8_t>>& buildings,
                                 const std::vector<std::vector<uint8_t>>& units = {})
    {
        return WithObjects(EmptyMap(), Side, buildings, units);
    }
};
} // namespace

TEST_F(MapFilePlacement, TowersStandFinishedWithTheMapsCountOfArchers)
{
    struct SCase
    {
        uint8_t stored;
        int32_t manned;
    };
    for (const SCase c : {SCase{0, 1}, SCase{3, 3}, SCase{5, 5}, SCase{9, 5}})
    {
        ASSERT_TRUE(Load(MapWith({BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, c.stored)}), 0));
        auto* tower = dynamic_cast<CBuildingTower*>(g_GameMap.Block(5, 5).building);
        ASSERT_NE(tower, nullptr);
        EXPECT_TRUE(tower->IsFinished());
        ASSERT_EQ(tower->archerCount, c.manned) << int(c.stored);
        EXPECT_EQ(g_Players[0].towerArchers.GetCount(), c.manned);
        for (int32_t i = 0; i < c.manned; ++i)
        {
            ASSERT_NE(tower->archers[i], nullptr);
            EXPECT_EQ(tower->archers[i]->GetCastID(), UNIT_TOWERARCHER);
            EXPECT_EQ(tower->archers[i]->player, 0);
        }
    }
}

TEST_F(MapFilePlacement, TowerLetsArchersGoDownToOneAndItsOwnerListFollows)
{
    ASSERT_TRUE(Load(MapWith({BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 5)}), 0));
    auto& tower = dynamic_cast<CBuildingTower&>(*g_GameMap.Block(5, 5).building);
    for (const auto& [wanted, held] : {std::pair{2, 2}, std::pair{2, 2}, std::pair{0, 1}, std::pair{4, 4}})
    {
        tower.SetArcherCount(wanted);
        EXPECT_EQ(tower.archerCount, held) << wanted;
        EXPECT_EQ(g_Players[0].towerArchers.GetCount(), held) << wanted;
        g_PtrGarbage.Flush();
    }
}

TEST_F(MapFilePlacement, ScriptNumbersOfBuildingsAndDecorationsAreTheirScriptTags)
{
    ASSERT_TRUE(Load(MapWith({BuildingRecord(1, 10, 12, CastKeep, 0, 0, 12, 0),
                              BuildingRecord(Neutral, 15, 2, CastResource, TreeKind, 0, 13, 0),
                              BuildingRecord(Neutral, 25, 5, CastDecoration, 0, PlainDecoration, 14, 0)}),
                     0));
    EXPECT_EQ(g_GameMap.Block(10, 12).building->scriptTag, 12);
    EXPECT_EQ(g_GameMap.Block(15, 2).building->scriptTag, 13);
    EXPECT_EQ(g_GameMap.Block(25, 5).building->scriptTag, 14);
}

TEST_F(MapFilePlacement, NeutralObjectOverAnotherRefusesTheMapAndFreesWhatWasMade)
{
    const auto tower = BuildingRecord(0, 5, 5, CastTower, 0, 0, 0, 2);
    const auto mill = BuildingRecord(Neutral, 20, 20, CastDecoration, 0, MillDecoration, 0, 0);
    struct SCase
    {
        const char* what;
        std::vector<uint8_t> over;
    };
    const SCase cases[] = {
        {"tree on the tower", BuildingRecord(Neutral, 6, 6, CastResource, TreeKind, 0, 0, 0)},
        {"decoration on the tower", BuildingRecord(Neutral, 5, 6, CastDecoration, 0, PlainDecoration, 0, 0)},
        {"tree on the mill", BuildingRecord(Neutral, 20, 20, CastResource, TreeKind, 0, 0, 0)},
        {"mill on the mill", mill},
    };
    for (const SCase& c : cases)
    {
        ASSERT_TRUE(Load(MapWith({}), 0));
        EXPECT_FALSE(Load(MapWith({tower, mill, c.over}), 0)) << c.what;
        EXPECT_EQ(g_GameMap.theme, NoTheme) << c.what;
        g_PtrGarbage.Flush();
        EXPECT_EQ(g_Players[0].buildingCount, 0) << c.what;
        EXPECT_EQ(g_Players[0].towerArchers.GetCount(), 0) << c.what;
    }
    EXPECT_TRUE(Log().Has("Map file refused: a resource site or decoration lies over another object"));

    // A block the mill's mask leaves free takes a tree.
    ASSERT_TRUE(Load(MapWith({tower, mill, BuildingRecord(Neutral, 23, 20, CastResource, TreeKind, 0, 0, 0)}), 0));
    EXPECT_EQ(g_GameMap.Block(23, 20).building->GetResourceKind(), TreeKind);
    EXPECT_EQ(g_GameMap.Block(20, 20).building->GetDecorationKind(), MillDecoration);
    // A gold mine (4 x 5) reaching off the map is skipped alone.
    ASSERT_TRUE(Load(MapWith({BuildingRecord(Neutral, 30, 20, CastResource, ResourceKindGoldMine, 0, 0, 0)}), 0));
    EXPECT_EQ(g_GameMap.Block(30, 20).building, nullptr);
}

TEST_F(MapFilePlacement, UnitFieldsASaveWouldRefuseAreNotTaken)
{
    struct SCase
    {
        const char* what;
        std::vector<uint8_t> unit;
        int32_t x, y;
        bool made;
        int32_t stance;
    };
    const int32_t own = OwnStance(UNIT_WARRIOR);
    ASSERT_NE(own, STANCE_DEFENSIVE);
    const SCase cases[] = {
        {"defensive", UnitRecord(0, 3, 3, UNIT_WARRIOR, STANCE_DEFENSIVE), 3, 3, true, STANCE_DEFENSIVE},
        {"stance 7", UnitRecord(0, 3, 3, UNIT_WARRIOR, 7), 3, 3, true, own},
        {"stance 0", UnitRecord(0, 3, 3, UNIT_WARRIOR, 0), 3, 3, true, own},
        {"stance -2^31", UnitRecord(0, 3, 3, UNIT_WARRIOR, INT_MIN), 3, 3, true, own},
        {"galley past the edge", UnitRecord(0, Side - 1, 4, UNIT_WARGALLEY, 1), Side - 1, 4, false, 0},
    };
    for (const SCase& c : cases)
    {
        ASSERT_TRUE(Load(MapWith({}, {c.unit}), 0)) << c.what;
        EXPECT_EQ(g_Players[0].unitCount, c.made ? 1 : 0) << c.what;
        if (c.made)
        {
            ASSERT_NE(g_GameMap.Block(c.x, c.y).unit, nullptr) << c.what;
            EXPECT_EQ(g_GameMap.Block(c.x, c.y).unit->stance, c.stance) << c.what;
        }
    }
    EXPECT_TRUE(Log().Has("Map file: unknown unit stance, the unit keeps its own"));
}

TEST_F(MapFilePlacement, HugeNegativeFirstDecorationModelDropsTheModels)
{
    std::vector<uint8_t> bytes = EmptyMap();
    g_GameMap.Block(9, 9).decorationModel = 250;
    bytes = Save();
    const size_t firstModel = bytes.size() - 4 - Side * Side - 8 - Side * Side * 7 - 4;
    ASSERT_EQ(I32At(bytes, firstModel), 236);
    PutI32(bytes, firstModel, INT_MIN);
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_EQ(g_GameMap.Block(9, 9).decorationModel, NoDecoration);
}

TEST_F(MapFilePlacement, ProbeCountsNothingFromARefusedSize)
{
    std::vector<uint8_t> bytes = EmptyMap();
    PutI32(bytes, 0, INT_MIN);
    PutI32(bytes, 4, INT_MIN);
    const std::string path = Folder().File("Maps/huge.world");
    WriteBytes(path, bytes);
    EXPECT_EQ(g_GameMap.ReadMapFileStartNum(path.c_str()), 0);
    EXPECT_TRUE(Log().Has("Map file refused: the size is not 32 to 256 blocks each way"));
}

TEST_F(MapFilePlacement, LocalHumanTakesTheProfileNameInAGameOnly)
{
    const SProfilesCleared cleared;
    g_PlayerProfiles.profiles = new CPlayerProfiles::SProfile*[1]{new CPlayerProfiles::SProfile};
    g_PlayerProfiles.profiles[0]->name = "Alice";
    g_PlayerProfiles.count = 1;
    g_PlayerProfiles.current = 0;
    g_GameMap.NewMap(Side, Side, 0, 0);
    g_GameMap.playerSettings[0].name = "Lord";
    g_GameMap.playerSettings[1].name = "Rival";
    g_GameMap.playerSettings[1].playerType = PLAYER_COMPUTER;
    const std::vector<uint8_t> bytes = Save();

    ASSERT_TRUE(Load(bytes, 0));
    EXPECT_STREQ(g_GameMap.playerSettings[0].name, "Alice");
    EXPECT_STREQ(g_Players[0].name, "Alice");
    EXPECT_STREQ(g_Players[1].name, "Rival");
    // The editor writes the names back into the map: they stay the map's.
    ASSERT_TRUE(Load(bytes, 1));
    EXPECT_STREQ(g_GameMap.playerSettings[0].name, "Lord");
}

TEST_F(MapFilePlacement, MissingMapIsPaintedWithTheThemesGround)
{
    const std::string theme = Folder().File("Terrain/Themes/continental.theme");
    std::vector<uint8_t> bytes = ReadBytes(theme);
    PutI32(bytes, 4, 2);   // the default ground texture
    WriteBytes(theme, bytes);
    ASSERT_TRUE(g_GameMap.LoadMap((Folder().Path() + "/absent.world").c_str(), 0));
    EXPECT_EQ(g_GameMap.cornerTextures[0], 2);
    EXPECT_EQ(g_GameMap.Block(63, 63).mixPasses[0].texture, 2);
}

TEST_F(MapFilePlacement, FreeingAMapWithoutObjectsLogsEveryStep)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.Free();
    const std::vector<std::string> lines = Log().Lines();
    const std::vector<std::string> expected = {"Releasing map data", "-Terrain units", "-Terrain buildings",
                                               "-Terrain textures", "-Players", "Map freed"};
    auto at = lines.begin();
    for (const std::string& line : expected)
    {
        at = std::find(at, lines.end(), line);
        ASSERT_NE(at, lines.end()) << line;
    }
}
