// Whether and how far a fighter goes after an enemy by itself: the stance,
// the guard post it returns to, and the leash of its sight radius.

#include <gtest/gtest.h>

#include "core/GlobalFunc.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t PostX = 10;
constexpr int32_t PostY = 10;

struct SStanceCase
{
    int32_t stance;
    bool fights;
};

const SStanceCase StanceCases[] = {
    {STANCE_AGGRESSIVE, true},
    {STANCE_DEFENSIVE, true},
    {STANCE_STAND_GROUND, false},
};
}  // namespace

TEST(MeleeStance, OnlyAStandGroundUnitIgnoresAnIdleEnemyAnEnemyInSightAndAHit)
{
    for (const SStanceCase& row : StanceCases)
    {
        SCOPED_TRACE(row.stance);
        CMeleeWorld melee;
        CUnit* guard = melee.Spawn(0, UNIT_WARRIOR, PostX, PostY, row.stance);
        // The enemy stands ground: it never starts anything itself.
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + 3, PostY, STANCE_STAND_GROUND);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, row.fights) << "idle";
        // An enemy walking into sight.
        guard->Stop();
        guard->currentCommand = CMD_NONE;
        guard->onEnemySighted(enemy);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, row.fights) << "sighted";
        // A hit.
        guard->Stop();
        guard->currentCommand = CMD_NONE;
        guard->TakeHit(enemy, 1, 1, true);
        EXPECT_EQ(guard->attacker == enemy, row.fights) << "hit";
        const float before = enemy->health;
        for (int32_t frame = 0; frame < 300; ++frame)
            melee.Frame();
        EXPECT_EQ(enemy->health < before, row.fights);
        EXPECT_EQ(melee.firstFault, "");
    }
}

TEST(MeleeStance, AHumansWalkingUnitKeepsWalkingWhenHitAComputersTurns)
{
    for (const int32_t owner : {0, 2})
    {
        CMeleeWorld melee;
        CUnit* walker = melee.Spawn(owner, UNIT_WARRIOR, PostX, PostY, STANCE_AGGRESSIVE);
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + 5, PostY, STANCE_STAND_GROUND);
        walker->onCommand(nullptr, nullptr, nullptr, PostX, PostY + 20, CMD_MOVE_TO);
        walker->animType = ANIM_WALK;
        walker->TakeHit(enemy, 1, 1, true);
        EXPECT_EQ(walker->currentCommand == CMD_ATTACK, owner != 0) << "owner " << owner;
    }
}

TEST(MeleeStance, ADefensiveWarriorChasesKillsAndWalksBackToItsPost)
{
    CMeleeWorld melee;
    CUnit* guard = melee.world.Spawn(0, UNIT_WARRIOR, PostX, PostY);
    const int32_t reach = std::min(guard->GetSightRadius(), 7);
    ASSERT_GE(reach, 5);
    CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + reach, PostY, STANCE_STAND_GROUND);
    // One hit point left: the first blow kills.
    enemy->health = 100.0f / enemy->GetMaxHitPoints() + 0.5f;
    guard->stance = STANCE_DEFENSIVE;
    guard->Stop();
    EXPECT_EQ(guard->lastOrder, LAST_ORDER_GUARD);
    EXPECT_EQ(guard->returnX, PostX);
    EXPECT_EQ(guard->returnY, PostY);
    ASSERT_GT(melee.FramesUntil(1500, [&] { return enemy->IsDying(); }), 0);
    const bool back = melee.FramesUntil(1500, [&] {
        return guard->x == PostX && guard->y == PostY && guard->animType == ANIM_STAND && guard->pathFlag == 0;
    }) > 0;
    EXPECT_TRUE(back) << "at " << guard->x << "," << guard->y << " command " << guard->currentCommand;
    EXPECT_EQ(guard->returnX, -1);
    EXPECT_EQ(melee.firstFault, "");
}

TEST(MeleeStance, AGuardStraysNoFurtherThanItsSightFromItsPost)
{
    CMeleeWorld melee;
    CUnit* guard = melee.world.Spawn(0, UNIT_WARRIOR, PostX, PostY);
    CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + 2, PostY, STANCE_STAND_GROUND);
    const int32_t sight = guard->GetSightRadius();
    // The enemy runs off along the row, faster than the guard.
    enemy->speed = guard->speed * 2.0f;
    enemy->onCommand(nullptr, nullptr, nullptr, PostX + 30, PostY, CMD_MOVE_TO);
    guard->stance = STANCE_DEFENSIVE;
    guard->Stop();
    ASSERT_EQ(guard->targetUnit, enemy);
    int32_t farthest = 0;
    for (int32_t frame = 0; frame < 1000; ++frame)
    {
        melee.Frame();
        farthest = std::max(farthest, GlobalFunc::Distance(guard->x, guard->y, PostX, PostY) / 10);
    }
    EXPECT_LE(farthest, sight);
    EXPECT_GT(farthest, 0);
    EXPECT_EQ(guard->x, PostX);
    EXPECT_EQ(guard->y, PostY);
    EXPECT_EQ(melee.firstFault, "");
}
