// Two warriors fight until one dies: the death runs through the Die
// animation to the corpse and, when the corpse has decayed, to deferred
// deletion, with the world sound after every frame.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t DamageTypeMelee = 1;
// The Die animation: 30 frames at 0.6 a tick.
constexpr int32_t DieTicks = 50;
}  // namespace

TEST(DamageDeath, TwoWarriorsFightUntilOneDiesAndIsDeletedOnce)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* first = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* second = world.Spawn(1, UNIT_WARRIOR, 11, 10);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // A warrior: 50 hit points, attack 8, melee factor 1.0.  One blow takes
    // 8 / 50 = 16 percent points: 100, 84, 68, 52, 36, 20, 4, and the
    // seventh blow kills.
    ASSERT_FLOAT_EQ(first->GetMaxHitPoints(), 50.0f);
    int32_t base = 0;
    int32_t bonus = 0;
    const int32_t attack = first->GetAttack(&base, &bonus);
    ASSERT_EQ(attack, 8);
    ASSERT_FLOAT_EQ(second->GetDamageFactorA(), 1.0f);
    const int32_t scoreBefore = world.Player(0).score;
    const int32_t pointsOfVictim = second->GetPointValue();
    g_Selection.AddUnit(second, 0);

    int32_t blowsBySecond = 0;
    int32_t blowsByFirst = 0;
    while (second->IsAlive() && blowsByFirst < 20)
    {
        second->TakeHit(first, attack, DamageTypeMelee, true);
        ++blowsByFirst;
        world.Frame(1);
        ExpectWorldSound(world);
        if (!second->IsAlive())
            break;
        first->TakeHit(second, attack, DamageTypeMelee, true);
        ++blowsBySecond;
        world.Frame(1);
        ExpectWorldSound(world);
    }
    EXPECT_EQ(blowsByFirst, 7);
    EXPECT_EQ(blowsBySecond, 6);
    EXPECT_NEAR(first->health, 4.0f, 1e-3f);
    EXPECT_EQ(first->GetLivingHitPoints(), 2);
    EXPECT_EQ(world.Player(0).statistics[STAT_UNITS_KILLED], 1);
    EXPECT_EQ(world.Player(0).score, scoreBefore + pointsOfVictim);

    // Dying: still listed, no longer selected or targeted.
    EXPECT_EQ(second->animType, ANIM_DIE);
    EXPECT_TRUE(world.Player(1).HasUnit(second));
    EXPECT_EQ(g_Selection.unitCount, 0);
    EXPECT_NE(first->targetUnit, second);
    EXPECT_NE(first->attacker, second);

    const int32_t lostBefore = world.Player(1).statistics[STAT_UNITS_LOST];
    // The frame of the killing blow played the first tick of the death.
    for (int32_t tick = 1; tick < DieTicks - 2; ++tick)
        world.Frame(1);
    EXPECT_TRUE(world.Player(1).HasUnit(second));
    world.Frame(4);
    ExpectWorldSound(world);
    EXPECT_EQ(second->animType, ANIM_CORPSE);
    EXPECT_FALSE(world.Player(1).HasUnit(second));
    EXPECT_EQ(world.Player(1).statistics[STAT_UNITS_LOST], lostBefore + 1);
    EXPECT_FALSE(second->IsFootprintRegistered());
    EXPECT_EQ(g_GameMap.Block(11, 10).unit, nullptr);
    EXPECT_TRUE(g_Particles.HoldsCorpse(second));
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    EXPECT_EQ(world.DeletedUnits(), 0);

    for (int32_t tick = 0; tick < CParticles::CorpseTicks; ++tick)
    {
        world.Frame(1);
        ExpectWorldSound(world);
    }
    EXPECT_EQ(g_Particles.GetCorpseCount(), 0);
    EXPECT_EQ(world.DeletedUnits(), 1);
    EXPECT_FALSE(world.IsLive(second));
    EXPECT_TRUE(world.IsLive(first));
    for (int32_t tick = 0; tick < 10; ++tick)
        world.Frame(1);
    EXPECT_EQ(world.DeletedUnits(), 1);
}

TEST(DamageDeath, DyingTwiceChangesNothing)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* unit = world.Spawn(2, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    unit->RemoveFromWorld(true);
    for (int32_t tick = 0; tick < DieTicks / 2; ++tick)
        world.Frame(1);
    const float frame = unit->animFrame;
    unit->RemoveFromWorld(true);
    EXPECT_FLOAT_EQ(unit->animFrame, frame);
    for (int32_t tick = 0; tick < DieTicks; ++tick)
        world.Frame(1);
    const int32_t lost = world.Player(2).statistics[STAT_UNITS_LOST];
    // A corpse hit, killed or finished again is left alone.
    unit->RemoveFromWorld(true);
    unit->FinishDeath();
    unit->TakeHit(nullptr, 100, 1, false);
    EXPECT_EQ(unit->animType, ANIM_CORPSE);
    EXPECT_EQ(world.Player(2).statistics[STAT_UNITS_LOST], lost);
    EXPECT_EQ(g_Particles.GetCorpseCount(), 1);
    ExpectWorldSound(world);
}

TEST(DamageDeath, AUnitKilledOffTheMapStillBecomesACorpseAndGoes)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* unit = world.Spawn(3, UNIT_WARRIOR, 10, 10);
    ASSERT_NE(unit, nullptr);
    unit->ShowUnit(false);
    unit->RemoveFromWorld(false);
    for (int32_t tick = 0; tick < DieTicks + CParticles::CorpseTicks; ++tick)
        world.Frame(1);
    EXPECT_EQ(world.DeletedUnits(), 1);
    EXPECT_EQ(world.Player(3).unitCount, 0);
    ExpectWorldSound(world);
}
