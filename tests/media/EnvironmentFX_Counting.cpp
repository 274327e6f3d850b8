// What the ambient sound counts in view, its shares and its looping sounds.

#include <gtest/gtest.h>

#include "EnvironmentWorld.h"
#include "tests/support/PlayerTestObjects.h"

namespace
{
using Call = RecordingSampleBank::Call;

int32_t Share(int32_t count, int32_t factor)
{
    return std::min(count * 100 / g_EnvironmentFX.sampleCount * factor, 100);
}
} // namespace

class EnvironmentFXCounting : public ::testing::Test
{
protected:
    EnvironmentWorld world;
};

// A tree is not also a building, docks are water, a decoration nothing.
TEST_F(EnvironmentFXCounting, EachCellCountsAsOneKindOnly)
{
    EnvironmentWorld::Flood(20, 20, 30, 24, 3);
    EnvironmentWorld::Flood(40, 40, 45, 44, 8);
    TestBuilding docks(13, 0, 0), statue(18, 0, 1), rock(10, 3, 0), tree(10, 2, 0), house(1, 0, 0);
    tree.fireAmount = 5;
    house.fireAmount = 1;
    EnvironmentWorld::Stand(&docks, 30, 30, 32, 32);
    EnvironmentWorld::Stand(&statue, 33, 30, 35, 32);
    EnvironmentWorld::Stand(&rock, 36, 30, 38, 32);
    EnvironmentWorld::Stand(&tree, 30, 34, 32, 36);
    EnvironmentWorld::Stand(&house, 34, 34, 37, 37);
    g_EnvironmentFX.Update();
    const CEnvironmentFX& fx = g_EnvironmentFX;
    ASSERT_EQ(fx.sampleCount, fx.viewList.count);
    EXPECT_EQ(fx.trees.count, 4);
    EXPECT_EQ(fx.shallowWater.count, 40 + 4);
    EXPECT_EQ(fx.sea.count, 20);
    EXPECT_EQ(fx.buildings.count, 4 + 9);
    EXPECT_EQ(fx.fires.count, 4 * 5 + 9);
    EXPECT_EQ(fx.openLand.count, fx.sampleCount - 40 - 20 - 4 * 4 - 9);
    EXPECT_EQ(fx.shallowWater.volume, Share(44, 3));
    EXPECT_EQ(fx.fires.volume, Share(29, 10));
    EXPECT_EQ(fx.openLand.volume, std::min(int32_t(double(fx.openLand.count * 100 / fx.sampleCount) * 1.3), 100));
}

TEST_F(EnvironmentFXCounting, AnEmptyViewGivesNoShareAndStopsEverySound)
{
    std::memset(world.Local().exploredMap, 0, sizeof(world.Local().exploredMap));
    EnvironmentWorld::Weather(WEATHER_RAIN, 200);
    g_EnvironmentFX.Update();
    for (const Call& call : world.bank.calls)
        EXPECT_EQ(call.what, "stopbank");
    EXPECT_EQ(world.bank.calls.size(), 8u);
    EXPECT_EQ(g_EnvironmentFX.rainLevel, 0);
    // Without a view list nothing is divided by its empty count.
    g_EnvironmentFX.viewList.Free();
    g_EnvironmentFX.Update();
    EXPECT_EQ(g_EnvironmentFX.sampleCount, 0);
    EXPECT_EQ(g_EnvironmentFX.openLand.volume, 0);
}

// The fire loop is stopped with the rain when a new map starts: forgotten,
// it would sound on over the next map.
TEST_F(EnvironmentFXCounting, AFireLoopsFromOneRequestAndANewMapStopsItWithTheRain)
{
    TestBuilding house(1, 0, 0);
    house.fireAmount = 10;   // on 5 x 5 blocks: 250 in all
    EnvironmentWorld::Stand(&house, 30, 30, 35, 35);
    EnvironmentWorld::Weather(WEATHER_RAIN, 30);
    g_EnvironmentFX.Update();
    g_EnvironmentFX.Update();
    const int32_t fire = Share(250, 10);
    EXPECT_EQ(world.bank.Take(217, 218), (std::vector<Call>{{"loop", 218, 1, 30}, {"volume", 218, 1, 30},
                                                            {"loop", 217, 1, fire}, {"volume", 217, 1, fire}}));
    world.bank.calls.clear();
    g_EnvironmentFX.InitEnvironment(true);
    EXPECT_EQ(world.bank.calls, (std::vector<Call>{{"stop", 218, 1, 0}, {"stop", 217, 1, 0}}));
}
