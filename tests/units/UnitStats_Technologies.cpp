// Stats of the unit types at the start values of the type records and with
// the technologies that change them.  Expected values are the start values
// plus the bonuses worked out by hand.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

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

enum class EStat { HitPoints, Attack, Range, Sight, FactorA, FactorB, FactorC, AnimSpeed };

float Read(const CUnit* unit, EStat stat)
{
    int32_t base = 0, bonus = 0;
    switch (stat)
    {
    case EStat::HitPoints: return unit->GetMaxHitPoints();
    case EStat::Attack: return static_cast<float>(unit->GetAttack(&base, &bonus));
    case EStat::Range: return static_cast<float>(unit->GetAttackRange(&base, &bonus));
    case EStat::Sight: return static_cast<float>(unit->GetSightRadius());
    case EStat::FactorA: return unit->GetDamageFactorA();
    case EStat::FactorB: return unit->GetDamageFactorB();
    case EStat::FactorC: return unit->GetDamageFactorC();
    case EStat::AnimSpeed: return unit->GetAttackAnimSpeed();
    }
    return -1.0f;
}

class UnitStats : public ::testing::Test
{
protected:
    // A fresh unit of the type for player 1, whose research the test sets.
    CUnit* Make(int32_t cast) { return m_World.Spawn(1, cast, -1, -1); }
    void ResearchOnly(const std::vector<int32_t>& technologies)
    {
        for (int32_t technology = 0; technology < TechnologyCount; ++technology)
            m_World.Research(1, technology, 0.0f);
        for (int32_t technology : technologies)
            m_World.Research(1, technology);
    }

    CSimHarness m_World;
};

struct SStartStats
{
    int32_t cast;
    float hitPoints;
    int32_t attack, range, sight;
    float factorA, factorB, factorC;
};

struct SCheck
{
    int32_t cast;
    EStat stat;
    float expected;
};

// Technologies researched one step after another, with what each step gives.
struct SStep
{
    std::vector<int32_t> researched;
    std::vector<SCheck> checks;
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
        EXPECT_FLOAT_EQ(Read(unit, EStat::HitPoints), e.hitPoints);
        EXPECT_EQ(Read(unit, EStat::Attack), e.attack);
        EXPECT_EQ(Read(unit, EStat::Range), e.range);
        EXPECT_EQ(Read(unit, EStat::Sight), e.sight);
        if (e.factorA >= 0.0f)
        {
            EXPECT_FLOAT_EQ(unit->GetDamageFactorA(), e.factorA);
        }
        EXPECT_FLOAT_EQ(unit->GetDamageFactorB(), e.factorB);
        EXPECT_FLOAT_EQ(unit->GetDamageFactorC(), e.factorC);
    }
    EXPECT_FLOAT_EQ(Make(9)->GetDamageFactorA(), g_UnitStats[8].damageFactors[0]);
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.5f);
}

TEST_F(UnitStats, TechnologiesRaiseTheStatsOfTheTypesTheyServe)
{
    using S = EStat;
    const std::vector<std::vector<SStep>> lines = {
        // Close combat: the highest level first, a skipped level still counts;
        // riders and knights are not on this line.
        {{{ATTACK_C_1}, {{2, S::Attack, 9}, {22, S::Attack, 11}}}, {{ATTACK_C_3}, {{2, S::Attack, 12}, {22, S::Attack, 14}}}},
        {{{ATTACK_C_1, ATTACK_C_2}, {{2, S::Attack, 10}, {6, S::Attack, 14}, {10, S::Attack, 18}}}},
        // Mounted: light cavalry and giant, not the heavy cavalry.
        {{{ATTACK_M_1}, {{6, S::Attack, 15}}}, {{ATTACK_M_2}, {{6, S::Attack, 16}}},
         {{ATTACK_M_3}, {{6, S::Attack, 18}, {20, S::Attack, 36}, {13, S::Attack, 28}}}},
        // Archers: attack, range and sight.
        {{{ATTACK_R_1}, {{3, S::Attack, 6}}}, {{ATTACK_R_3}, {{3, S::Attack, 8}}},
         {{RANGE_1}, {{3, S::Range, 9}, {3, S::Sight, 11}}},
         {{RANGE_3}, {{3, S::Range, 13}, {3, S::Sight, 15}, {9, S::Range, 14}, {9, S::Sight, 15}}}},
        // Flame arrows are the crossbowman's only.
        {{{ATTACK_R_2, FLAMEARROW}, {{9, S::Attack, 10}, {3, S::Attack, 7}}}},
        // The tower archer shoots as an archer or, once researched, a
        // crossbowman, and keeps the archer's hit points.
        {{{}, {{8, S::Attack, 5}, {8, S::Range, 10}, {8, S::Sight, 12}}},
         {{CROSSBOW}, {{8, S::Attack, 6}, {8, S::Range, 11}, {8, S::Sight, 12}, {8, S::HitPoints, 40}}},
         {{ATTACK_R_3, RANGE_1}, {{8, S::Attack, 10}, {8, S::Range, 12}, {8, S::Sight, 13}}},
         {{RANGE_3}, {{8, S::Range, 16}, {8, S::Sight, 17}}}, {{DEFENSE_C_3}, {{8, S::FactorA, 0.0f}}}},
        {{{CAT_ATT_1}, {{4, S::Attack, 60}}}, {{CAT_ATT_2}, {{4, S::Attack, 100}}},
         {{CAT_RANGE}, {{4, S::Range, 16}, {4, S::Sight, 16}}}},
        // Ships: both range technologies add up; the transport ship does not shoot.
        {{{SHIP_RNG_1}, {{11, S::Range, 16}, {11, S::Sight, 18}, {7, S::Sight, 14}}},
         {{SHIP_RNG_2}, {{11, S::Range, 17}, {11, S::Sight, 19}, {7, S::Sight, 15}, {7, S::Range, 1}}},
         {{SHIP_ATT_1}, {{11, S::Attack, 40}}}, {{SHIP_ATT_2}, {{11, S::Attack, 50}}}},
        {{{PRIEST_ATT_1}, {{5, S::Attack, 5}}},
         {{PRIEST_DEF}, {{5, S::FactorA, 0.85f}, {5, S::FactorB, 0.85f}, {5, S::FactorC, 1.0f}}}},
        // Defence lines; the knight and heavy cavalry keep their record's factors.
        {{{DEFENSE_C_1, DEFENSE_C_2, DEFENSE_C_3}, {{3, S::FactorA, 1.65f}, {3, S::FactorB, 1.0f}}},
         {{DEFENSE_R_3}, {{3, S::FactorB, 0.65f}, {3, S::FactorC, 1.0f}, {22, S::FactorB, 0.25f},
                          {10, S::FactorA, 0.8f}, {13, S::FactorB, 0.6f}}}},
        // Machine defence lowers all three; the settler is no war machine here.
        {{{MACINE_D_1}, {{4, S::FactorA, 0.97f}, {4, S::FactorB, 0.75f}, {4, S::FactorC, 0.97f}}},
         {{MACINE_D_2}, {{11, S::FactorA, 0.92f}, {11, S::FactorB, 0.55f}}},
         {{MACINE_D_3}, {{4, S::FactorA, 0.8f}, {4, S::FactorB, 0.5f}, {7, S::FactorB, 0.6f}, {34, S::FactorA, 1.0f}}}},
        {{{BLOODBATH}, {{2, S::AnimSpeed, 0.65f}, {21, S::AnimSpeed, 1.105f}, {32, S::AnimSpeed, 0.7f},
                        {11, S::AnimSpeed, 0.4f}, {1, S::AnimSpeed, 0.0f}}}},
    };
    for (size_t line = 0; line < lines.size(); ++line)
    {
        ResearchOnly({});
        for (const SStep& step : lines[line])
        {
            for (int32_t technology : step.researched)
                m_World.Research(1, technology);
            for (const SCheck& check : step.checks)
                EXPECT_FLOAT_EQ(Read(Make(check.cast), check.stat), check.expected)
                    << "line " << line << ", type " << check.cast << ", stat " << static_cast<int>(check.stat);
        }
    }
}

TEST_F(UnitStats, GetAttackSplitsBaseAndBonus)
{
    ResearchOnly({ATTACK_C_2, RANGE_2});
    int32_t base = 0, bonus = 0;
    EXPECT_EQ(Make(2)->GetAttack(&base, &bonus), 10);
    EXPECT_EQ(base, 8);
    EXPECT_EQ(bonus, 2);
    EXPECT_EQ(Make(3)->GetAttackRange(&base, &bonus), 11);
    EXPECT_EQ(base, 8);
    EXPECT_EQ(bonus, 3);
}

TEST_F(UnitStats, ResearchAlmostDoneOrOfAnotherPlayerGivesNoBonus)
{
    m_World.Research(1, RANGE_3, 99.9f);
    m_World.Research(1, ATTACK_C_1, 99.9f);
    m_World.Research(1, BLOODBATH, 99.9f);
    m_World.Research(2, RANGE_1);
    EXPECT_EQ(Read(Make(3), EStat::Range), 8);
    EXPECT_EQ(Read(Make(2), EStat::Attack), 8);
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.5f);
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
