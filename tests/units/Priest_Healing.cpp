// An idle priest heals through the real simulation step: only its own
// player's wounded units, never an ally nearer to it nor itself, one hit
// point a step (three with unit hit points tripled), a step every 12.5
// ticks, until the patient is whole.

#include <gtest/gtest.h>

#include <vector>

#include "core/C_Config.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"

TEST(PriestHealing, AnIdlePriestHealsItsOwnWarriorWholeStepByStepButNeitherAnAllyNorItself)
{
    constexpr int32_t Own = 0;
    constexpr int32_t Ally = 2;
    constexpr int32_t WarriorHitPoints = 50;
    constexpr int32_t StepsToWhole = WarriorHitPoints / 2;   // from 50 % at one hit point a step
    for (const bool tripled : {false, true})
    {
        SCOPED_TRACE(tripled ? "hit points tripled" : "plain hit points");
        CMeleeWorld world;
        g_Config.unitHealthMultiply = tripled ? 1 : 0;
        InitTypeRecords();
        world.world.Player(Own).allied[Ally] = 1;
        world.world.Player(Ally).allied[Own] = 1;
        CUnit* ally = world.Spawn(Ally, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        CUnit* warrior = world.Spawn(Own, UNIT_WARRIOR, 13, 10, STANCE_STAND_GROUND);
        ASSERT_TRUE(ally != nullptr && warrior != nullptr);
        ally->health = warrior->health = 50.0f;
        CUnit* priest = world.Spawn(Own, UNIT_PRIEST, 10, 10, STANCE_STAND_GROUND);
        ASSERT_NE(priest, nullptr);
        priest->health = 50.0f;

        std::vector<int32_t> steps;
        float last = warrior->health;
        int32_t frame = 0;
        ASSERT_GT(world.FramesUntil(1000, [&] {
            ++frame;
            if (warrior->health != last)
            {
                // Each step is one hit point of fifty, or three of 150.
                EXPECT_NEAR(warrior->health - last, 2.0f, 1e-3f) << "frame " << frame;
                steps.push_back(frame);
            }
            last = warrior->health;
            return warrior->health == CUnit::FullHealth;
        }), 0);
        ASSERT_EQ(static_cast<int32_t>(steps.size()), StepsToWhole);
        // 24 intervals of 12.5 ticks.
        EXPECT_NEAR(steps.back() - steps.front(), 300, 1);
        EXPECT_GT(world.FramesUntil(50, [&] { return priest->animType == ANIM_STAND; }), 0);
        EXPECT_EQ(priest->targetUnit, nullptr);
        EXPECT_EQ(ally->health, 50.0f);
        EXPECT_EQ(priest->health, 50.0f);
        EXPECT_EQ(world.firstFault, "");
    }
}
