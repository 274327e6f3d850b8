// A priest in the real simulation step: it heals its own wounded, runs
// from attackers or, with the technologies, throws fireballs back.

#include <cmath>

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
        CUnitTowerArcher probe;
        probe.player = 1;
        int32_t sight = probe.GetSightRadius();
        // The warrior stands on the 2 x 2 tower's centre block.
        if (fromTower)
            priest->onAttacked(nullptr, world.world.Player(1).CreateBuilding(CastTower, 23, 20));
        else if (CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 24, 21, STANCE_STAND_GROUND))
        {
            sight = warrior->GetSightRadius();
            priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
            EXPECT_EQ(priest->attacker, warrior);
        }
        ASSERT_EQ(priest->currentCommand, CMD_RUNAWAY);
        bool turned = false;
        EXPECT_GT(world.FramesUntil(800, [&] {
            turned = turned || priest->currentCommand == CMD_ATTACK;
            return priest->currentCommand != CMD_RUNAWAY && !priest->pathFlag;
        }), 0);
        EXPECT_FALSE(turned);
        // Toward the band of sight + 1 to twice the sight around the attacker:
        // the route ends on the last block before it, one step short.
        const int32_t blocks = GlobalFunc::Distance(priest->x, priest->y, 24, 21) / 10;
        EXPECT_TRUE(blocks >= sight - 1 && blocks <= 2 * sight) << priest->x << "," << priest->y;
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
            priest->TakeHit(warrior, 1, DAMAGE_BLADE, true);
        else
            priest->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
        ASSERT_EQ(priest->currentCommand, CMD_ATTACK);
        // A fireball (5 of the warrior's 50 hit points) from where it stands.
        const int32_t frames = world.FramesUntil(200, [&] { return warrior->health < CUnit::FullHealth; });
        EXPECT_TRUE((frames > 0) == pyro && priest->x == 10);
        if (pyro)
            EXPECT_FLOAT_EQ(warrior->health, 90.0f);
        else
            EXPECT_NE(priest->currentCommand, CMD_ATTACK);
        EXPECT_EQ(world.firstFault, "");
    }
}

TEST(PriestHealing, AnIdlePriestHealsItsOwnWarriorWholeStepByStepButNeitherAnAllyNorItself)
{
    for (const bool tripled : {false, true})
    {
        SCOPED_TRACE(tripled ? "hit points tripled" : "plain hit points");
        CMeleeWorld world;
        g_Config.unitHealthMultiply = tripled ? 1 : 0;
        InitTypeRecords();
        world.world.Player(0).allied[2] = world.world.Player(2).allied[0] = 1;
        CUnit* ally = world.Spawn(2, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, 13, 10, STANCE_STAND_GROUND);
        CUnit* priest = world.Spawn(0, UNIT_PRIEST, 10, 10, STANCE_STAND_GROUND);
        ally->health = warrior->health = priest->health = 50.0f;
        // Each step is one hit point of fifty, or three of 150.
        std::vector<int32_t> steps;
        float last = warrior->health;
        int32_t frame = 0;
        ASSERT_GT(world.FramesUntil(1000, [&] {
            ++frame;
            if (warrior->health != last)
                steps.push_back(frame);
            EXPECT_TRUE(warrior->health == last || std::fabs(warrior->health - last - 2.0f) < 1e-3f) << frame;
            last = warrior->health;
            return warrior->health == CUnit::FullHealth;
        }), 0);
        // 25 steps from 50 %, 24 intervals of 12.5 ticks.
        ASSERT_EQ(steps.size(), 25u);
        EXPECT_NEAR(steps.back() - steps.front(), 300, 1);
        EXPECT_GT(world.FramesUntil(50, [&] { return priest->animType == ANIM_STAND; }), 0);
        EXPECT_TRUE(priest->targetUnit == nullptr && ally->health == 50.0f && priest->health == 50.0f);
        EXPECT_EQ(world.firstFault, "");
    }
}
