// A priest under attack: without TC_PRIEST_ATT_1 it runs out of the
// attacker's sight, from a warrior or from a tower that has no archer left,
// and never turns on what hit it; with it (and TC_PYRO) it throws
// fireballs back from where it stands; an attack order without TC_PYRO
// ends once in range.

#include <gtest/gtest.h>

#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TowerArcher.h"

namespace
{
constexpr int32_t PriestAttack = 50;   // TC_PRIEST_ATT_1
constexpr int32_t Pyro = 54;           // TC_PYRO
}  // namespace

TEST(PriestAttacked, WithoutTheTechnologyItRunsOutOfSightOfAWarriorOrOfATowerWithNoArcher)
{
    for (const bool fromTower : {false, true})
    {
        SCOPED_TRACE(fromTower ? "tower without archers" : "warrior");
        CMeleeWorld world;
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 20, 20, STANCE_AGGRESSIVE);
        ASSERT_NE(priest, nullptr);
        // The 2 x 2 tower's centre block, or the warrior's.
        int32_t fromX = 24;
        int32_t fromY = 21;
        int32_t sight = 0;
        if (fromTower)
        {
            CUnitTowerArcher probe;
            probe.player = 1;
            sight = probe.GetSightRadius();
            priest->onAttacked(nullptr, world.world.Player(1).CreateBuilding(CastTower, 23, 20));
        }
        else
        {
            CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, fromX, fromY, STANCE_STAND_GROUND);
            ASSERT_NE(warrior, nullptr);
            sight = warrior->GetSightRadius();
            priest->TakeHit(warrior, 1, 1, true);
            EXPECT_EQ(priest->attacker, warrior);
        }
        ASSERT_EQ(priest->currentCommand, CMD_RUNAWAY);
        bool turned = false;
        const int32_t frames = world.FramesUntil(800, [&] {
            turned = turned || priest->currentCommand == CMD_ATTACK;
            return priest->currentCommand != CMD_RUNAWAY && !priest->pathFlag;
        });
        EXPECT_GT(frames, 0);
        EXPECT_FALSE(turned);
        // Toward the band of sight + 1 to twice the sight around the attacker:
        // the route ends on the last block before it, one step short.
        const int32_t blocks = GlobalFunc::Distance(priest->x, priest->y, fromX, fromY) / 10;
        EXPECT_GE(blocks, sight - 1) << priest->x << "," << priest->y;
        EXPECT_LE(blocks, 2 * sight);
        EXPECT_EQ(world.firstFault, "");
    }
}

TEST(PriestAttacked, WithBothTechnologiesItThrowsFireballsBackAndWithoutPyroAnAttackOrderStops)
{
    for (const bool pyro : {true, false})
    {
        SCOPED_TRACE(pyro ? "with TC_PYRO" : "without TC_PYRO");
        CMeleeWorld world;
        world.world.Research(0, PriestAttack);
        if (pyro)
            world.world.Research(0, Pyro);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_AGGRESSIVE);
        CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(priest != nullptr && warrior != nullptr);
        if (pyro)
            priest->TakeHit(warrior, 1, 1, true);
        else
            priest->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_EQ(priest->currentCommand, CMD_ATTACK);
        // A fireball (5 of the warrior's 50 hit points) from where it stands.
        const int32_t frames = world.FramesUntil(200, [&] { return warrior->health < CUnit::FullHealth; });
        EXPECT_EQ(frames > 0, pyro);
        EXPECT_EQ(priest->x, 10);
        if (pyro)
            EXPECT_FLOAT_EQ(warrior->health, 90.0f);
        else
            EXPECT_NE(priest->currentCommand, CMD_ATTACK);
        EXPECT_EQ(world.firstFault, "");
    }
}
