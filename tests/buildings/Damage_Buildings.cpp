// Hits on buildings: the damage table, the fires that follow the health,
// repair, and the destruction that leaves a ruin and no reference behind.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t HostRole = 1;

// A barracks with the figures of the tests: 1200 hit points, factors 0.4,
// 0.2 and 1.0, a 5 x 6 footprint worth 100 points, and four fires.
class CTestBarracks : public CBuilding
{
public:
    CTestBarracks(int32_t bx, int32_t by, int32_t ownerIndex) : CBuilding(bx, by, ownerIndex)
    {
        InitFirePositions(4);
        // Thresholds 60, 45, 45 and 20; sizes 30, 30, 30 and 240.
        AddFirePosition(60.0f, 1.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(45.0f, 2.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(45.0f, 3.0f, 2.0f, 1.0f, 30.0f);
        AddFirePosition(20.0f, 2.0f, 3.0f, 3.0f, 240.0f);
    }
    int32_t GetMaxHitPoints() const override { return 1200; }
    int32_t GetWidth() const override { return 5; }
    int32_t GetDepth() const override { return 6; }
    int32_t GetBuildCast() const override { return CastBarracks; }
    int32_t GetPointValue() const override { return 100; }
    float GetDamageFactor1() const override { return 0.4f; }
    float GetDamageFactor2() const override { return 0.2f; }
    float GetDamageFactor3() const override { return 1.0f; }
};

class BuildingDamage : public ::testing::Test
{
protected:
    void SetUp() override { g_Particles.Reset(); }
    void TearDown() override { g_Particles.Reset(); }

    CBuilding* PlacedBarracks(bool finished)
    {
        CBuilding* barracks = new CTestBarracks(10, 10, 0);
        if (!barracks->PlaceOnMap())
        {
            delete barracks;
            return nullptr;
        }
        STrackedBuilding& tracked = world.Track(barracks, true, true);
        if (finished)
        {
            barracks->buildProgress = CBuilding::FinishedProgress;
            barracks->BuildingFinished();
            tracked.finished = true;
        }
        return barracks;
    }
    CBuilding* FinishedBarracks() { return PlacedBarracks(true); }

    BuildingWorld world;
};
}  // namespace

TEST_F(BuildingDamage, EachDamageTypeUsesItsFactor)
{
    CBuilding* barracks = FinishedBarracks();
    ASSERT_NE(barracks, nullptr);
    // Amount 100: hit points lost 40, 20, 20, 100, 0, 40, 20, 100, 100.
    const int32_t lost[] = {40, 20, 20, 100, 0, 40, 20, 100, 100};
    for (int32_t type = 1; type <= 9; ++type)
    {
        barracks->health = 100.0f;
        const bool changed = barracks->ApplyDamage(nullptr, 100, type, false);
        EXPECT_EQ(barracks->GetHitPoints(), 1200 - lost[type - 1]) << "damage type " << type;
        EXPECT_EQ(changed, lost[type - 1] != 0) << "damage type " << type;
    }
    // Hit points are whole before the loss: two hits of 8 x 0.4 leave
    // 1196.8 and then 1196 - 3.2 = 1192.8 hit points.
    barracks->health = 100.0f;
    barracks->ApplyDamage(nullptr, 8, 1, false);
    barracks->ApplyDamage(nullptr, 8, 1, false);
    EXPECT_NEAR(barracks->health, 1192.8f / 1200.0f * 100.0f, 1e-4f);
    // A negative amount heals nothing.
    const float before = barracks->health;
    barracks->ApplyDamage(nullptr, -500, 4, false);
    EXPECT_LE(barracks->health, before);
    EXPECT_BUILDINGS_SOUND(world);
}

TEST_F(BuildingDamage, FiresFollowTheHealthOfAFinishedBuildingAndRepairStopsAtFull)
{
    CBuilding* barracks = FinishedBarracks();
    ASSERT_NE(barracks, nullptr);
    // Type-4 hits of 100: 5 hits leave 700 / 1200 = 58.3 percent, one fire
    // of 30 on 30 blocks, level 1; 7 hits 41.7 percent, three fires, level
    // 3; 10 hits 16.7 percent, all four, (90 + 240) / 30 = 11.
    for (int32_t hit = 0; hit < 5; ++hit)
        barracks->ApplyDamage(nullptr, 100, 4, false);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 1);
    EXPECT_EQ(barracks->fireAmount, 1);
    barracks->ApplyDamage(nullptr, 100, 4, false);
    barracks->ApplyDamage(nullptr, 100, 4, false);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 3);
    EXPECT_EQ(barracks->fireAmount, 3);
    for (int32_t hit = 0; hit < 3; ++hit)
        barracks->ApplyDamage(nullptr, 100, 4, false);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 4);
    EXPECT_EQ(barracks->fireAmount, 11);

    // Repaired above 60 percent the fires go out.
    while (barracks->health <= 60.0f)
        barracks->Repair(10.0f);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 0);
    EXPECT_EQ(barracks->fireAmount, 0);
    // Repair stops at exactly full.
    barracks->health = 99.9f;
    EXPECT_FALSE(barracks->Repair(1000.0f));
    EXPECT_EQ(barracks->health, 100.0f);
    EXPECT_FALSE(barracks->Repair(1.0f));
}

TEST_F(BuildingDamage, AnUnfinishedBuildingDoesNotBurn)
{
    CBuilding* site = PlacedBarracks(false);
    ASSERT_NE(site, nullptr);
    site->health = 20.0f;
    EXPECT_EQ(site->UpdateFireEmitters(), 0);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 0);
}

// Damage taken while under construction lights its fires at completion:
// 700 of 1200 hit points lost leave 41.7 percent, three fires, level 3.
TEST_F(BuildingDamage, ABuildingDamagedUnderConstructionBurnsOnceFinished)
{
    CBuilding* site = PlacedBarracks(false);
    ASSERT_NE(site, nullptr);
    site->ApplyDamage(nullptr, 700, 4, false);
    ASSERT_EQ(g_Particles.GetBurningFireCount(), 0);
    site->buildProgress = CBuilding::FinishedProgress;
    site->BuildingFinished();
    world.Find(site)->finished = true;
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 3);
    EXPECT_EQ(site->fireAmount, 3);
    EXPECT_BUILDINGS_SOUND(world);
}

// A fire handle that no longer names a building fire is reported when the
// fires are put out.
TEST_F(BuildingDamage, PuttingOutAFirePitThatIsNoFireIsReported)
{
    CBuilding* barracks = FinishedBarracks();
    ASSERT_NE(barracks, nullptr);
    for (int32_t hit = 0; hit < 7; ++hit)
        barracks->ApplyDamage(nullptr, 100, 4, false);
    ASSERT_EQ(g_Particles.GetBurningFireCount(), 3);
    ASSERT_TRUE(g_Particles.FreeParticle(barracks->firePositions[1].particle));
    CTestLog log;
    barracks->RemoveFirePit();
    EXPECT_EQ(log.Count("#DEBUG: Invalid firepit particle deleted"), 1);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 0);
}

// On a client, a destroyed building of another machine's player may still
// hold a finished unit: a failed check, and the unit goes all the same.
TEST_F(BuildingDamage, AProductionUnitInAnotherMachinesBuildingIsReportedAndRemoved)
{
    CBuilding* barracks = FinishedBarracks();   // player 0's
    ASSERT_NE(barracks, nullptr);
    CUnit* made = world.Player(0).CreateUnit(UNIT_WARRIOR, -1, -1);
    ASSERT_NE(made, nullptr);
    barracks->productionUnit = made;
    g_Config.networkRole = 2;
    g_LocalPlayer = 1;
    CTestLog log;
    barracks->Destroy(true);
    g_LocalPlayer = 0;
    g_Config.networkRole = 0;
    EXPECT_TRUE(log.Contains("#DEBUG: Production unit in a non local player's building"));
    EXPECT_TRUE(log.Contains("#DEBUG: breakpoint reached"));
    EXPECT_EQ(barracks->productionUnit, nullptr);
    EXPECT_FALSE(world.Player(0).HasUnit(made));
    world.Forget(barracks);
}

TEST_F(BuildingDamage, ABuildingHitUntilItBurnsAndFallsLeavesARuinAndNoReference)
{
    CBuilding* barracks = FinishedBarracks();
    ASSERT_NE(barracks, nullptr);
    CUnit* warrior = world.Player(1).CreateUnit(UNIT_WARRIOR, 20, 20);
    ASSERT_NE(warrior, nullptr);
    warrior->targetBuilding = barracks;
    warrior->actionTargetBuilding = barracks;
    g_Selection.SelectBuilding(barracks);
    const int32_t scoreBefore = world.Player(1).score;
    const int32_t points = barracks->GetPointValue();

    // 1200 hit points at 100 a type-4 hit: twelve hits, the last exactly 0.
    int32_t hits = 0;
    bool burned = false;
    while (!barracks->IsTakenDown() && hits < 20)
    {
        EXPECT_TRUE(barracks->OnAttacked(warrior, 100, 4, true));
        ++hits;
        burned = burned || g_Particles.GetBurningFireCount() > 0;
        world.Harness().Frame(1);
    }
    EXPECT_EQ(hits, 12);
    EXPECT_TRUE(burned);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 0);
    EXPECT_EQ(world.Player(1).statistics[STAT_BUILDINGS_DESTROYED], 1);
    EXPECT_EQ(world.Player(1).score, scoreBefore + points);
    EXPECT_EQ(g_Particles.GetExplosionMarkCount(), 1);
    EXPECT_TRUE(g_Particles.HoldsRuin(barracks));
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);

    // Nothing refers to it any more.
    EXPECT_FALSE(world.Player(0).HasBuilding(barracks));
    EXPECT_EQ(warrior->targetBuilding, nullptr);
    EXPECT_EQ(warrior->actionTargetBuilding, nullptr);
    EXPECT_EQ(g_Selection.building, nullptr);
    for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
            ASSERT_NE(g_GameMap.Block(bx, by).building, barracks) << bx << "," << by;

    // Hit or destroyed again, nothing happens.
    EXPECT_FALSE(barracks->ApplyDamage(warrior, 100, 4, true));
    barracks->Destroy(true);
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    EXPECT_EQ(world.Player(1).statistics[STAT_BUILDINGS_DESTROYED], 1);

    world.Forget(barracks);
    for (int32_t tick = 0; tick < CParticles::RuinTicks; ++tick)
        world.Harness().Frame(1);
    EXPECT_EQ(g_Particles.GetRuinCount(), 0);
    EXPECT_EQ(g_PtrGarbage.GetCount(), 0);
    EXPECT_BUILDINGS_SOUND(world);
}

TEST_F(BuildingDamage, AWallGivesNoScoreAndNoScorchMark)
{
    CBuilding* wall = world.Player(0).CreateBuilding(CastWall, 10, 10);
    ASSERT_NE(wall, nullptr);
    wall->buildProgress = CBuilding::FinishedProgress;
    wall->BuildingFinished();
    CUnit* warrior = world.Player(1).CreateUnit(UNIT_WARRIOR, 20, 20);
    ASSERT_NE(warrior, nullptr);
    const int32_t scoreBefore = world.Player(1).score;
    wall->health = 100.0f / static_cast<float>(wall->GetMaxHitPoints());   // exactly one hit point
    EXPECT_TRUE(wall->ApplyDamage(warrior, 1, 4, false));
    EXPECT_TRUE(wall->IsTakenDown());
    EXPECT_EQ(g_Particles.GetExplosionMarkCount(), 0);
    EXPECT_EQ(world.Player(1).score, scoreBefore);
    EXPECT_EQ(world.Player(1).statistics[STAT_BUILDINGS_DESTROYED], 0);
    world.Forget(wall);
}

TEST_F(BuildingDamage, NetworkHitsAndDestructionAreSentByTheRightMachine)
{
    CBuilding* barracks = FinishedBarracks();
    ASSERT_NE(barracks, nullptr);
    CUnit* ours = world.Player(0).CreateUnit(UNIT_WARRIOR, 20, 20);
    CUnit* theirs = world.Player(1).CreateUnit(UNIT_WARRIOR, 22, 20);
    ASSERT_TRUE(ours != nullptr && theirs != nullptr);
    g_Config.networkRole = HostRole;
    g_UnitCommandOutbox.Clear();
    // Another machine's unit: its machine sends the hit.
    EXPECT_TRUE(barracks->OnAttacked(theirs, 100, 4, false));
    EXPECT_EQ(barracks->health, 100.0f);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());
    // Ours: 44 first, then our building's health, 37.
    barracks->OnAttacked(ours, 100, 4, false);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 2u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, 44);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].building, barracks);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[1].command, 37);
    g_UnitCommandOutbox.Clear();
    barracks->ApplyDamage(theirs, 5000, 4, false);
    ASSERT_FALSE(g_UnitCommandOutbox.GetSent().empty());
    EXPECT_EQ(g_UnitCommandOutbox.GetSent().back().command, 39);
    g_Config.networkRole = 0;
    world.Forget(barracks);
}
