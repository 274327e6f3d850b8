// What a fighter does by itself: the stance, the guard post it returns to, the leash of its sight, what
// it finds before each step, and what a network game's owner broadcasts and decides.

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t PostX = 10;
constexpr int32_t PostY = 10;
}  // namespace

// The enemy 3 blocks off, or as far as a warrior sees (8) and one block further, where it is not answered
// until it strikes.
TEST(MeleeStance, OnlyAStandGroundUnitIgnoresAnIdleEnemyAnEnemyInSightAndAHit)
{
    const struct { int32_t stance, blocks; } cases[] = {{STANCE_AGGRESSIVE, 3}, {STANCE_DEFENSIVE, 3},
        {STANCE_STAND_GROUND, 3}, {STANCE_AGGRESSIVE, 8}, {STANCE_AGGRESSIVE, 9}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "stance " << c.stance << ", " << c.blocks << " blocks");
        const bool fights = c.stance != STANCE_STAND_GROUND;
        const bool answers = fights && c.blocks <= 8;
        CMeleeWorld melee;
        CUnit* guard = melee.Spawn(0, UNIT_WARRIOR, PostX, PostY, c.stance);
        // The enemy stands ground: it never starts anything itself.
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + c.blocks, PostY, STANCE_STAND_GROUND);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, answers) << "idle";
        guard->Stop();
        guard->currentCommand = CMD_NONE;
        guard->onEnemySighted(enemy);
        EXPECT_EQ(guard->currentCommand == CMD_ATTACK, answers) << "sighted";
        guard->Stop();
        guard->currentCommand = CMD_NONE;
        guard->TakeHit(enemy, 1, DAMAGE_BLADE, true);
        EXPECT_EQ(guard->attacker == enemy, fights) << "hit";
        for (int32_t frame = 0; frame < 300; ++frame)
            melee.Frame();
        EXPECT_TRUE((enemy->health < CUnit::FullHealth) == fights);
    }
}

TEST(MeleeStance, ADefensiveGuardChasesNoFurtherThanItsSightKillsAndWalksBackToItsPost)
{
    for (const bool fleeing : {false, true})
    {
        SCOPED_TRACE(fleeing ? "the enemy runs off" : "the enemy stands");
        CMeleeWorld melee;
        CUnit* guard = melee.world.Spawn(0, UNIT_WARRIOR, PostX, PostY);
        const int32_t sight = guard->GetSightRadius();
        CUnit* enemy = melee.Spawn(1, UNIT_WARRIOR, PostX + (fleeing ? 2 : 5), PostY, STANCE_STAND_GROUND);
        if (fleeing)
        {
            // Along the row, faster than the guard.
            enemy->speed = guard->speed * 2.0f;
            enemy->onCommand(nullptr, nullptr, nullptr, PostX + 30, PostY, CMD_MOVE_TO);
        }
        else
        {
            enemy->health = 100.0f / enemy->GetMaxHitPoints() + 0.5f;   // the first blow kills
        }
        guard->stance = STANCE_DEFENSIVE;
        guard->Stop();
        EXPECT_TRUE(guard->lastOrder == LAST_ORDER_GUARD && guard->returnX == PostX && guard->returnY == PostY);
        ASSERT_EQ(guard->targetUnit, enemy);
        int32_t farthest = 0;
        const bool back = melee.FramesUntil(1500, [&] {
            farthest = std::max(farthest, GlobalFunc::Distance(guard->x, guard->y, PostX, PostY) / 10);
            return farthest > 0 && guard->x == PostX && guard->y == PostY && guard->animType == ANIM_STAND &&
                   guard->pathFlag == 0 && (fleeing || enemy->IsDying());
        }) > 0;
        EXPECT_TRUE(back) << "at " << guard->x << "," << guard->y << " command " << guard->currentCommand;
        EXPECT_EQ(enemy->IsDying(), !fleeing);
        // The leash pulls before a step beyond the sight; that step is taken.
        EXPECT_EQ(farthest, fleeing ? sight + 1 : 4);
        EXPECT_TRUE(guard->returnX == -1);
    }
}

// The catapult's scan reads the same band of its own sight circle and keeps the same leash.
TEST(MeleePatrol, APatrolScansOnlyTheOuterThreeBlocksOfItsSight)
{
    for (const int32_t type : {UNIT_WARRIOR, UNIT_CATAPULT})
    {
        SCOPED_TRACE(type);
        CMeleeWorld melee;
        // Standing ground: enemies coming into sight start nothing, the scan does.
        CUnit* patrol = melee.Spawn(0, type, PostX, PostY, STANCE_STAND_GROUND);
        const int32_t sight = patrol->GetSightRadius();
        const int32_t cx = patrol->GetCentreCellX();
        const int32_t cy = patrol->GetCentreCellY();
        ASSERT_NE(melee.Spawn(1, UNIT_WARRIOR, cx + sight - 4, cy, STANCE_STAND_GROUND), nullptr);
        patrol->onCommand(nullptr, nullptr, nullptr, 40, PostY, CMD_PATROL);
        bool engaged = false;
        patrol->SeekTargetOnPatrol(PostX, PostY + 1, &engaged);
        EXPECT_EQ(patrol->currentCommand, CMD_PATROL) << "an enemy nearer than the ring";
        CUnit* edge = melee.Spawn(1, UNIT_WARRIOR, cx, cy + sight - 3, STANCE_STAND_GROUND);
        patrol->SeekTargetOnPatrol(PostX, PostY + 1, &engaged);
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_ATTACK && patrol->targetUnit == edge);
        // It comes back to the patrol from where it left it, once a step would
        // take it beyond its sight from there; that step is still taken.
        EXPECT_TRUE(patrol->returnX == PostX && patrol->returnY == PostY);
        patrol->SeekTargetOnPatrol(PostX + sight, PostY, &engaged);
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_ATTACK);
        patrol->SeekTargetOnPatrol(PostX + sight + 1, PostY, &engaged);
        EXPECT_TRUE(!engaged && patrol->currentCommand == CMD_PATROL && patrol->returnX == -1);
    }
}

TEST(MeleePatrol, AnEnemyOnTheNextTileIsStruckByAttackersAndComputerPlayersUnits)
{
    // Player 0 human, 1 computer.
    const struct { int32_t type, player, command, enemyY; bool strikes; } cases[] = {
        {UNIT_WARRIOR, 0, CMD_ATTACK, 10, true}, {UNIT_WARRIOR, 0, CMD_MOVE_TO, 10, false},
        {UNIT_WARRIOR, 1, CMD_MOVE_TO, 10, true},
        // Stepping east from (10, 10) the giant enters (12, 10) and (12, 11); a friend stands on the other one.
        {UNIT_GIANT, 1, CMD_PATROL, 10, true}, {UNIT_GIANT, 1, CMD_PATROL, 11, true}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(testing::Message() << row.type << " command " << row.command << " enemy " << row.enemyY);
        CMeleeWorld melee;
        melee.world.Player(1).type = PLAYER_COMPUTER;
        const int32_t enemyX = row.type == UNIT_GIANT ? 12 : 11;
        CUnit* walker = melee.Spawn(row.player, row.type, 10, 10, STANCE_STAND_GROUND);
        CUnit* enemy = melee.Spawn(2, UNIT_WARRIOR, enemyX, row.enemyY, STANCE_STAND_GROUND);
        if (row.type == UNIT_GIANT)
            melee.Spawn(row.player, UNIT_WARRIOR, 12, 21 - row.enemyY, STANCE_STAND_GROUND);
        walker->currentCommand = row.command;
        bool engaged = false;
        walker->SeekTargetOnPatrol(11, 10, &engaged);
        EXPECT_TRUE(engaged == row.strikes && (walker->animType == ANIM_ATTACK) == row.strikes &&
                    (walker->actionTargetUnit == enemy) == row.strikes);
        EXPECT_TRUE(row.type != UNIT_GIANT || walker->model == 98);
    }
}

TEST(MeleeStance, AUnitHitWhileStrikingABuildingTurnsOnTheHitterUnlessItStandsGroundWhenOnlyTheWarriorForgetsItsAttacker)
{
    const struct { int32_t type, stance; bool turns, keepsAttacker; } cases[] = {
        {UNIT_WARRIOR, STANCE_STAND_GROUND, false, false}, {UNIT_KNIGHT, STANCE_STAND_GROUND, false, true},
        {UNIT_WARRIOR, STANCE_AGGRESSIVE, true, false}, {UNIT_KNIGHT, STANCE_AGGRESSIVE, true, false}};
    for (const auto& row : cases)
    {
        SCOPED_TRACE(testing::Message() << row.type << " stance " << row.stance);
        CMeleeWorld melee;
        CBuilding* house = melee.world.Player(1).CreateBuilding(CastHouse, PostX + 1, PostY);
        ASSERT_NE(house, nullptr);
        house->buildProgress = CBuilding::FinishedProgress;
        house->OnFinished();
        CUnit* striker = melee.Spawn(0, row.type, PostX - 1, PostY, row.stance);
        CUnit* earlier = melee.Spawn(1, UNIT_WARRIOR, PostX + 20, PostY + 20, STANCE_STAND_GROUND);
        CUnit* hitter = melee.Spawn(1, UNIT_WARRIOR, PostX - 1, PostY + 2, STANCE_STAND_GROUND);
        ASSERT_TRUE(striker != nullptr && earlier != nullptr && hitter != nullptr);
        striker->onCommand(nullptr, house, nullptr, house->x, house->y, CMD_ATTACK);
        ASSERT_GT(melee.FramesUntil(200, [&] { return striker->actionTargetBuilding == house; }), 0);
        striker->attacker = earlier;
        striker->TakeHit(hitter, 1, DAMAGE_BLADE, true);
        EXPECT_EQ(striker->targetUnit == hitter && striker->attacker == hitter, row.turns);
        EXPECT_EQ(striker->targetBuilding == house && striker->currentCommand == CMD_ATTACK, !row.turns);
        EXPECT_EQ(striker->attacker == earlier, row.keepsAttacker);
    }
}
