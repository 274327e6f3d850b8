// Actions of another machine's units applied to their copies here.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestLog.h"
#include "tests/support/TestWalker.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"

namespace
{
class CTestMine : public CBuilding
{
public:
    CTestMine() : CBuilding(20, 20, -1) { health = FullHealth; }
    int32_t GetBuildCast() const override { return 10; }
    int32_t GetResourceKind() const override { return 4; }
};

class WalkNetworkActions : public ::testing::Test
{
protected:
    WalkNetworkActions()
    {
        remote = static_cast<CTestWalker*>(world.Adopt(1, new CTestWalker(0.1f), 10, 10));
        other = world.Adopt(0, new CTestWalker(0.1f), 12, 10);
    }

    CSimHarness world;
    CTestWalker* remote;
    CUnit* other;
};

TEST_F(WalkNetworkActions, CopyTakesTheActionStandingOnItsTile)
{
    g_Config.networkRole = 1;
    remote->centreX = 10.8f;
    remote->routeEnd = 3;
    remote->pathFlag = 1;
    remote->awaitingMoveAnswer = 1;
    CTestLog log;
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, true);
    EXPECT_TRUE(log.Contains("#DEBUG: Network perform action before move response"));
    EXPECT_EQ(remote->awaitingMoveAnswer, 0);
    EXPECT_EQ(remote->animType, ANIM_ATTACK);
    EXPECT_EQ(remote->targetUnit, other);
    EXPECT_EQ(remote->actionTargetUnit, other);
    EXPECT_EQ(remote->targetKind, TARGET_UNIT);
    EXPECT_EQ(remote->tornApart, 1);
    EXPECT_EQ(remote->approachX, 12);
    EXPECT_FLOAT_EQ(remote->centreX, 10.5f);
    EXPECT_EQ(remote->routeEnd, 0);
    EXPECT_EQ(remote->pathFlag, 0);
}

TEST_F(WalkNetworkActions, ResourceSiteBecomesTheTargetObject)
{
    g_Config.networkRole = 1;
    CTestMine mine;
    remote->OnNetworkAction(ANIM_MINE_GOLD, nullptr, &mine, 20, 20, TARGET_RESOURCE, false);
    EXPECT_EQ(remote->targetObject, &mine);
    EXPECT_EQ(remote->targetBuilding, &mine);
    EXPECT_EQ(remote->objectResourceKind, 4);
    EXPECT_EQ(remote->actionTargetBuilding, &mine);
}

TEST_F(WalkNetworkActions, EventsInASinglePlayerGameOrOutOfRangeChangeNothing)
{
    {
        CTestLog log;
        remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
        EXPECT_TRUE(log.Contains("#DEBUG: Multiplayer event in single player mode"));
    }
    g_Config.networkRole = 1;
    {
        CTestLog log;
        remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, 9, false);
        EXPECT_TRUE(log.Contains("#DEBUG: Invalid target type in network unit event"));
    }
    remote->OnNetworkAction(14, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(-1, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 300, 10, TARGET_BLOCK, false);
    EXPECT_EQ(remote->animType, ANIM_STAND);
    EXPECT_EQ(remote->targetUnit, nullptr);
    // This machine's own unit is told nothing by another machine.
    g_LocalPlayer = 0;
    CUnit* own = other;
    own->OnNetworkAction(ANIM_ATTACK, remote, nullptr, 10, 10, TARGET_UNIT, false);
    EXPECT_EQ(own->targetUnit, nullptr);
    // Nor does a dying copy start anything.
    remote->RemoveFromWorld(false);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
    EXPECT_EQ(remote->animType, ANIM_DIE);
}
}  // namespace
