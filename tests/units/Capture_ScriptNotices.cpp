// What units and buildings tell the rule script: the cells a watched walker
// leaves, and the attack events, raised once per arming.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
std::vector<int32_t> EventValues(const CScript& script, CScript::EEvent kind, int32_t count)
{
    std::vector<int32_t> values;
    for (const CScript::SEvent& event : script.GetEvents())
        if (event.kind == kind)
            values.insert(values.end(), event.values, event.values + count);
    return values;
}
}  // namespace

TEST(ScriptNotices, AWatchedWalkerReportsTheCellItLeavesBeforeEachStep)
{
    CSimHarness world;
    CUnit* watched = world.Adopt(0, new CTestWalker(0.1f), 10, 10);
    CUnit* unwatched = world.Adopt(0, new CTestWalker(0.1f), 10, 20);
    watched->scriptWatcher = 1;
    watched->onCommand(nullptr, nullptr, nullptr, 13, 10, CMD_MOVE_TO);
    unwatched->onCommand(nullptr, nullptr, nullptr, 13, 20, CMD_MOVE_TO);
    for (int32_t frame = 0; frame < 60; ++frame)
        world.Frame(1);
    ASSERT_EQ(watched->x, 13);
    ASSERT_EQ(unwatched->x, 13);
    EXPECT_EQ(EventValues(world.Player(0).script, CScript::EEvent::UnitPosition, 2),
              (std::vector<int32_t>{10, 10, 11, 10, 12, 10}));
}

TEST(ScriptNotices, AttackEventsAreRaisedOncePerArmingOnlyForNamedLivingObjects)
{
    CSimHarness world;
    CUnit* attacker = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    CUnit* named = world.Spawn(0, UNIT_WARRIOR, 11, 10);
    CUnit* plain = world.Spawn(0, UNIT_WARRIOR, 10, 11);
    CBuilding* house = world.Player(0).CreateBuilding(CastHouse, 30, 30);
    CBuilding* hut = world.Player(0).CreateBuilding(CastHouse, 30, 34);
    // Finished, so that their 400 hit points outlast the hits.
    house->Construct(0.0f, true);
    hut->Construct(0.0f, true);
    named->specialId = 7;
    house->scriptTag = 5;
    for (int32_t round = 0; round < 2; ++round)
    {
        named->attackEventArmed = 1;
        house->attackEventArmed = 1;
        for (int32_t hit = 0; hit < 2; ++hit)
        {
            named->TakeHit(attacker, 1, 1, false);
            plain->TakeHit(attacker, 1, 1, false);
            house->OnAttacked(attacker, 1, 4, false);
            hut->OnAttacked(attacker, 1, 4, false);
            house->OnAttacked(nullptr, 1, 4, false);
        }
    }
    // A lethal hit raises nothing.
    named->attackEventArmed = 1;
    named->TakeHit(attacker, 100000, 1, false);
    const CScript& script = world.Player(0).script;
    EXPECT_EQ(EventValues(script, CScript::EEvent::UnitAttacked, 1), (std::vector<int32_t>{7, 7}));
    EXPECT_EQ(EventValues(script, CScript::EEvent::BuildingAttacked, 1), (std::vector<int32_t>{5, 5}));
    house->TakeDown(false);
    hut->TakeDown(false);
    g_PtrGarbage.Flush();
}
