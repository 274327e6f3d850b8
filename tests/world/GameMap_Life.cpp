// A map's life: construction, a new map with the defaults of its player
// setups and its theme, freeing, and the refusals that leave a map as it was.

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "WorldDevice.h"
#include "core/C_PtrGarbage.h"
#include "units/C_Unit.h"
#include "buildings/C_Building.h"
#include "world/C_GameMap.h"

namespace
{
int g_UnitsDeleted = 0;
int g_BuildingsDeleted = 0;

class CountedUnit : public CUnit
{
public:
    ~CountedUnit() override { ++g_UnitsDeleted; }
};

class CountedBuilding : public CBuilding
{
public:
    ~CountedBuilding() override { ++g_BuildingsDeleted; }
    int32_t GetMaxHitPoints() const override { return 100; }
    int32_t GetWidth() const override { return 3; }
    int32_t GetDepth() const override { return 3; }
    int32_t GetBuildCast() const override { return 1; }
};

using GameMapLife = WorldDeviceTest;
} // namespace

// The setups' defaults are checked line by line by the export test.
TEST_F(GameMapLife, NewMapMakesAlliedPlayersAndIsPaintedWithTheGroundTextureAndFlat)
{
    MakeThemeFile("continental", "Terrain/Themes/continental.theme");
    ASSERT_TRUE(g_GameMap.NewMap(64, 48, 2, 0));
    EXPECT_EQ(g_GameMap.theme, 0);
    for (int i = 0; i < MaxPlayers; ++i)
    {
        const CPlayer& player = g_Players[i];
        EXPECT_EQ(player.index, i);
        EXPECT_EQ(player.type, 1);
        EXPECT_EQ(player.colourScheme, i);
        EXPECT_STREQ(player.name, ("Player " + std::to_string(i + 1)).c_str());
        for (int j = 0; j < MaxPlayers; ++j)
            EXPECT_EQ(player.allied[j], 1) << i << " and " << j;
    }
    EXPECT_TRUE(Log().Has("New map"));
    EXPECT_TRUE(Log().Has("Loading theme file:Terrain\\Themes\\continental.theme"));
    EXPECT_TRUE(Log().Has("Initializing players"));

    std::set<int32_t> randomValues;
    for (int x = 0; x <= 64; ++x)
        for (int y = 0; y <= 48; ++y)
        {
            ASSERT_EQ(g_GameMap.cornerTextures[x * 257 + y], 2);
            ASSERT_EQ(g_GameMap.cornerColours[x * 257 + y], 0xDCDCDC);
        }
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 48; ++y)
        {
            const SMapBlock& block = g_GameMap.Block(x, y);
            ASSERT_EQ(block.mixPasses[0].texture, 2);
            ASSERT_EQ(block.mixPasses[0].pattern, 255);
            ASSERT_EQ(block.mixPasses[1].texture, 255);
            ASSERT_EQ(block.decorationModel, NoDecoration);
            ASSERT_EQ(block.blocked + block.waterLevel, 0);
            ASSERT_EQ(block.shoreDirection, NoShore);
            ASSERT_LE(uint32_t(block.randomValue), 1023u);
            randomValues.insert(block.randomValue);
        }
    EXPECT_GT(randomValues.size(), 100u);
    EXPECT_EQ(g_GameMap.weatherType, WEATHER_NONE);
    // Grey levels 191 + round((sin i + 1) x 32): 223 at 0 degrees, 255 at 90, 191 at 270.
    EXPECT_EQ(g_GameMap.greyTable[0], 223u * 0x010101u);
    EXPECT_EQ(g_GameMap.greyTable[90], 255u * 0x010101u);
    EXPECT_EQ(g_GameMap.greyTable[270], 191u * 0x010101u);
    ASSERT_NE(g_GameMap.minimap, nullptr);
    EXPECT_EQ(g_GameMap.minimap->width, 64);
    EXPECT_EQ(g_GameMap.minimap->height, 48);
    EXPECT_EQ(g_GameMap.minimap->format, CTexture::FormatR5G6B5);
    EXPECT_EQ(g_GameMap.minimapOverlay->format, CTexture::FormatA1R5G5B5);
}

TEST_F(GameMapLife, GroundTextureBeyondTheThemeIsItsLastAndNamesAreFoundInAnyCase)
{
    MakeThemeFile("winter", "Terrain/Themes/winter.theme");
    ASSERT_TRUE(g_GameMap.NewMap(32, 32, 99, 1));
    EXPECT_EQ(g_GameMap.cornerTextures[0], 3);
    EXPECT_EQ(g_GameMap.Block(5, 5).mixPasses[0].texture, 3);
    EXPECT_EQ(g_GameMap.FindThemeTexture("snow"), 0);
    EXPECT_EQ(g_GameMap.FindThemeTexture("ICE"), 1);
    EXPECT_EQ(g_GameMap.FindThemeTexture("Frozen DIRT"), 3);
    EXPECT_EQ(g_GameMap.FindThemeTexture("grass"), -1);
    ASSERT_TRUE(g_GameMap.NewMap(32, 32, -7, 1));
    EXPECT_EQ(g_GameMap.cornerTextures[0], 0);
}

TEST_F(GameMapLife, RefusedNewMapLeavesThePresentMap)
{
    MakeThemeFile("continental", "Terrain/Themes/continental.theme");
    ASSERT_TRUE(g_GameMap.NewMap(64, 64, 1, 0));
    g_GameMap.CornerHeight(3, 3) = 17;

    EXPECT_FALSE(g_GameMap.NewMap(32, 32, 0, 2));   // no swamp theme file
    EXPECT_TRUE(Log().Has("Theme file rejected: Terrain\\Themes\\swamp.theme (file not found)"));
    EXPECT_FALSE(g_GameMap.NewMap(31, 64, 0, 0));
    EXPECT_FALSE(g_GameMap.NewMap(64, 257, 0, 0));
    EXPECT_FALSE(g_GameMap.NewMap(64, 64, 0, 4));
    EXPECT_TRUE(Log().Has("New map refused: the size must be 32 to 256 blocks each way"));

    EXPECT_EQ(g_GameMap.width, 64);
    EXPECT_EQ(g_GameMap.theme, 0);
    EXPECT_EQ(g_GameMap.CornerHeight(3, 3), 17);
    EXPECT_EQ(g_GameMap.themeTextures.GetTextureCount(), 4);
    EXPECT_NE(g_GameMap.minimap, nullptr);
}

TEST_F(GameMapLife, FreeingAMapThatWasNeverLoadedOnlyDropsTheMinimap)
{
    g_GameMap.Free();
    g_GameMap.width = 32;
    g_GameMap.height = 32;
    g_GameMap.CreateMinimap();
    g_GameMap.Free();
    EXPECT_EQ(g_GameMap.theme, NoTheme);
    EXPECT_EQ(g_GameMap.minimap, nullptr);
    EXPECT_TRUE(Log().Has("-Free Minimap"));
    EXPECT_FALSE(Log().Has("Releasing map data"));
    EXPECT_FALSE(Log().Has("-Terrain textures"));
}

TEST_F(GameMapLife, FreeReleasesEveryObjectOnceAndThenTheTextures)
{
    MakeThemeFile("continental", "Terrain/Themes/continental.theme");
    ASSERT_TRUE(g_GameMap.NewMap(64, 64, 0, 0));
    auto* bigUnit = new CountedUnit;
    auto* smallUnit = new CountedUnit;
    auto* house = new CountedBuilding;
    for (int x = 10; x < 12; ++x)
        for (int y = 10; y < 12; ++y)
            g_GameMap.Block(x, y).unit = bigUnit;
    g_GameMap.Block(30, 2).unit = smallUnit;
    for (int x = 20; x < 23; ++x)
        for (int y = 5; y < 8; ++y)
            g_GameMap.Block(x, y).building = house;
    g_UnitsDeleted = 0;
    g_BuildingsDeleted = 0;

    g_GameMap.Free();
    EXPECT_EQ(g_UnitsDeleted, 2);
    EXPECT_EQ(g_BuildingsDeleted, 1);
    EXPECT_EQ(g_PtrGarbage.GetCount(), 0);
    for (const SMapBlock& block : g_GameMap.AllBlocks())
    {
        ASSERT_EQ(block.unit, nullptr);
        ASSERT_EQ(block.building, nullptr);
    }
    EXPECT_EQ(g_GameMap.theme, NoTheme);
    EXPECT_FALSE(g_GameMap.themeTextures.IsLoaded());

    const std::vector<std::string> lines = Log().Lines();
    const std::vector<std::string> expected = {"-Free Minimap",      "Releasing map data", "-Terrain units",
                                               "-Terrain buildings", "-Terrain textures",  "-Players",
                                               "Map freed"};
    auto at = lines.begin();
    for (const std::string& line : expected)
    {
        at = std::find(at, lines.end(), line);
        ASSERT_NE(at, lines.end()) << line;
    }
    // Neither unit is in a player's list.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "#DEBUG: Freeing a unit that has no owner"), 2);
}

TEST_F(GameMapLife, StartPointsCannotBeCountedInTheEditor)
{
    g_GameMap.startPointCount = 3;
    EXPECT_EQ(g_GameMap.GetStartPointNum(), 3);
    g_GameMap.editor = 1;
    EXPECT_EQ(g_GameMap.GetStartPointNum(), -1);
    EXPECT_TRUE(Log().Has("#DEBUG: Cannot be called from the editor"));
    EXPECT_TRUE(Log().Has("#DEBUG: breakpoint reached"));
}
