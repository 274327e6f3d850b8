// Stats of the unit types at the start values of the type records and with
// the technologies that change them.  Expected values are the Part's start
// values plus the bonuses worked out by hand.

#include <gtest/gtest.h>

#include "core/C_Config.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "world/C_UnitStats.h"

namespace
{
// Technology ids.
constexpr int32_t ATTACK_C_1 = 11, ATTACK_C_2 = 12, ATTACK_C_3 = 13;
constexpr int32_t DEFENSE_C_1 = 14, DEFENSE_C_2 = 15, DEFENSE_C_3 = 16;
constexpr int32_t DEFENSE_R_3 = 19;
constexpr int32_t ATTACK_R_1 = 20, ATTACK_R_2 = 21, ATTACK_R_3 = 22;
constexpr int32_t RANGE_1 = 23, RANGE_2 = 24, RANGE_3 = 25;
constexpr int32_t ATTACK_M_1 = 26, ATTACK_M_2 = 27, ATTACK_M_3 = 28;
constexpr int32_t CROSSBOW = 31;
constexpr int32_t SHIP_ATT_1 = 35, SHIP_ATT_2 = 36, SHIP_RNG_1 = 37, SHIP_RNG_2 = 38;
constexpr int32_t MACINE_D_1 = 39, MACINE_D_2 = 40, MACINE_D_3 = 41;
constexpr int32_t CAT_ATT_1 = 42, CAT_ATT_2 = 43, CAT_RANGE = 45;
constexpr int32_t PRIEST_DEF = 49, PRIEST_ATT_1 = 50;
constexpr int32_t FLAMEARROW = 58, BLOODBATH = 60;

int32_t Attack(const CUnit* unit)
{
    int32_t base = 0, bonus = 0;
    return unit->GetAttack(&base, &bonus);
}

int32_t Range(const CUnit* unit)
{
    int32_t base = 0, bonus = 0;
    return unit->GetAttackRange(&base, &bonus);
}

class UnitStats : public ::testing::Test
{
protected:
    // A fresh unit of the type for player 1, whose research the test sets.
    CUnit* Make(int32_t cast) { return m_World.Spawn(1, cast, -1, -1); }
    void Research(int32_t technology) { m_World.Research(1, technology); }
    void Forget(int32_t technology) { m_World.Research(1, technology, 0.0f); }

    CSimHarness m_World;
};

struct SStartStats
{
    int32_t cast;
    float hitPoints;
    int32_t attack, range, sight;
    float factorA, factorB, factorC;
};
}  // namespace

TEST_F(UnitStats, StartValuesWithoutResearch)
{
    // The crossbowman's first factor is the type record's (checked below).
    const SStartStats expected[] = {
        {1, 30, 0, 1, 6, 1.0f, 1.0f, 1.0f},         {2, 50, 8, 1, 8, 1.0f, 1.0f, 1.0f},
        {3, 40, 5, 8, 10, 2.0f, 1.0f, 1.0f},        {4, 70, 30, 14, 16, 1.0f, 0.8f, 1.0f},
        {6, 65, 14, 1, 11, 1.0f, 1.0f, 1.0f},       {7, 120, 0, 1, 12, 1.0f, 0.9f, 1.0f},
        {5, 30, 3, 12, 14, 1.0f, 1.0f, 1.0f},       {9, 50, 6, 9, 10, -1.0f, 0.7f, 1.0f},
        {10, 70, 18, 1, 10, 0.8f, 0.3f, 1.0f},      {11, 400, 35, 14, 16, 1.0f, 0.7f, 1.0f},
        {12, 20, 300, 1, 8, 1.0f, 1.0f, 1.0f},      {13, 80, 28, 1, 12, 0.8f, 0.6f, 1.0f},
        {30, 8000, 250, 14, 16, 0.0f, 0.0f, 0.0f},  {31, 8000, 40, 14, 16, 0.0f, 0.0f, 0.0f},
        {32, 8000, 40, 14, 16, 0.0f, 0.0f, 0.0f},   {33, 60, 0, 1, 8, 1.0f, 1.0f, 1.0f},
        {34, 120, 0, 1, 8, 1.0f, 1.0f, 1.0f},       {35, 120, 30, 1, 12, 0.7f, 0.6f, 1.0f},
        {20, 300, 32, 1, 8, 0.8f, 0.9f, 1.0f},      {21, 50, 30, 12, 14, 1.0f, 1.0f, 1.0f},
        {22, 40, 10, 1, 7, 0.8f, 0.6f, 1.0f},       {8, 40, 5, 10, 12, 0.0f, 0.0f, 0.0f},
    };
    for (const SStartStats& e : expected)
    {
        SCOPED_TRACE("unit type " + std::to_string(e.cast));
        const CUnit* unit = Make(e.cast);
        EXPECT_FLOAT_EQ(unit->GetMaxHitPoints(), e.hitPoints);
        EXPECT_EQ(Attack(unit), e.attack);
        EXPECT_EQ(Range(unit), e.range);
        EXPECT_EQ(unit->GetSightRadius(), e.sight);
        if (e.factorA >= 0.0f)
        {
            EXPECT_FLOAT_EQ(unit->GetDamageFactorA(), e.factorA);
        }
        EXPECT_FLOAT_EQ(unit->GetDamageFactorB(), e.factorB);
        EXPECT_FLOAT_EQ(unit->GetDamageFactorC(), e.factorC);
    }
    EXPECT_FLOAT_EQ(Make(9)->GetDamageFactorA(), g_UnitStats[8].damageFactors[0]);
}

TEST_F(UnitStats, GetAttackSplitsBaseAndBonus)
{
    Research(ATTACK_C_2);
    int32_t base = 0, bonus = 0;
    EXPECT_EQ(Make(2)->GetAttack(&base, &bonus), 10);
    EXPECT_EQ(base, 8);
    EXPECT_EQ(bonus, 2);
    Research(RANGE_2);
    EXPECT_EQ(Make(3)->GetAttackRange(&base, &bonus), 11);
    EXPECT_EQ(base, 8);
    EXPECT_EQ(bonus, 3);
}

TEST_F(UnitStats, CloseCombatAttackTakesTheHighestLevelFirst)
{
    EXPECT_EQ(Attack(Make(2)), 8);
    Research(ATTACK_C_1);
    EXPECT_EQ(Attack(Make(2)), 9);
    EXPECT_EQ(Attack(Make(22)), 11);
    Research(ATTACK_C_3);   // level 2 skipped: level 3 still counts
    EXPECT_EQ(Attack(Make(2)), 12);
    EXPECT_EQ(Attack(Make(22)), 14);
    Forget(ATTACK_C_3);
    Research(ATTACK_C_2);
    EXPECT_EQ(Attack(Make(2)), 10);
    // Riders and knights do not use the close-combat line.
    EXPECT_EQ(Attack(Make(6)), 14);
    EXPECT_EQ(Attack(Make(10)), 18);
}

TEST_F(UnitStats, MountedAttackRaisesLightCavalryAndGiant)
{
    Research(ATTACK_M_1);
    EXPECT_EQ(Attack(Make(6)), 15);
    Research(ATTACK_M_2);
    EXPECT_EQ(Attack(Make(6)), 16);
    Research(ATTACK_M_3);
    EXPECT_EQ(Attack(Make(6)), 18);
    EXPECT_EQ(Attack(Make(20)), 36);
    EXPECT_EQ(Attack(Make(13)), 28);   // the heavy cavalry gets nothing
}

TEST_F(UnitStats, ArchersGainAttackRangeAndSight)
{
    Research(ATTACK_R_1);
    EXPECT_EQ(Attack(Make(3)), 6);
    Research(ATTACK_R_3);
    EXPECT_EQ(Attack(Make(3)), 8);
    Research(RANGE_1);
    EXPECT_EQ(Range(Make(3)), 9);
    EXPECT_EQ(Make(3)->GetSightRadius(), 11);
    Research(RANGE_3);
    EXPECT_EQ(Range(Make(3)), 13);
    EXPECT_EQ(Make(3)->GetSightRadius(), 15);
    EXPECT_EQ(Range(Make(9)), 14);
    EXPECT_EQ(Make(9)->GetSightRadius(), 15);
}

TEST_F(UnitStats, CrossbowmanWithSecondRangedAttackAndFlameArrowHasAttackTen)
{
    Research(ATTACK_R_2);
    Research(FLAMEARROW);
    EXPECT_EQ(Attack(Make(9)), 10);
    EXPECT_EQ(Attack(Make(3)), 7);   // flame arrows are the crossbowman's only
}

TEST_F(UnitStats, TowerArcherFollowsArcherOrCrossbowman)
{
    const CUnit* plain = Make(8);
    EXPECT_EQ(Attack(plain), 5);
    EXPECT_EQ(Range(plain), 10);
    EXPECT_EQ(plain->GetSightRadius(), 12);
    Research(CROSSBOW);
    const CUnit* crossbow = Make(8);
    EXPECT_EQ(Attack(crossbow), 6);
    EXPECT_EQ(Range(crossbow), 11);
    EXPECT_EQ(crossbow->GetSightRadius(), 12);
    // It keeps the archer's hit points whatever it shoots.
    EXPECT_FLOAT_EQ(crossbow->GetMaxHitPoints(), 40.0f);
    Research(ATTACK_R_3);
    Research(RANGE_1);
    EXPECT_EQ(Attack(crossbow), 10);
    EXPECT_EQ(Range(crossbow), 12);
    EXPECT_EQ(crossbow->GetSightRadius(), 13);
    Research(RANGE_3);
    EXPECT_EQ(Range(crossbow), 16);
    EXPECT_EQ(crossbow->GetSightRadius(), 17);
    Research(DEFENSE_C_3);
    EXPECT_FLOAT_EQ(crossbow->GetDamageFactorA(), 0.0f);
}

TEST_F(UnitStats, CatapultAttackAndRange)
{
    Research(CAT_ATT_1);
    EXPECT_EQ(Attack(Make(4)), 60);
    Research(CAT_ATT_2);
    EXPECT_EQ(Attack(Make(4)), 100);
    Research(CAT_RANGE);
    EXPECT_EQ(Range(Make(4)), 16);
    EXPECT_EQ(Make(4)->GetSightRadius(), 16);
}

TEST_F(UnitStats, WarGalleyWithBothShipRangeTechnologies)
{
    Research(SHIP_RNG_1);
    EXPECT_EQ(Range(Make(11)), 16);
    EXPECT_EQ(Make(11)->GetSightRadius(), 18);
    EXPECT_EQ(Make(7)->GetSightRadius(), 14);
    Research(SHIP_RNG_2);
    EXPECT_EQ(Range(Make(11)), 17);
    EXPECT_EQ(Make(11)->GetSightRadius(), 19);
    EXPECT_EQ(Make(7)->GetSightRadius(), 15);
    EXPECT_EQ(Range(Make(7)), 1);   // the transport ship does not shoot
    Research(SHIP_ATT_1);
    EXPECT_EQ(Attack(Make(11)), 40);
    Research(SHIP_ATT_2);
    EXPECT_EQ(Attack(Make(11)), 50);
}

TEST_F(UnitStats, PriestAttackAndDefence)
{
    Research(PRIEST_ATT_1);
    EXPECT_EQ(Attack(Make(5)), 5);
    Research(PRIEST_DEF);
    const CUnit* priest = Make(5);
    EXPECT_FLOAT_EQ(priest->GetDamageFactorA(), 0.85f);
    EXPECT_FLOAT_EQ(priest->GetDamageFactorB(), 0.85f);
    EXPECT_FLOAT_EQ(priest->GetDamageFactorC(), 1.0f);
}

TEST_F(UnitStats, ArcherWithAllCloseDefenceTechnologies)
{
    Research(DEFENSE_C_1);
    Research(DEFENSE_C_2);
    Research(DEFENSE_C_3);
    const CUnit* archer = Make(3);
    EXPECT_FLOAT_EQ(archer->GetDamageFactorA(), 1.65f);
    EXPECT_FLOAT_EQ(archer->GetDamageFactorB(), 1.0f);
    Research(DEFENSE_R_3);
    EXPECT_FLOAT_EQ(archer->GetDamageFactorB(), 0.65f);
    EXPECT_FLOAT_EQ(archer->GetDamageFactorC(), 1.0f);
    EXPECT_FLOAT_EQ(Make(22)->GetDamageFactorB(), 0.25f);
    // The knight and heavy cavalry keep their record's factors.
    EXPECT_FLOAT_EQ(Make(10)->GetDamageFactorA(), 0.8f);
    EXPECT_FLOAT_EQ(Make(13)->GetDamageFactorB(), 0.6f);
}

TEST_F(UnitStats, MachineDefenceLowersAllThreeFactors)
{
    Research(MACINE_D_1);
    const CUnit* catapult = Make(4);
    EXPECT_FLOAT_EQ(catapult->GetDamageFactorA(), 0.97f);
    EXPECT_FLOAT_EQ(catapult->GetDamageFactorB(), 0.75f);
    EXPECT_FLOAT_EQ(catapult->GetDamageFactorC(), 0.97f);
    Research(MACINE_D_2);
    const CUnit* galley = Make(11);
    EXPECT_FLOAT_EQ(galley->GetDamageFactorA(), 0.92f);
    EXPECT_FLOAT_EQ(galley->GetDamageFactorB(), 0.55f);
    Research(MACINE_D_3);
    EXPECT_FLOAT_EQ(catapult->GetDamageFactorA(), 0.8f);
    EXPECT_FLOAT_EQ(catapult->GetDamageFactorB(), 0.5f);
    EXPECT_FLOAT_EQ(Make(7)->GetDamageFactorB(), 0.6f);
    EXPECT_FLOAT_EQ(Make(34)->GetDamageFactorA(), 1.0f);   // the settler is no war machine here
}

TEST_F(UnitStats, ResearchAlmostDoneGivesNoBonus)
{
    m_World.Research(1, RANGE_3, 99.9f);
    m_World.Research(1, ATTACK_C_1, 99.9f);
    EXPECT_EQ(Range(Make(3)), 8);
    EXPECT_EQ(Attack(Make(2)), 8);
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.5f);
}

TEST_F(UnitStats, BloodbathSpeedsUpTheAttackAnimation)
{
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.5f);
    Research(BLOODBATH);
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.65f);
    EXPECT_FLOAT_EQ(Make(21)->GetAttackAnimSpeed(), 1.105f);
    EXPECT_FLOAT_EQ(Make(32)->GetAttackAnimSpeed(), 0.7f);
    EXPECT_FLOAT_EQ(Make(11)->GetAttackAnimSpeed(), 0.4f);
    EXPECT_FLOAT_EQ(Make(1)->GetAttackAnimSpeed(), 0.0f);
}

TEST_F(UnitStats, ResearchOfAnotherPlayerChangesNothing)
{
    m_World.Research(2, RANGE_3);
    EXPECT_EQ(Range(Make(3)), 8);
}

TEST(UnitStatsSlowDeath, TripledHitPointsButDemolitionMan)
{
    CSimHarness world;
    g_Config.unitHealthMultiply = 1;
    InitTypeRecords();
    EXPECT_FLOAT_EQ(world.Spawn(0, 8, -1, -1)->GetMaxHitPoints(), 120.0f);
    EXPECT_FLOAT_EQ(world.Spawn(0, 2, -1, -1)->GetMaxHitPoints(), 150.0f);
    EXPECT_FLOAT_EQ(world.Spawn(0, 12, -1, -1)->GetMaxHitPoints(), 20.0f);
}

TEST(UnitStatsRanges, SightStaysInsideTheRangeTables)
{
    CSimHarness world;
    for (int32_t technology = 0; technology < TechnologyCount; ++technology)
        world.Research(0, technology);
    for (int32_t cast = 0; cast < 36; ++cast)
        if (CUnit* unit = world.Spawn(0, cast, -1, -1))
        {
            EXPECT_GE(unit->GetSightRadius(), 0) << cast;
            EXPECT_LE(unit->GetSightRadius() + 3, 29) << cast;
            EXPECT_GE(unit->GetDamageFactorA(), 0.0f) << cast;
            EXPECT_GE(unit->GetDamageFactorB(), 0.0f) << cast;
            EXPECT_GE(unit->GetDamageFactorC(), 0.0f) << cast;
        }
}
