// The projectiles of the particle stand-in: whom they strike on landing,
// what the shooter's player counts, and a shooter gone while its shot flies.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

namespace
{
void Shoot(CUnit* archer, CUnit* target, float aimX, float aimY, int32_t kind = CParticles::KindArrow)
{
    g_Particles.AddArrow(false, archer, target, 10.5f, 48.6f, 10.5f, aimX, 40.0f, aimY, kind);
}
}  // namespace

TEST(ProjectilesFlight, ArrowsStrikeWithTheAttackAtLaunchAndCountWhereTheyLandForTheShootersPlayer)
{
    CMeleeWorld war;
    CUnit* archer = war.world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = war.world.Spawn(1, UNIT_WARRIOR, 16, 10);
    ASSERT_NE(war.world.Player(1).CreateBuilding(CastHouse, 10, 20), nullptr);
    const int32_t attack = CMeleeWorld::AttackOf(*archer);
    Shoot(archer, target, 16.5f, 10.5f);
    war.world.Research(0, 20);   // a better attack after launch changes nothing
    war.world.Frame(2);
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth);
    war.world.Frame(1);
    const float lost =
        static_cast<float>(attack) * target->GetDamageFactorB() / target->GetMaxHitPoints() * 100.0f;
    EXPECT_FLOAT_EQ(target->health, CUnit::FullHealth - lost);
    EXPECT_TRUE(g_Particles.GetProjectiles().empty());
    const int32_t* stats = war.world.Player(0).statistics;
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT], 1);
    Shoot(archer, nullptr, 10.5f, 20.5f, CParticles::KindFlameArrow);
    war.world.Frame(20);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_BUILDING], 1);
    Shoot(archer, nullptr, 30.5f, 30.5f);   // nothing there
    war.world.Frame(20);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT] + stats[STAT_ARROWS_HIT_BUILDING], 2);
}

TEST(ProjectilesFlight, AShotOutlivingItsDeletedShooterLandsAndCreditsTheShootersPlayer)
{
    CMeleeWorld war;
    CUnit* shooter = war.world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = war.world.Spawn(1, UNIT_WARRIOR, 20, 10);
    target->health = 100.0f / target->GetMaxHitPoints() + 0.5f;   // one hit point
    Shoot(shooter, target, 20.5f, 10.5f);
    war.world.Delete(shooter);
    ASSERT_EQ(g_Particles.GetProjectiles().size(), 1u);
    EXPECT_EQ(g_Particles.GetProjectiles()[0].shooter, nullptr);
    war.world.Frame(5);
    EXPECT_TRUE(target->IsDying());
    EXPECT_EQ(war.world.Player(0).statistics[STAT_UNITS_KILLED], 1);
}
