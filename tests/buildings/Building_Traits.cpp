// What each building class answers before the type catalogue adds its
// behaviour: the flags of its cast, its sounds and its place on the map.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "tests/buildings/BuildingWorld.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
struct SExpectedFlags
{
    int32_t cast;
    bool listed, givesSight, convertible, storageWhenFinished, shownOnMinimap, townBuilding;
    int32_t drawClass, points, selectSample, border;
};

const SExpectedFlags ExpectedFlags[] = {
    {1, true, true, true, false, true, true, 2, 130, 186, 3},   {2, true, true, true, false, true, true, 2, 100, 187, 3},
    {3, true, true, true, false, true, true, 2, 80, 188, 1},    {4, true, true, true, false, true, true, 2, 80, 189, 1},
    {5, true, true, true, false, true, true, 2, 1, 190, 1},     {6, true, true, true, false, true, true, 2, 10, 191, 0},
    {7, true, true, true, true, true, false, 2, 0, 192, 1},     {8, true, true, true, false, true, true, 2, 50, 193, 1},
    {9, false, true, false, false, true, true, 1, 0, 255, 0},   {11, true, true, true, true, true, true, 2, 200, 194, 4},
    {12, true, false, false, false, false, false, 0, 0, 255, 0}, {13, true, true, true, false, true, false, 2, 50, 195, 1},
    {15, true, true, true, false, true, true, 2, 100, 196, 3},
};

class BuildingTraits : public ::testing::Test
{
protected:
    CBuilding* Make(int32_t cast)
    {
        CBuilding* building = m_World.Player(1).BuildingFactory(cast, 0, 0, 0);
        m_World.Track(building, false, false);
        return building;
    }

    BuildingWorld m_World;
};
}  // namespace

TEST_F(BuildingTraits, EveryCastAnswersTheFlagsOfItsRow)
{
    for (const SExpectedFlags& expected : ExpectedFlags)
    {
        CBuilding* building = Make(expected.cast);
        ASSERT_NE(building, nullptr) << expected.cast;
        EXPECT_EQ(building->IsListed(), expected.listed) << expected.cast;
        EXPECT_EQ(building->GivesSight(), expected.givesSight) << expected.cast;
        EXPECT_EQ(building->CanBeConverted(), expected.convertible) << expected.cast;
        EXPECT_FALSE(building->IsStorage()) << expected.cast;
        building->buildProgress = CBuilding::FinishedProgress;
        EXPECT_EQ(building->IsStorage(), expected.storageWhenFinished) << expected.cast;
        EXPECT_EQ(building->IsShownOnMinimap(), expected.shownOnMinimap) << expected.cast;
        EXPECT_EQ(building->IsTownBuilding(), expected.townBuilding) << expected.cast;
        EXPECT_EQ(building->GetDrawClass(), expected.drawClass) << expected.cast;
        EXPECT_EQ(building->GetPointValue(), expected.points) << expected.cast;
        EXPECT_EQ(building->GetFootprintBorder(), expected.border) << expected.cast;
        int32_t sample = 0;
        int32_t variants = 0;
        building->GetSelectSound(&sample, &variants);
        EXPECT_EQ(sample, expected.selectSample) << expected.cast;
        EXPECT_EQ(variants, 1);
    }
}

TEST_F(BuildingTraits, SoundIsLouderWhereTheLocalPlayerSees)
{
    CBuilding* barracks = Make(2);
    barracks->x = 10;
    barracks->y = 10;
    // The centre block is (12, 13).
    barracks->PlaySound(100, 1, false);
    m_World.Player(0).RevealArea(12, 13, 12, 13, 255);
    barracks->PlaySound(100, 4, false);
    const auto& played = m_World.Services().playedSamples;
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].sample, 100);
    EXPECT_EQ(played[0].volume, 50);
    EXPECT_GE(played[1].sample, 100);
    EXPECT_LE(played[1].sample, 103);
    EXPECT_EQ(played[1].volume, 100);
}

TEST_F(BuildingTraits, IslandAndVisibilityAreThoseOfTheCentreBlock)
{
    CBuilding* house = Make(5);
    house->x = 20;
    house->y = 30;
    // 3 x 2: the centre block is (21, 31).
    g_GameMap.Block(21, 31).regionId = 42;
    EXPECT_EQ(house->GetIslandId(), 42);
    EXPECT_TRUE(house->IsOnIsland(42));
    EXPECT_FALSE(house->IsOnIsland(41));
    house->x = -10;
    EXPECT_EQ(house->GetIslandId(), NoRegion);
    house->x = 20;

    g_Config.fogOfWar = 1;
    EXPECT_FALSE(house->IsVisibleToLocalPlayer());
    house->owner = 0;
    EXPECT_TRUE(house->IsVisibleToLocalPlayer());
    house->owner = 1;
    g_Config.fogOfWar = 0;
    EXPECT_TRUE(house->IsVisibleToLocalPlayer());
}
