// What a walking fighter finds before each step: the outer ring of its
// sight on patrol and an enemy on the next tile.

#include <gtest/gtest.h>

#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
struct SNextTileCase
{
    int32_t player;    // 0 human, 1 computer
    int32_t command;
    bool strikes;
};

// Only an Attack order, or any order of a computer player, strikes an
// enemy standing in the way.
const SNextTileCase NextTileCases[] = {
    {0, CMD_ATTACK, true},
    {0, CMD_MOVE_TO, false},
    {1, CMD_MOVE_TO, true},
};
}  // namespace

TEST(MeleePatrol, APatrolScansOnlyTheOuterThreeBlocksOfItsSight)
{
    CMeleeWorld melee;
    // Standing ground: enemies coming into sight start nothing, the scan does.
    CUnit* patrol = melee.Spawn(0, UNIT_WARRIOR, 10, 20, STANCE_STAND_GROUND);
    const int32_t sight = patrol->GetSightRadius();
    CUnit* near = melee.Spawn(1, UNIT_WARRIOR, 10 + sight - 4, 20, STANCE_STAND_GROUND);
    patrol->onCommand(nullptr, nullptr, nullptr, 30, 20, CMD_PATROL);
    bool engaged = false;
    patrol->SeekTargetOnPatrol(10, 21, &engaged);
    EXPECT_EQ(patrol->currentCommand, CMD_PATROL) << "an enemy nearer than the ring";
    CUnit* far = melee.Spawn(1, UNIT_WARRIOR, 10, 20 - (sight - 1), STANCE_STAND_GROUND);
    patrol->SeekTargetOnPatrol(10, 21, &engaged);
    EXPECT_FALSE(engaged);
    EXPECT_EQ(patrol->currentCommand, CMD_ATTACK);
    EXPECT_EQ(patrol->targetUnit, far);
    // It comes back to the patrol from where it left it.
    EXPECT_EQ(patrol->returnX, 10);
    EXPECT_EQ(patrol->returnY, 20);
    EXPECT_NE(near, nullptr);
}

TEST(MeleePatrol, AnEnemyOnTheNextTileIsStruckByAttackersAndComputerPlayersUnits)
{
    for (const SNextTileCase& row : NextTileCases)
    {
        SCOPED_TRACE(row.command);
        CMeleeWorld melee;
        CUnit* walker = melee.Spawn(row.player, UNIT_WARRIOR, 10, 10, STANCE_STAND_GROUND);
        CUnit* enemy = melee.Spawn(2, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
        walker->currentCommand = row.command;
        bool engaged = false;
        walker->SeekTargetOnPatrol(11, 10, &engaged);
        EXPECT_EQ(engaged, row.strikes);
        EXPECT_EQ(walker->animType == ANIM_ATTACK, row.strikes);
        EXPECT_EQ(walker->actionTargetUnit == enemy, row.strikes);
    }
}
