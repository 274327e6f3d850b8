// The checks the simulation step makes on every unit before its tick: a
// negative animation frame is logged, and a dead unit that is not dying is
// logged with its unit log and made to die where its owner's machine runs.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "effects/C_Particles.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
// The warrior's Die animation: 30 frames at 0.6 a tick.
constexpr int32_t DieTicks = 50;
constexpr int32_t ClientRole = 2;
}  // namespace

TEST(SimulationUnitChecks, AStarvedDeadUnitIsLoggedDiesAndLeavesACorpse)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* unit = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    CTestLog log;
    // 0 living hit points, neither alive nor dying.
    unit->starvation = CUnit::MaxStarvation;
    ASSERT_FALSE(unit->IsAlive());
    ASSERT_FALSE(unit->IsDying());
    world.Frame(1);
    EXPECT_EQ(log.Count("#DEBUG: Invalid animation type for a dead unit"), 1);
    EXPECT_TRUE(log.Contains("#DEBUG: unit log - START"));
    EXPECT_TRUE(log.Contains("PlayerID=1"));
    EXPECT_TRUE(log.Contains("Pos=10,10"));
    EXPECT_TRUE(log.Contains("CastID=2"));
    EXPECT_TRUE(log.Contains("#DEBUG: unit log - END"));
    EXPECT_TRUE(unit->IsDying());
    EXPECT_EQ(unit->animType, ANIM_DIE);
    for (int32_t tick = 0; tick < DieTicks; ++tick)
        world.Frame(1);
    EXPECT_EQ(log.Count("#DEBUG: Invalid animation type for a dead unit"), 1);
    EXPECT_TRUE(g_Particles.HoldsCorpse(unit));
    EXPECT_FALSE(world.Player(1).HasUnit(unit));
    EXPECT_EQ(g_GameMap.Block(10, 10).unit, nullptr);
    const std::vector<std::string> faults = world.CheckInvariants();
    EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults.front());
}

TEST(SimulationUnitChecks, ANegativeFrameIsLoggedEachTick)
{
    CSimHarness world;
    CUnit* unit = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    CTestLog log;
    unit->animFrame = -5.0f;
    world.Frame(2);
    EXPECT_GE(log.Count("#DEBUG: Unit Animframe < 0"), 1);
    EXPECT_FALSE(log.Contains("#DEBUG: Invalid animation type for a dead unit"));
}

// In a network game only the owner's machine lets a unit die; the others
// wait for its death command.
TEST(SimulationUnitChecks, ADeadUnitOfAnotherMachineIsLeftToItsOwner)
{
    CSimHarness world;
    CUnit* unit = world.Spawn(3, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    g_Config.networkRole = ClientRole;
    CTestLog log;
    unit->health = 0.0f;
    world.Frame(1);
    EXPECT_FALSE(log.Contains("#DEBUG: Invalid animation type for a dead unit"));
    EXPECT_FALSE(unit->IsDying());
    g_Config.networkRole = 0;
}
