// A fighter in a network game: the owner broadcasts each model change with
// the animation and its target (command 34); another machine's unit shows
// its swing but decides nothing here.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/TestLog.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

TEST(MeleeNetwork, OnlyTheOwnerBroadcastsAndDecides)
{
    CMeleeWorld melee;
    g_Config.networkRole = 1;
    CUnit* own = melee.Spawn(0, UNIT_KNIGHT, 10, 10, STANCE_STAND_GROUND);
    CUnit* remote = melee.Spawn(1, UNIT_WARRIOR, 11, 10, STANCE_STAND_GROUND);
    g_UnitCommandOutbox.Clear();
    own->targetUnit = remote;
    own->animType = ANIM_ATTACK;
    own->SetModelByAnimation();
    remote->animType = ANIM_ATTACK;
    remote->SetModelByAnimation();
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    const CUnitCommandOutbox::SCommand& sent = g_UnitCommandOutbox.GetSent()[0];
    EXPECT_EQ(sent.command, CUnitCommandOutbox::CommandUnitAnimType);
    EXPECT_EQ(sent.unit, own);
    EXPECT_EQ(sent.kind, ANIM_ATTACK);
    EXPECT_EQ(sent.other, remote);
    EXPECT_EQ(remote->model, 15);
    EXPECT_FLOAT_EQ(remote->animFrame, 10.0f);

    remote->animType = ANIM_STAND;
    remote->targetUnit = own;
    remote->targetKind = TARGET_UNIT;
    remote->currentCommand = CMD_ATTACK;
    CTestLog log;
    remote->onPerformAction();
    EXPECT_TRUE(log.Contains("#DEBUG: Unit action performed on non-local mulitplayer unit"));
    EXPECT_EQ(remote->animType, ANIM_STAND);
    remote->stance = STANCE_AGGRESSIVE;
    remote->currentCommand = CMD_NONE;
    remote->onEnemySighted(own);
    EXPECT_EQ(remote->currentCommand, CMD_NONE);
}
