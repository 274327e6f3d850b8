// Aliveness, starvation and healing.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"

namespace
{
class CHundredPointUnit : public CUnit
{
public:
    float GetMaxHitPoints() const override { return 100.0f; }
};
}  // namespace

TEST(UnitHealth, StarvationGrowsByATenthRecoversAndKillsOnlyWhenFull)
{
    CHundredPointUnit unit;
    unit.starvation = 100.0f;
    EXPECT_FALSE(unit.IsAlive());
    unit.starvation = 99.0f;
    EXPECT_EQ(unit.GetLivingHitPoints(), 1);
    EXPECT_TRUE(unit.IsAlive());
    unit.starvation = 0.0f;
    EXPECT_EQ(unit.AddStarvation(50.0f), 95);
    EXPECT_FLOAT_EQ(unit.starvation, 5.0f);
    EXPECT_EQ(unit.AddStarvation(-20.0f), 97);
    EXPECT_FLOAT_EQ(unit.starvation, 3.0f);
    unit.AddStarvation(-1000.0f);
    EXPECT_FLOAT_EQ(unit.starvation, 0.0f);
}

TEST(UnitHealth, HungerNeverTakesTheLastHitPoint)
{
    CHundredPointUnit unit;
    unit.health = 2.0f;
    unit.starvation = 1.0f;   // one hit point left
    EXPECT_EQ(unit.AddStarvation(10.0f), 1);
    EXPECT_FLOAT_EQ(unit.starvation, 1.0f);
    unit.health = 100.0f;
    unit.starvation = 95.0f;
    unit.AddStarvation(1000.0f);
    EXPECT_FLOAT_EQ(unit.starvation, 95.0f);
}

TEST(UnitHealth, HealingRaisesTheHealthOfAStarvingUnitUpToFull)
{
    CHundredPointUnit unit;
    unit.health = 50.0f;
    unit.starvation = 20.0f;
    EXPECT_TRUE(unit.Heal(10.0f));
    EXPECT_FLOAT_EQ(unit.health, 60.0f);
    EXPECT_EQ(unit.GetLivingHitPoints(), 40);
    // It stops at full health, and a dead unit is not healed.
    unit.starvation = 0.0f;
    unit.health = 95.0f;
    EXPECT_FALSE(unit.Heal(10.0f));
    EXPECT_FLOAT_EQ(unit.health, 100.0f);
    EXPECT_FALSE(unit.Heal(10.0f));
    unit.health = 0.5f;   // no whole hit point: dead
    EXPECT_FALSE(unit.Heal(10.0f));
    EXPECT_FLOAT_EQ(unit.health, 0.5f);
}

TEST(UnitHealth, OnlyTheOwnerHealsInANetworkGame)
{
    CSimHarness world;
    g_Config.networkRole = 2;
    g_UnitCommandOutbox.Clear();
    CUnit* own = world.Spawn(0, 2, 5, 5);
    CUnit* remote = world.Spawn(3, 2, 9, 9);
    g_UnitCommandOutbox.Clear();
    own->health = 50.0f;
    remote->health = 50.0f;
    EXPECT_FALSE(remote->Heal(10.0f));
    EXPECT_FLOAT_EQ(remote->health, 50.0f);
    EXPECT_TRUE(own->Heal(10.0f));
    EXPECT_FLOAT_EQ(own->health, 70.0f);   // 10 of the warrior's 50 hit points
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, CUnitCommandOutbox::CommandUnitHealth);
    EXPECT_FLOAT_EQ(g_UnitCommandOutbox.GetSent()[0].value, 70.0f);
    g_UnitCommandOutbox.Clear();
}
