// The invariant checker of the simulation harness notices each kind of
// damage it is meant to find.

#include <gtest/gtest.h>

#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
bool Mentions(const std::vector<std::string>& faults, const std::string& text)
{
    for (const std::string& fault : faults)
        if (fault.find(text) != std::string::npos)
            return true;
    return false;
}
}  // namespace

TEST(SimHarnessInvariants, FindsEachKindOfDamageInAnOtherwiseSoundWorld)
{
    CSimHarness world;
    world.Spawn(0, 11, 30, 30);
    CUnit* unit = world.Spawn(0, 2, 10, 10);
    world.Spawn(1, 4, 40, 10);
    world.Spawn(3, 2, 40, 40);
    CUnit* prey = world.Spawn(1, 2, 20, 20);
    EXPECT_TRUE(world.CheckInvariants().empty());

    g_GameMap.Block(12, 12).unit = unit;
    EXPECT_TRUE(Mentions(world.CheckInvariants(), "does not stand there at 12,12"));
    g_GameMap.Block(12, 12).unit = nullptr;
    g_GameMap.Block(10, 10).unit = nullptr;
    EXPECT_TRUE(Mentions(world.CheckInvariants(), "footprint block does not hold it at 10,10"));
    g_GameMap.Block(10, 10).unit = unit;

    ++world.Player(3).unitSightCounts[5 * MapBlockSide + 6];
    EXPECT_TRUE(Mentions(world.CheckInvariants(), "player 3 sight count differs at 5,6"));
    --world.Player(3).unitSightCounts[5 * MapBlockSide + 6];

    ++world.Player(1).unitsByType[4];
    EXPECT_TRUE(Mentions(world.CheckInvariants(), "player 1 counts type 4 wrongly"));
    --world.Player(1).unitsByType[4];

    world.Delete(prey);
    unit->followedUnit = prey;
    EXPECT_TRUE(Mentions(world.CheckInvariants(), "followed unit is a dead pointer"));
    unit->followedUnit = nullptr;
    EXPECT_TRUE(world.CheckInvariants().empty());
}
