// An archer shoots a warrior dead through the real simulation step: when
// the first arrow leaves, how often the next follow, how many it takes.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/C_Particles.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitRangedType.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

TEST(RangedDuel, AnArcherSixBlocksAwayShootsAStandingWarriorDeadArrowByArrow)
{
    CMeleeWorld ranged;
    g_Particles.Reset();
    CUnit* archer = ranged.Spawn(0, UNIT_ARCHER, 10, 10, STANCE_STAND_GROUND);
    CUnit* warrior = ranged.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
    ASSERT_TRUE(archer != nullptr && warrior != nullptr);
    archer->facing = archer->shownFacing = 90;   // the draw starts with the attack
    int32_t base = 0;
    int32_t bonus = 0;
    const float perArrow = static_cast<float>(archer->GetAttack(&base, &bonus)) * warrior->GetDamageFactorB();
    const int32_t arrowsToKill = static_cast<int32_t>(std::ceil((warrior->GetMaxHitPoints() - 0.999f) / perArrow));
    const float speed = archer->GetAttackAnimSpeed();
    archer->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_ATTACK);
    ASSERT_GT(ranged.FramesUntil(10, [&] { return archer->animType == ANIM_ATTACK; }), 0);

    const int32_t& shots = ranged.world.Player(0).statistics[STAT_ARROWS_SHOT];
    std::vector<int32_t> releases;
    int32_t arrowsTaken = 0;
    float lastHealth = warrior->health;
    int32_t frame = 0;
    ASSERT_GT(ranged.FramesUntil(2000, [&] {
        ++frame;
        if (static_cast<int32_t>(releases.size()) < shots)
            releases.push_back(frame);
        arrowsTaken += warrior->health < lastHealth ? 1 : 0;
        lastHealth = warrior->health;
        return warrior->GetLife() == UnitLife::Corpse;
    }), 0);
    EXPECT_EQ(arrowsTaken, arrowsToKill);
    ASSERT_EQ(static_cast<int32_t>(releases.size()), arrowsToKill);
    EXPECT_EQ(releases[0], static_cast<int32_t>(std::ceil(9.0f / speed)));
    // Each cycle draws to the last frame and starts again at 0.
    for (size_t i = 1; i < releases.size(); ++i)
        EXPECT_EQ(releases[i] - releases[i - 1], std::ceil(CMeleeWorld::FrameCount / speed)) << "arrow " << i;
    EXPECT_EQ(ranged.world.Player(0).statistics[STAT_UNITS_KILLED], 1);
    ranged.FramesUntil(100, [&] { return archer->animType == ANIM_STAND; });
    EXPECT_EQ(archer->animType, ANIM_STAND);
    EXPECT_EQ(static_cast<CUnitRangedType*>(archer)->shotReleased, 0);
    EXPECT_EQ(ranged.firstFault, "");
}

TEST(RangedDuel, AnIdleAggressiveArcherShootsAnEnemyInSightFromWhereItStands)
{
    CMeleeWorld ranged;
    CUnit* warrior = ranged.Spawn(1, UNIT_WARRIOR, 16, 10, STANCE_STAND_GROUND);
    CUnit* archer = ranged.Spawn(0, UNIT_ARCHER, 10, 10, STANCE_AGGRESSIVE);
    ASSERT_TRUE(archer != nullptr && warrior != nullptr);
    ASSERT_GT(ranged.FramesUntil(300, [&] { return ranged.world.Player(0).statistics[STAT_ARROWS_SHOT] > 0; }), 0);
    EXPECT_EQ(archer->x, 10);
    EXPECT_EQ(archer->actionTargetUnit, warrior);
}
