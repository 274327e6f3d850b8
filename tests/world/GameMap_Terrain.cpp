// Terrain of a map made with the project's theme tool: heights set by hand
// for small shapes (a lake, an island, a coast), the area update run, and
// light, water levels, shores, triangle splits, passability and regions
// checked against values worked out by hand.

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "WorldDevice.h"
#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_RangeTable.h"

namespace
{
constexpr int32_t Grey220 = 0xDCDCDC;

class GameMapTerrain : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        MakeThemeFile("continental", "Terrain/Themes/continental.theme");
        ASSERT_TRUE(g_GameMap.NewMap(64, 64, 0, 0));
        // The new map's players have explored nothing; let the local one see
        // everything unless a test says otherwise.
        std::memset(g_Players[0].exploredMap, 255, sizeof(g_Players[0].exploredMap));
    }

    static void SetCorners(int x0, int y0, int x1, int y1, int32_t height)
    {
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y)
                g_GameMap.CornerHeight(x, y) = height;
    }
    static int32_t Colour(int x, int y) { return g_GameMap.cornerColours[x * 257 + y]; }
    static const SMapBlock& At(int x, int y) { return g_GameMap.Block(x, y); }
};

// A building whose traits the test sets.
class TestBuilding : public CBuilding
{
public:
    TestBuilding() = default;
    TestBuilding(int32_t castNumber, float progress) : cast(castNumber) { buildProgress = progress; }

    int32_t GetMaxHitPoints() const override { return 100; }
    int32_t GetWidth() const override { return width; }
    int32_t GetDepth() const override { return depth; }
    int32_t GetBuildCast() const override { return cast; }
    int32_t GetFootprintBorder() const override { return border; }
    int32_t GetResourceKind() const override { return resourceKind; }
    bool CanBeMined() const override { return harvestable; }
    int32_t CastsShadow() const override { return shadow ? 1 : 0; }

    int32_t width = 1;
    int32_t depth = 1;
    int32_t border = 0;
    int32_t cast = 0;
    int32_t resourceKind = 0;
    bool harvestable = false;
    bool shadow = false;
};
class TestUnit : public CUnit
{
};
} // namespace

TEST_F(GameMapTerrain, HeightIsBilinearAndLimitedToTheMap)
{
    g_GameMap.CornerHeight(0, 0) = 0;
    g_GameMap.CornerHeight(1, 0) = 10;
    g_GameMap.CornerHeight(0, 1) = 20;
    g_GameMap.CornerHeight(1, 1) = 50;
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(0.5f, 0.5f), 20.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(0.25f, 0.75f), 21.25f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(-5.0f, -5.0f), 0.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(1.0f, 0.0f), 10.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(NAN, NAN), 0.0f);

    g_GameMap.CornerHeight(64, 63) = 100;
    g_GameMap.CornerHeight(64, 64) = 100;
    // (64, 64) is read 0.01 inside the last block: 100 x 0.99.
    EXPECT_NEAR(g_GameMap.GetHeightRaw(64.0f, 64.0f), 99.0f, 0.001f);
    EXPECT_NEAR(g_GameMap.GetHeightRaw(1000.0f, 63.5f), 99.0f, 0.001f);
}

TEST_F(GameMapTerrain, LakeHasWaterShoresLightAndHeights)
{
    // Corners 20..26 sink to -30: blocks 19..26 each way touch the lake.
    SetCorners(20, 20, 26, 26, -30);
    g_GameMap.UpdateArea(0, 0, 64, 64);

    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 64; ++y)
        {
            const bool lake = x >= 19 && x <= 26 && y >= 19 && y <= 26;
            ASSERT_EQ(At(x, y).waterLevel, lake ? 10 : 0) << x << "," << y;
            const bool shore = lake && (x == 19 || x == 26 || y == 19 || y == 26);
            ASSERT_EQ(At(x, y).shoreDirection != NoShore, shore) << x << "," << y;
            ASSERT_EQ(At(x, y).blocked, 0) << x << "," << y;
        }
    // Directions toward the land: west 90, north 0, east 270, south 180,
    // the corner between west and north 45.
    EXPECT_EQ(At(19, 22).shoreDirection, 90);
    EXPECT_EQ(At(22, 19).shoreDirection, 0);
    EXPECT_EQ(At(26, 23).shoreDirection, 270);
    EXPECT_EQ(At(23, 26).shoreDirection, 180);
    EXPECT_EQ(At(19, 19).shoreDirection, 45);
    EXPECT_EQ(At(20, 19).shoreDirection, 45);

    // West bank: A = 60, B = 0: 160.  North bank: B = 60: 2.5 x 60 + 220
    // clamped to 255.  South bank: B = -60: 70 clamped to 150.  Lake bed
    // and land: 220; -30 is too shallow for the deep tint.
    EXPECT_EQ(Colour(20, 22), 0xA0A0A0);
    EXPECT_EQ(Colour(19, 22), 0xA0A0A0);
    EXPECT_EQ(Colour(22, 20), 0xFFFFFF);
    EXPECT_EQ(Colour(22, 26), 0x969696);
    EXPECT_EQ(Colour(23, 23), Grey220);
    EXPECT_EQ(Colour(5, 5), Grey220);

    EXPECT_EQ(At(19, 19).triangleSplit, 1);   // corner (20, 20) is the only low one
    EXPECT_EQ(At(22, 22).triangleSplit, 0);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(22.5f, 22.5f), -30.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeight(22.5f, 22.5f), 0.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(19.5f, 22.0f), -15.0f);

    g_GameMap.AssignRegionIds();
    EXPECT_EQ(At(0, 0).regionId, 0);
    EXPECT_EQ(At(63, 63).regionId, 0);
    EXPECT_EQ(At(19, 19).regionId, 1);
    EXPECT_EQ(At(26, 26).regionId, 1);

    // The whole-map update also smooths the shore directions: near the
    // corner the north bank turns toward the west bank's 90.
    EXPECT_EQ(At(21, 19).shoreDirection, 0);
    g_GameMap.UpdateArea(0, 0, -1, -1);
    EXPECT_GT(At(21, 19).shoreDirection, 0);
    EXPECT_LT(At(21, 19).shoreDirection, 45);
    EXPECT_EQ(At(19, 19).shoreDirection, 45);
}

TEST_F(GameMapTerrain, IslandAndLoneBlockGetTheirOwnRegions)
{
    SetCorners(0, 0, 64, 64, -30);
    SetCorners(30, 30, 34, 34, 10);   // blocks 30..33 are land
    SetCorners(10, 10, 11, 11, 10);   // block (10, 10) alone is land
    g_GameMap.UpdateArea(0, 0, -1, -1);
    EXPECT_EQ(At(31, 31).waterLevel, 0);
    EXPECT_EQ(At(29, 31).waterLevel, 10);
    EXPECT_EQ(At(10, 10).waterLevel, 0);
    EXPECT_EQ(At(11, 10).waterLevel, 10);

    g_GameMap.AssignRegionIds();
    EXPECT_EQ(At(0, 0).regionId, 0);
    EXPECT_EQ(At(50, 50).regionId, 0);
    EXPECT_EQ(At(29, 29).regionId, 0);
    EXPECT_EQ(At(10, 10).regionId, 1);   // numbered, not left at 0xFFFF
    EXPECT_EQ(At(30, 30).regionId, 2);
    EXPECT_EQ(At(33, 33).regionId, 2);

    // The island's steep shore: corners 10 and -30 differ by 40.
    EXPECT_EQ(At(29, 31).blocked, 1);
    EXPECT_EQ(At(31, 31).blocked, 0);
    EXPECT_EQ(At(0, 0).blocked, 0);
}

TEST_F(GameMapTerrain, CoastRunsStraightAndIsSteep)
{
    SetCorners(32, 0, 64, 64, -30);   // land west of corner column 32
    SetCorners(0, 0, 31, 64, 10);
    g_GameMap.UpdateArea(0, 0, -1, -1);
    for (int y = 0; y < 64; ++y)
    {
        EXPECT_EQ(At(30, y).waterLevel, 0);
        EXPECT_EQ(At(31, y).waterLevel, 10);
        const bool inner = y >= 1 && y <= 62;
        EXPECT_EQ(At(31, y).shoreDirection, inner ? 90 : NoShore) << y;
        EXPECT_EQ(At(32, y).shoreDirection, NoShore) << y;
        EXPECT_EQ(At(31, y).blocked, 1) << y;
        EXPECT_EQ(At(30, y).blocked, 0) << y;
        EXPECT_EQ(At(32, y).blocked, 0) << y;
    }
    EXPECT_EQ(At(63, 10).shoreDirection, NoShore);
    // Both sides of the cliff: A = 80, 140 clamped to 150.
    EXPECT_EQ(Colour(31, 10), 0x969696);
    EXPECT_EQ(Colour(32, 10), 0x969696);
    EXPECT_EQ(Colour(30, 10), Grey220);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeightRaw(31.5f, 5.0f), -10.0f);
    EXPECT_FLOAT_EQ(g_GameMap.GetHeight(31.5f, 5.0f), 0.0f);
}

TEST_F(GameMapTerrain, WaterLevelIsTheLowestCornerThirdAndDeepWaterDarkens)
{
    g_GameMap.CornerHeight(5, 5) = -30;
    g_GameMap.CornerHeight(6, 5) = -30;
    g_GameMap.CornerHeight(5, 6) = -30;
    g_GameMap.CornerHeight(6, 6) = -60;
    g_GameMap.CornerHeight(40, 40) = -2;
    SetCorners(8, 8, 12, 12, -50);
    SetCorners(20, 20, 24, 24, -23);
    SetCorners(30, 30, 34, 34, -21);
    g_GameMap.UpdateArea(0, 0, 64, 64);
    EXPECT_EQ(At(5, 5).waterLevel, 20);
    EXPECT_EQ(At(39, 39).waterLevel, 0);   // -2 / 3 is 0
    // -50: k = 10, factor 1024 / 10 = 102 of 255: 220 x 102 / 255 = 88.
    EXPECT_EQ(Colour(10, 10), 0x585858);
    EXPECT_EQ(Colour(22, 22), Grey220);   // k = 1: factor 1024 limited to 255
    EXPECT_EQ(Colour(32, 32), Grey220);   // k = 0: no tint
}

TEST_F(GameMapTerrain, PassabilityFollowsSlopeWaterObjectsAndTheMark)
{
    // A cliff up to 100 east of corner column 45.
    SetCorners(45, 0, 64, 64, 100);
    // A deep steep hole wholly under water, and a steep one reaching land.
    SetCorners(10, 10, 10, 10, -60);
    g_GameMap.CornerHeight(11, 10) = -10;
    g_GameMap.CornerHeight(10, 11) = -10;
    g_GameMap.CornerHeight(11, 11) = -10;
    g_GameMap.CornerHeight(20, 20) = -60;   // block (20, 20): -60, 0, 0, 5
    g_GameMap.CornerHeight(21, 21) = 5;
    TestUnit unit;
    TestBuilding building;
    g_GameMap.Block(44, 5).unit = &unit;
    g_GameMap.Block(50, 5).building = &building;
    g_GameMap.Block(50, 5).blocked = 1;
    g_GameMap.Block(3, 3).impassable = 1;
    g_GameMap.UpdateArea(0, 0, 64, 64);

    EXPECT_EQ(At(44, 4).blocked, 1);    // steep land
    EXPECT_EQ(At(44, 5).blocked, 0);    // steep, but a unit stands there
    EXPECT_EQ(At(46, 5).blocked, 0);    // flat top of the cliff
    EXPECT_EQ(At(50, 5).blocked, 1);    // flat, but a building stands there
    EXPECT_EQ(At(10, 10).blocked, 0);   // steep, deep and all corners below 1
    EXPECT_EQ(At(20, 20).waterLevel, 20);
    EXPECT_EQ(At(20, 20).blocked, 1);   // steep and deep, one corner above the water
    EXPECT_EQ(At(19, 19).blocked, 0);   // steep and deep, corners -60 and 0
    EXPECT_EQ(At(3, 3).blocked, 1);     // marked impassable
    EXPECT_EQ(At(4, 4).blocked, 0);

    g_GameMap.Block(44, 5).unit = nullptr;
    g_GameMap.Block(50, 5).building = nullptr;
}

TEST_F(GameMapTerrain, UpdateBeyondTheMapTouchesOnlyBlocksInside)
{
    // Sentinels outside the 64 x 64 map and outside the rectangle.
    g_GameMap.Block(64, 10).waterLevel = 77;
    g_GameMap.Block(10, 64).blocked = 77;
    g_GameMap.cornerColours[65 * 257 + 10] = 0x123456;
    g_GameMap.cornerColours[10 * 257 + 65] = 0x123456;
    g_GameMap.Block(2, 2).waterLevel = 77;
    g_GameMap.Block(3, 3).waterLevel = 77;

    g_GameMap.UpdateArea(60, 60, 100, 100);
    g_GameMap.UpdateArea(-5, -5, 8, 8);   // blocks 0..2
    EXPECT_EQ(At(2, 2).waterLevel, 0);
    EXPECT_EQ(At(3, 3).waterLevel, 77);
    EXPECT_EQ(At(64, 10).waterLevel, 77);
    EXPECT_EQ(At(10, 64).blocked, 77);
    EXPECT_EQ(g_GameMap.cornerColours[65 * 257 + 10], 0x123456);
    EXPECT_EQ(g_GameMap.cornerColours[10 * 257 + 65], 0x123456);

    g_GameMap.UpdateArea(0, 0, 0, 10);   // empty: nothing
    g_GameMap.UpdateArea(70, 0, 5, 5);   // wholly outside: nothing
    EXPECT_EQ(At(3, 3).waterLevel, 77);
    g_GameMap.Block(64, 10).waterLevel = 0;
    g_GameMap.Block(10, 64).blocked = 0;
}

TEST_F(GameMapTerrain, DrawnColourFollowsTheLocalPlayersVisibility)
{
    g_Config.fogOfWar = 1;
    g_Players[0].unitSightCounts[5 * 256 + 5] = 1;
    g_GameMap.UpdateArea(0, 0, 64, 64);
    // Unseen: 255 x 50 / 100 = 127; 220 x 127 / 255 = 109.
    EXPECT_EQ(g_GameMap.drawnColours[30 * 257 + 30], 0x6D6D6D);
    // Seen with unseen neighbours: (255 + 127) / 2 = 191; 220 x 191 / 255 = 164.
    EXPECT_EQ(g_GameMap.drawnColours[5 * 257 + 5], 0xA4A4A4);
    g_Config.fogOfWar = 0;
    g_GameMap.UpdateArea(0, 0, 64, 64);
    EXPECT_EQ(g_GameMap.drawnColours[30 * 257 + 30], Grey220);
}

TEST_F(GameMapTerrain, ObjectsNearACornerCastTheirShadows)
{
    TestBuilding tree(10, 100.0f);
    tree.resourceKind = 2;
    tree.harvestable = true;
    TestBuilding stump(10, 100.0f);
    stump.resourceKind = 2;
    TestBuilding wall(9, 61.0f);
    TestBuilding lowWall(9, 60.0f);
    TestBuilding statue(18, 100.0f);
    statue.shadow = true;
    g_GameMap.Block(10, 10).building = &tree;
    g_GameMap.Block(20, 10).building = &stump;
    g_GameMap.Block(30, 10).building = &wall;
    g_GameMap.Block(40, 10).building = &lowWall;
    g_GameMap.Block(50, 10).building = &statue;
    g_GameMap.UpdateArea(0, 0, 64, 64);

    EXPECT_EQ(Colour(10, 10), 0x606060);   // harvestable tree on its own block
    EXPECT_EQ(Colour(11, 10), 0x606060);   // tree to the west
    EXPECT_EQ(Colour(11, 9), 0x808080);    // tree at (x - 1, y + 1)
    EXPECT_EQ(Colour(12, 9), 0x808080);    // tree at (x - 2, y + 1)
    EXPECT_EQ(Colour(10, 11), Grey220);
    EXPECT_EQ(Colour(20, 10), Grey220);    // no harvest, no shadow on its block
    EXPECT_EQ(Colour(21, 10), 0x606060);   // but any tree shades to the east
    EXPECT_EQ(Colour(21, 9), Grey220);
    EXPECT_EQ(Colour(31, 10), 0x606060);
    EXPECT_EQ(Colour(32, 9), 0x606060);
    EXPECT_EQ(Colour(31, 9), Grey220);
    EXPECT_EQ(Colour(41, 10), Grey220);    // a wall of 60 % casts none
    EXPECT_EQ(Colour(51, 10), 0x606060);
    EXPECT_EQ(Colour(52, 9), 0x606060);

    g_Config.buildingShadows = 0;
    g_GameMap.UpdateArea(0, 0, 64, 64);
    EXPECT_EQ(Colour(10, 10), Grey220);
    EXPECT_EQ(Colour(11, 10), Grey220);

    for (int x : {10, 20, 30, 40, 50})
        g_GameMap.Block(x, 10).building = nullptr;
}

TEST_F(GameMapTerrain, FootprintMarksTheTiltMapClippedToTheMap)
{
    TestBuilding keep;
    keep.width = 3;
    keep.depth = 2;
    keep.border = 1;

    // Grown by border 1 and margin 1: x from -2 to 4, y from -2 to 3.
    g_GameMap.PlaceBuildingFootprint(keep, 0, 0, 1, 1);
    for (int x = 0; x < 7; ++x)
        for (int y = 0; y < 6; ++y)
            EXPECT_EQ(g_GameMap.aiTiltMap[x * 256 + y], (x <= 4 && y <= 3) ? 1 : 0) << x << "," << y;

    // At the far corner: x from 60 to 66 and y from 61 to 66, cut at 63.
    g_GameMap.aiTiltMap[64 * 256 + 62] = 9;
    g_GameMap.PlaceBuildingFootprint(keep, 62, 63, 1, 2);
    EXPECT_EQ(g_GameMap.aiTiltMap[60 * 256 + 61], 2);
    EXPECT_EQ(g_GameMap.aiTiltMap[63 * 256 + 63], 2);
    EXPECT_EQ(g_GameMap.aiTiltMap[59 * 256 + 61], 0);
    EXPECT_EQ(g_GameMap.aiTiltMap[64 * 256 + 62], 9);

    g_GameMap.PlaceBuildingFootprint(keep, 0, 0, 1, -1);
    g_GameMap.PlaceBuildingFootprint(keep, 62, 63, 1, -2);
    g_GameMap.aiTiltMap[64 * 256 + 62] = 0;
    for (uint8_t cell : g_GameMap.aiTiltMap)
        ASSERT_EQ(cell, 0);
}

TEST_F(GameMapTerrain, AreaTestsKnowLandWaterAndOccupiedBlocks)
{
    SetCorners(40, 0, 64, 64, -30);   // water from block 40 on (39 is the shore)
    g_GameMap.UpdateArea(0, 0, -1, -1);
    TestUnit unit;
    g_GameMap.Block(5, 5).unit = &unit;

    EXPECT_TRUE(g_GameMap.IsAreaFree(0, 0, 4, AreaKindLand));
    EXPECT_FALSE(g_GameMap.IsAreaFree(3, 3, 4, AreaKindLand));    // the unit
    EXPECT_FALSE(g_GameMap.IsAreaFree(-1, 0, 1, AreaKindLand));
    EXPECT_FALSE(g_GameMap.IsAreaFree(-1, 0, 0, AreaKindLand));
    EXPECT_TRUE(g_GameMap.IsAreaFree(3, 3, 0, AreaKindLand));
    EXPECT_FALSE(g_GameMap.IsAreaFree(62, 62, 4, 0));              // off the map
    EXPECT_TRUE(g_GameMap.IsAreaFree(45, 10, 3, AreaKindWater));
    EXPECT_FALSE(g_GameMap.IsAreaFree(45, 10, 3, AreaKindLand));
    EXPECT_FALSE(g_GameMap.IsAreaFree(10, 10, 3, AreaKindWater));
    EXPECT_TRUE(g_GameMap.IsAreaFree(45, 10, 3, 0));
    g_GameMap.Block(46, 11).impassable = 1;
    EXPECT_FALSE(g_GameMap.IsAreaFree(45, 10, 3, AreaKindWater));

    CRangeTable disc;
    disc.InitRing(0, 128, 0);
    EXPECT_TRUE(g_GameMap.HasFreeAreaNear(5, 5, 2, 2, AreaKindLand, disc));
    EXPECT_TRUE(g_GameMap.HasFreeAreaNear(5, 5, 2, 2, AreaKindWater, disc));
    EXPECT_FALSE(g_GameMap.HasFreeAreaNear(5, 5, 30, 30, AreaKindWater, disc));
    EXPECT_TRUE(g_GameMap.HasFreeAreaNear(5, 5, 20, 20, AreaKindWater, disc));
    CRangeTable near;
    near.InitRing(0, 3, 0);
    EXPECT_FALSE(g_GameMap.HasFreeAreaNear(5, 5, 2, 2, AreaKindWater, near));
    g_GameMap.Block(5, 5).unit = nullptr;
}

TEST_F(GameMapTerrain, WaterOffsetsMoveTogetherAndWrap)
{
    g_GameMap.waterOffsets[0] = 0.0f;
    g_GameMap.waterOffsets[1] = 0.5f;
    const int32_t before = g_GameMap.waterAccumulator;
    for (int i = 0; i < 10; ++i)
        g_GameMap.AnimateWater(1);
    EXPECT_NEAR(g_GameMap.waterOffsets[0], 0.025f, 1e-6f);
    EXPECT_NEAR(g_GameMap.waterOffsets[1], 0.525f, 1e-6f);
    EXPECT_EQ(g_GameMap.waterAccumulator, before + 10);
    g_GameMap.AnimateWater(3);
    EXPECT_EQ(g_GameMap.waterAccumulator, before + 13);
    g_GameMap.waterOffsets[1] = 0.999f;
    g_GameMap.AnimateWater(1);
    EXPECT_NEAR(g_GameMap.waterOffsets[1], 0.0015f, 1e-6f);
}

TEST_F(GameMapTerrain, ProjectionTurnsAndMovesTheGroundPoint)
{
    g_GameMap.CornerHeight(3, 3) = 40;
    g_GameMap.cameraTargetX = 2.0f;
    g_GameMap.cameraTargetY = 1.0f;
    g_GameMap.viewTranslation[0] = 50.0f;
    g_GameMap.viewTranslation[1] = 50.0f;
    g_GameMap.viewTranslation[2] = 500.0f;
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(g_GameMap.viewMatrix, identity, sizeof(identity));
    float out[3];
    g_GameMap.ProjectToScreen(3.0f, 3.0f, 5.0f, out);
    EXPECT_FLOAT_EQ(out[0], 32.0f + 50.0f);
    EXPECT_FLOAT_EQ(out[1], 45.0f + 50.0f);
    EXPECT_FLOAT_EQ(out[2], -64.0f + 500.0f);
    // A matrix that swaps x and z.
    const float swap[9] = {0, 0, 1, 0, 1, 0, 1, 0, 0};
    std::memcpy(g_GameMap.viewMatrix, swap, sizeof(swap));
    g_GameMap.ProjectToScreenAtHeight(3.0f, 3.0f, 7.0f, out);
    EXPECT_FLOAT_EQ(out[0], -64.0f + 50.0f);
    EXPECT_FLOAT_EQ(out[1], 7.0f + 50.0f);
    EXPECT_FLOAT_EQ(out[2], 32.0f + 500.0f);
}
