// A map with every kind of object saved, loaded and saved again, and the
// byte layout of the file worked out from the format by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MapFile_Fixture.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_File.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t Side = 32;
// Section sizes of a 32 x 32 map: preview, corners, blocks, weather map.
constexpr size_t PreviewBytes = 32 * 32 * 2;
constexpr size_t CornerBytes = 33 * 33 * 9;
constexpr size_t BlockBytes = 32 * 32 * 7;
constexpr size_t EmptySetupBytes = 816;

using MapFileRoundTrip = MapFileTest;

void PaintTerrain()
{
    const int32_t textures = g_GameMap.themeTextures.GetTextureCount();
    for (int32_t x = 0; x <= Side; ++x)
        for (int32_t y = 0; y <= Side; ++y)
        {
            g_GameMap.CornerHeight(x, y) = (x * 13 + y * 7) % 20;
            g_GameMap.cornerTextures[x * MapCornerSide + y] = uint8_t((x + y) % textures);
        }
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
            g_GameMap.weatherMap[x * MapBlockSide + y] = uint8_t((x * 3 + y) % 7);
    g_GameMap.weatherType = WEATHER_SNOW;
    g_GameMap.UpdateArea(0, 0, -1, -1);
    g_GameMap.Block(20, 20).decorationModel = 240;
    g_GameMap.Block(21, 3).decorationModel = 300;
    g_GameMap.Block(3, 3).decorationModel = StartPointMarker;
    g_GameMap.Block(28, 27).decorationModel = StartPointMarker;
}

void VarySetups()
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CMapPlayerSettings& s = g_GameMap.playerSettings[p];
        s.name = ("Lord " + std::to_string(p)).c_str();
        s.scriptFile = p == 2 ? "ai\\hard.scr" : "";
        s.playerType = p < 3 ? 1 + p % 2 : 0;
        s.colourScheme = 7 - p;
        s.team = p % 3;
        s.initialWood = 100 + p;
        s.initialStone = 200 + p;
        s.initialGold = 300 + p;
        s.starving = uint8_t(p % 2);
        s.populationLimit = 50 + p;
        for (int32_t i = 0; i < CMapPlayerSettings::TechnologyStateCount; ++i)
            s.technologyStates[i] = (i + p) % 3;
        for (int32_t i = 0; i < CMapPlayerSettings::UnitFlagCount; ++i)
            s.unitEnabled[i] = uint8_t((i + p) % 2);
        for (int32_t i = 0; i < CMapPlayerSettings::BuildingFlagCount; ++i)
            s.buildingEnabled[i] = uint8_t((i * p) % 2);
        s.startViewX = p * 3;
        s.startViewY = 31 - p;
    }
}

void PlaceObjects()
{
    CPlayer& local = g_Players[0];
    CBuilding* tower = g_Players[0].CreateBuilding(6, 5, 5);
    ASSERT_NE(tower, nullptr);
    tower->scriptTag = 11;
    dynamic_cast<CBuildingTower&>(*tower).SetArcherCount(3);
    CBuilding* keep = g_Players[1].CreateBuilding(11, 10, 12);
    ASSERT_NE(keep, nullptr);
    keep->scriptTag = 12;
    CBuilding* tree = local.CreateResource(2, 15, 2, 0, 1);
    ASSERT_NE(tree, nullptr);
    tree->scriptTag = 13;
    ASSERT_NE(local.CreateResource(3, 17, 2, 0, 0), nullptr);
    CBuilding* mine = local.CreateResource(4, 24, 14, 777, 0);
    ASSERT_NE(mine, nullptr);
    CBuilding* decoration = local.CreateDecorationBuilding(2, 25, 5);
    ASSERT_NE(decoration, nullptr);
    decoration->scriptTag = 14;
    CUnit* hero = g_Players[0].CreateUnit(1, 2, 20);
    ASSERT_NE(hero, nullptr);
    hero->customName = "Hero";
    hero->specialId = 21;
    hero->stance = 2;
    CUnit* soldier = g_Players[2].CreateUnit(2, 4, 22);
    ASSERT_NE(soldier, nullptr);
    soldier->stance = 1;
}

void BuildFullMap()
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    PaintTerrain();
    VarySetups();
    PlaceObjects();
    // As the editor does after placing: the shades take in the objects.
    g_GameMap.UpdateArea(0, 0, -1, -1);
}

int32_t CountObjects(int32_t& units)
{
    int32_t buildings = 0;
    units = 0;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
        {
            const SMapBlock& b = g_GameMap.Block(x, y);
            buildings += b.building != nullptr && b.building->x == x && b.building->y == y;
            units += b.unit != nullptr && b.unit->x == x && b.unit->y == y;
        }
    return buildings;
}
} // namespace

TEST_F(MapFileRoundTrip, MapWithEveryKindOfObjectSavesLoadsAndSavesAgainByteForByte)
{
    BuildFullMap();
    const std::vector<uint8_t> first = Save();
    ASSERT_TRUE(Load(first, 1));
    const std::vector<uint8_t> second = Save();
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i)
        ASSERT_EQ(first[i], second[i]) << "first difference at byte " << i;

    int32_t units = 0;
    EXPECT_EQ(CountObjects(units), 6);
    EXPECT_EQ(units, 2);
    EXPECT_EQ(g_GameMap.startPointCount, 2);
    EXPECT_STREQ(g_GameMap.Block(2, 20).unit->customName, "Hero");
    EXPECT_EQ(g_GameMap.Block(2, 20).unit->specialId, 21);
    EXPECT_EQ(dynamic_cast<CBuildingTower&>(*g_GameMap.Block(5, 5).building).archerCount, 3);
    EXPECT_EQ(g_GameMap.Block(24, 14).building->GetResourceAmount(), 777);
    EXPECT_EQ(g_GameMap.Block(25, 5).building->GetDecorationKind(), 2);
    EXPECT_EQ(g_GameMap.Block(20, 20).decorationModel, 240);
    EXPECT_EQ(g_GameMap.Block(3, 3).decorationModel, StartPointMarker);
    EXPECT_EQ(g_GameMap.weatherType, WEATHER_SNOW);
    EXPECT_STREQ(g_GameMap.playerSettings[2].scriptFile, "ai\\hard.scr");
    EXPECT_EQ(g_GameMap.playerSettings[5].technologyStates[7], 0);
    EXPECT_TRUE(Log().Has("Loading buildings"));
}

TEST_F(MapFileRoundTrip, EmptyMapHasTheLayoutOfTheFormat)
{
    ASSERT_TRUE(g_GameMap.NewMap(Side, Side, 0, 0));
    g_GameMap.editor = 1;
    for (CMapPlayerSettings& s : g_GameMap.playerSettings)
        s.name = "";
    const std::vector<uint8_t> bytes = Save();
    ASSERT_EQ(bytes.size(), 26601u);
    EXPECT_EQ(I32At(bytes, 0), 32);
    EXPECT_EQ(I32At(bytes, 4), 32);
    const size_t starts = 8 + PreviewBytes;
    EXPECT_EQ(I32At(bytes, starts), 0);
    const size_t setup = starts + 4;
    EXPECT_EQ(bytes[setup], 0);       // name length
    EXPECT_EQ(bytes[setup + 1], 0);   // its zero
    EXPECT_EQ(I32At(bytes, setup + 4), 1);        // type: local human
    EXPECT_EQ(I32At(bytes, setup + 4 + 12), 1000);   // wood
    EXPECT_EQ(bytes[setup + 28], 1);               // starving
    EXPECT_EQ(I32At(bytes, setup + 29), 256);
    EXPECT_EQ(I32At(bytes, setup + 33), 61);
    EXPECT_EQ(I32At(bytes, setup + 33 + 4 + 60 * 8), 60);
    EXPECT_EQ(I32At(bytes, setup + 525), 36);
    EXPECT_EQ(I32At(bytes, setup + 709), 19);
    const size_t theme = setup + 8 * EmptySetupBytes;
    EXPECT_EQ(I32At(bytes, theme), 0);
    const size_t firstModel = theme + 4 + CornerBytes;
    EXPECT_EQ(I32At(bytes, firstModel), 236);
    const size_t blocks = firstModel + 4;
    EXPECT_EQ(bytes[blocks + 5], 0xFF);   // no decoration
    EXPECT_EQ(bytes[blocks + 6], 0xFF);
    const size_t objects = blocks + BlockBytes;
    EXPECT_EQ(I32At(bytes, objects), 0);
    EXPECT_EQ(I32At(bytes, objects + 4), 0);
    EXPECT_EQ(I32At(bytes, objects + 8), WEATHER_NONE);
}

TEST_F(MapFileRoundTrip, ObjectRecordsHaveTheirWidths)
{
    BuildFullMap();
    const std::vector<uint8_t> bytes = Save();
    // Setups: 816 bytes each plus their name and script texts.
    size_t setups = 0;
    for (const CMapPlayerSettings& s : g_GameMap.playerSettings)
        setups += EmptySetupBytes + std::strlen(s.name) + std::strlen(s.scriptFile);
    const size_t objects = 8 + PreviewBytes + 4 + 2 * 8 + setups + 4 + CornerBytes + 4 + BlockBytes;
    ASSERT_EQ(I32At(bytes, objects), 6);
    // Block order x outer: the tower at (5, 5) comes first.
    const size_t tower = objects + 4;
    EXPECT_EQ(I32At(bytes, tower), 0);
    EXPECT_EQ(I32At(bytes, tower + 4), 5);
    EXPECT_EQ(I32At(bytes, tower + 12), 6);
    EXPECT_EQ(I32At(bytes, tower + 32), 11);
    EXPECT_EQ(bytes[tower + 36], 3);
    EXPECT_EQ(bytes[tower + 37] | bytes[tower + 38] | bytes[tower + 39], 0);
    const size_t units = objects + 4 + 6 * 40;
    ASSERT_EQ(I32At(bytes, units), 2);
    // The hero at (2, 20): 24 bytes, has-name 1, a 4-byte length 4, "Hero", 0.
    EXPECT_EQ(I32At(bytes, units + 4 + 4), 2);
    EXPECT_EQ(I32At(bytes, units + 4 + 12), 1);
    EXPECT_EQ(bytes[units + 4 + 24], 1);
    EXPECT_EQ(I32At(bytes, units + 4 + 25), 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[units + 4 + 29])), "Hero");
    const size_t second = units + 4 + 24 + 1 + 4 + 5;
    EXPECT_EQ(I32At(bytes, second), 2);
    EXPECT_EQ(bytes[second + 24], 0);
    const size_t weather = second + 25;
    EXPECT_EQ(I32At(bytes, weather), WEATHER_SNOW);
    EXPECT_EQ(bytes.size(), weather + 4 + 32 * 32);
    EXPECT_EQ(bytes[weather + 4 + 1 * 32 + 2], (1 * 3 + 2) % 7);
}
