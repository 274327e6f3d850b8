// A unit changing sides, the clean-up of references to a unit that leaves,
// and boarding a transport.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr uint32_t Green = 0x0000FF00;
constexpr int32_t ShipCapacity = 16;

// Takes units aboard while fewer than 16 are, and lets them off again.
class CFerry : public CUnit
{
public:
    std::vector<CUnit*> aboard;
    bool AcceptGarrison(CUnit* unit) override
    {
        if (static_cast<int32_t>(aboard.size()) >= ShipCapacity)
            return false;
        aboard.push_back(unit);
        return true;
    }
    void UnloadAt(int32_t tx, int32_t ty)
    {
        for (CUnit* unit : aboard)
        {
            unit->x = tx++;
            unit->y = ty;
            unit->ShowUnit(true);
        }
        aboard.clear();
    }
};

// Records onTargetLost and may take another target in it.
class CHunter : public CUnit
{
public:
    CUnit* retarget = nullptr;
    int32_t told = 0;
    void onTargetLost(CUnit* unit, CBuilding*) override
    {
        ++told;
        if (actionTargetUnit == unit)
            actionTargetUnit = retarget;
    }
};
}  // namespace

TEST(Conversion, TheUnitChangesListsButIsNoLossAndTheLocalPlayerSeesIt)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* unit = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    CUnit* second = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    ASSERT_TRUE(unit != nullptr && second != nullptr);
    const int32_t lost = world.Player(1).statistics[STAT_UNITS_LOST];
    EXPECT_TRUE(unit->ConvertToPlayer(0, false));
    EXPECT_EQ(unit->player, 0);
    EXPECT_FALSE(world.Player(1).HasUnit(unit));
    EXPECT_TRUE(world.Player(0).HasUnit(unit));
    EXPECT_EQ(world.Player(1).unitsByType[UNIT_WARRIOR], 1);
    EXPECT_EQ(world.Player(0).unitsByType[UNIT_WARRIOR], 1);
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_LOST], lost);
    // The local player always gets the mark, and the message when asked.
    EXPECT_EQ(g_Particles.GetTargetMarkCount(), 1);
    ASSERT_EQ(world.Markers().size(), 3u);
    EXPECT_EQ(world.Markers()[0], 10);
    EXPECT_EQ(world.Markers()[1], 10);
    EXPECT_EQ(static_cast<uint32_t>(world.Markers()[2]), Green);
    const size_t messagesBefore = world.Messages().size();
    EXPECT_TRUE(second->ConvertToPlayer(0, true));
    EXPECT_EQ(g_Particles.GetTargetMarkCount(), 2);
    ASSERT_EQ(world.Messages().size(), messagesBefore + 1);
    EXPECT_EQ(world.Messages().back().colour, Green);
    ExpectWorldSound(world);
    g_Particles.Reset();
}

TEST(Conversion, RefusedIntoAFullListOffTheMapOrWhenDying)
{
    CSimHarness world(64);
    CUnit* unit = world.Spawn(1, UNIT_WARRIOR, 2, 2);
    ASSERT_NE(unit, nullptr);
    for (int32_t i = 0; i < MaxPlayerUnits; ++i)
        ASSERT_NE(world.Spawn(3, UNIT_WARRIOR, 10 + i % 40, 10 + i / 40), nullptr);
    EXPECT_FALSE(unit->ConvertToPlayer(3, true));
    EXPECT_EQ(unit->player, 1);
    EXPECT_TRUE(world.Player(1).HasUnit(unit));
    EXPECT_EQ(world.Player(3).unitCount, MaxPlayerUnits);
    EXPECT_FALSE(unit->ConvertToPlayer(1, true));
    EXPECT_FALSE(unit->ConvertToPlayer(8, true));
    ExpectWorldSound(world);

    unit->ShowUnit(false);
    EXPECT_FALSE(unit->ConvertToPlayer(2, true));
    EXPECT_EQ(unit->player, 1);
    unit->x = 2;
    unit->y = 2;
    unit->ShowUnit(true);
    unit->RemoveFromWorld(false);
    EXPECT_FALSE(unit->ConvertToPlayer(2, true));
    EXPECT_EQ(unit->player, 1);
    ExpectWorldSound(world);
}

TEST(Conversion, AUnitConvertedMidFightDropsOutOfItsAttackersTarget)
{
    CSimHarness world;
    CUnit* attackerUnit = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* victim = world.Spawn(1, UNIT_WARRIOR, 11, 10);
    ASSERT_TRUE(attackerUnit != nullptr && victim != nullptr);
    attackerUnit->targetUnit = victim;
    attackerUnit->actionTargetUnit = victim;
    victim->TakeHit(attackerUnit, 8, 1, true);
    world.Frame(1);
    EXPECT_TRUE(victim->ConvertToPlayer(0, false));
    EXPECT_EQ(attackerUnit->targetUnit, nullptr);
    EXPECT_EQ(attackerUnit->actionTargetUnit, nullptr);
    world.Frame(1);
    ExpectWorldSound(world);
}

TEST(Conversion, CleanUpKeepsATargetThatOnTargetLostChose)
{
    CSimHarness world;
    CUnit* leaving = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    CUnit* other = world.Spawn(1, UNIT_WARRIOR, 14, 10);
    CHunter* keeps = static_cast<CHunter*>(world.Adopt(0, new CHunter, 20, 20));
    CHunter* clears = static_cast<CHunter*>(world.Adopt(0, new CHunter, 22, 20));
    ASSERT_TRUE(leaving && other && keeps && clears);
    keeps->actionTargetUnit = leaving;
    keeps->retarget = other;
    clears->actionTargetUnit = leaving;
    clears->followedUnit = leaving;
    clears->attacker = leaving;
    clears->lastHitTime = 5;
    leaving->RemoveFromWorld(false);
    EXPECT_EQ(keeps->told, 1);
    EXPECT_EQ(keeps->actionTargetUnit, other);
    EXPECT_EQ(clears->told, 1);
    EXPECT_EQ(clears->actionTargetUnit, nullptr);
    EXPECT_EQ(clears->followedUnit, nullptr);
    EXPECT_EQ(clears->attacker, nullptr);
    EXPECT_EQ(clears->lastHitTime, 0u);
    ExpectWorldSound(world);
}

TEST(Boarding, AUnitBoardsAndLeavesAShip)
{
    CSimHarness world;
    CFerry* ferry = static_cast<CFerry*>(world.Adopt(0, new CFerry, 30, 30));
    CUnit* passenger = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    ASSERT_TRUE(ferry != nullptr && passenger != nullptr);
    g_Selection.AddUnit(passenger, 0);
    g_Config.networkRole = 1;
    g_UnitCommandOutbox.Clear();
    EXPECT_TRUE(passenger->BoardTransport(ferry));
    g_Config.networkRole = 0;
    EXPECT_EQ(passenger->onMap, 0);
    EXPECT_EQ(g_GameMap.Block(10, 10).unit, nullptr);
    EXPECT_EQ(g_Selection.unitCount, 0);
    bool sentHidden = false;
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        sentHidden = sentHidden || (sent.command == 33 && sent.unit == passenger);
    EXPECT_TRUE(sentHidden);
    world.Frame(1);
    ExpectWorldSound(world);
    // A hit on a unit aboard is ignored.
    passenger->TakeHit(nullptr, 50, 1, false);
    EXPECT_FLOAT_EQ(passenger->health, 100.0f);

    ferry->UnloadAt(20, 20);
    EXPECT_EQ(passenger->onMap, 1);
    EXPECT_EQ(g_GameMap.Block(20, 20).unit, passenger);
    world.Frame(1);
    ExpectWorldSound(world);
}

TEST(Boarding, AFullShipLeavesTheUnitOnTheMapAndSelected)
{
    CSimHarness world;
    CFerry* ferry = static_cast<CFerry*>(world.Adopt(0, new CFerry, 30, 30));
    ASSERT_NE(ferry, nullptr);
    ferry->aboard.assign(ShipCapacity, nullptr);
    CUnit* passenger = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(passenger, nullptr);
    g_Selection.AddUnit(passenger, 0);
    EXPECT_FALSE(passenger->BoardTransport(ferry));
    EXPECT_EQ(passenger->onMap, 1);
    EXPECT_EQ(g_Selection.unitCount, 1);
    ferry->aboard.clear();
    ExpectWorldSound(world);
}
