// The unit types' traits and start stats, and the technologies that raise
// them (start values plus bonuses worked out by hand).

#include <sstream>
#include <utility>

#include "tests/units/UnitWorld.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t ATTACK_C_1 = 11, ATTACK_C_3 = 13, DEFENSE_C_3 = 16;
constexpr int32_t ATTACK_R_2 = 21, RANGE_3 = 25, CROSSBOW = 31;
constexpr int32_t SHIP_RNG_1 = 37, SHIP_RNG_2 = 38, MACINE_D_3 = 41, FLAMEARROW = 58, BLOODBATH = 60;

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

// Object type id, the traits a unit has, its layer, size, hit effect, points
// and least attack range | hit points, attack/range/sight, damage factors.
std::string Describe(const CUnit& u)
{
    std::ostringstream out;
    out << u.GetObjectTypeId() << (u.CanAttackUnits() ? " attacks" : "") << (u.IsRanged() ? " ranged" : "")
        << (u.IsShip() ? " ship" : "") << " layer " << u.GetMoveLayer() << " size " << u.GetSize()
        << (u.IsMachine() ? " machine" : "") << (u.IsHealable() ? " healable" : "")
        << " fx " << u.GetHitEffectKind() << (u.CanStarve() ? " starves" : "")
        << " points " << u.GetPointValue() << " min " << u.GetMinAttackRange() << " | ";
    for (EStat stat : {EStat::HitPoints, EStat::Attack, EStat::Range, EStat::Sight, EStat::FactorA,
                       EStat::FactorB, EStat::FactorC})
        out << Read(&u, stat) << (stat == EStat::HitPoints ? " hp, " : stat == EStat::Sight ? ", " : "/");
    std::string text = out.str();
    return text.substr(0, text.size() - 1);
}

const struct { int32_t cast; const char* described; } Expected[] = {
    {1, "27 layer 1 size 1 healable fx 1 points 2 min 0 | 30 hp, 0/1/6, 1/1/1"},
    {2, "28 attacks layer 1 size 1 healable fx 1 starves points 5 min 0 | 50 hp, 8/1/8, 1/1/1"},
    {3, "29 attacks ranged layer 1 size 1 healable fx 1 starves points 5 min 0 | 40 hp, 5/8/10, 2/1/1"},
    {4, "31 attacks ranged layer 1 size 2 machine fx 2 points 10 min 4 | 70 hp, 30/14/16, 1/0.8/1"},
    {5, "32 layer 1 size 1 healable fx 1 starves points 2 min 0 | 30 hp, 3/12/14, 1/1/1"},
    {6, "33 attacks layer 1 size 2 healable fx 1 starves points 15 min 0 | 65 hp, 14/1/11, 1/1/1"},
    {7, "34 ship layer 2 size 3 machine fx 2 points 10 min 0 | 120 hp, 0/1/12, 1/0.9/1"},
    {8, "0 attacks layer 1 size 2 fx 0 points 3 min 3 | 40 hp, 5/10/12, 0/0/0"},
    {9, "35 attacks ranged layer 1 size 1 healable fx 1 starves points 8 min 0 | 50 hp, 6/9/10, 1.6/0.7/1"},
    {10, "36 attacks layer 1 size 1 healable fx 0 starves points 10 min 0 | 70 hp, 18/1/10, 0.8/0.3/1"},
    {11, "37 attacks ranged ship layer 2 size 5 machine fx 2 points 30 min 6 | 400 hp, 35/14/16, 1/0.7/1"},
    {12, "38 layer 1 size 1 healable fx 1 starves points 10 min 0 | 20 hp, 300/1/8, 1/1/1"},
    {13, "39 attacks layer 1 size 2 healable fx 1 starves points 20 min 0 | 80 hp, 28/1/12, 0.8/0.6/1"},
    {20, "49 attacks layer 1 size 2 healable fx 1 starves points 20 min 0 | 300 hp, 32/1/8, 0.8/0.9/1"},
    {21, "50 attacks ranged layer 1 size 1 healable fx 1 points 20 min 3 | 50 hp, 30/12/14, 1/1/1"},
    {22, "51 attacks layer 1 size 1 fx 0 points 20 min 0 | 40 hp, 10/1/7, 0.8/0.6/1"},
    {30, "40 attacks ranged layer 1 size 1 fx 0 points 1000 min 0 | 8000 hp, 250/14/16, 0/0/0"},
    {31, "41 attacks ranged layer 1 size 1 fx 0 points 1000 min 0 | 8000 hp, 40/14/16, 0/0/0"},
    {32, "42 attacks ranged layer 1 size 1 fx 0 points 1000 min 0 | 8000 hp, 40/14/16, 0/0/0"},
    {33, "43 layer 1 size 1 healable fx 1 points 100 min 0 | 60 hp, 0/1/8, 1/1/1"},
    {34, "45 layer 1 size 2 machine fx 2 points 1 min 0 | 120 hp, 0/1/8, 1/1/1"},
    {35, "48 attacks layer 1 size 2 healable fx 1 points 100 min 0 | 120 hp, 30/1/12, 0.7/0.6/1"},
};

class UnitStats : public ::testing::Test
{
protected:
    CUnit* Make(int32_t cast) { return m_World.Spawn(1, cast, -1, -1); }

    CSimHarness m_World;
};

struct SCheck { int32_t cast; EStat stat; float expected; };

// Technologies researched one step after another, with what each step gives.
struct SStep { std::vector<int32_t> researched; std::vector<SCheck> checks; };
}  // namespace

TEST_F(UnitStats, EveryTypeAnswersItsTraitsAndStartStats)
{
    for (const auto& e : Expected)
    {
        SCOPED_TRACE("unit type " + std::to_string(e.cast));
        CUnit* unit = Make(e.cast);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->GetCastID(), e.cast);
        EXPECT_EQ(Describe(*unit), e.described);
        EXPECT_TRUE(unit->CanBeCaptured());
        EXPECT_FALSE(unit->AcceptGarrison(nullptr) || unit->EnterBuilding(nullptr));
    }
    const std::pair<int32_t, const char*> fixedNames[] = {{8, "Default"}, {30, "QuiB"}, {31, "Warhound"},
                                                          {32, "Gunslinger"}};
    for (const auto& [cast, name] : fixedNames)
        EXPECT_STREQ(Make(cast)->GetCastName(), name);
    EXPECT_FLOAT_EQ(Make(2)->GetAttackAnimSpeed(), 0.5f);
}

TEST_F(UnitStats, TechnologiesRaiseTheStatsOfTheTypesTheyServe)
{
    using S = EStat;
    const std::vector<std::vector<SStep>> lines = {
        // The highest level counts, a skipped level too; knights are not on
        // this line.
        {{{ATTACK_C_1}, {{2, S::Attack, 9}, {22, S::Attack, 11}}},
         {{ATTACK_C_3}, {{2, S::Attack, 12}, {22, S::Attack, 14}, {10, S::Attack, 18}}}},
        // Flame arrows are the crossbowman's only.
        {{{ATTACK_R_2, FLAMEARROW}, {{9, S::Attack, 10}, {3, S::Attack, 7}}}},
        // The tower archer shoots as an archer or, once researched, a
        // crossbowman, and keeps the archer's hit points.
        {{{}, {{8, S::Attack, 5}, {8, S::Range, 10}, {8, S::Sight, 12}}},
         {{CROSSBOW}, {{8, S::Attack, 6}, {8, S::Range, 11}, {8, S::Sight, 12}, {8, S::HitPoints, 40}}},
         {{RANGE_3}, {{8, S::Range, 16}, {8, S::Sight, 17}}}, {{DEFENSE_C_3}, {{8, S::FactorA, 0.0f}}}},
        // Both ship range technologies add up; the transport ship does not shoot.
        {{{SHIP_RNG_1}, {{11, S::Range, 16}, {11, S::Sight, 18}, {7, S::Sight, 14}}},
         {{SHIP_RNG_2}, {{11, S::Range, 17}, {11, S::Sight, 19}, {7, S::Sight, 15}, {7, S::Range, 1}}}},
        // Machine defence lowers all three factors; the settler is no war machine.
        {{{MACINE_D_3}, {{4, S::FactorA, 0.8f}, {4, S::FactorB, 0.5f}, {4, S::FactorC, 0.8f}, {34, S::FactorA, 1.0f}}}},
        {{{BLOODBATH}, {{2, S::AnimSpeed, 0.65f}, {21, S::AnimSpeed, 1.105f}, {32, S::AnimSpeed, 0.7f},
                        {11, S::AnimSpeed, 0.4f}, {1, S::AnimSpeed, 0.0f}}}},
    };
    for (size_t line = 0; line < lines.size(); ++line)
    {
        for (int32_t technology = 0; technology < TechnologyCount; ++technology)
            m_World.Research(1, technology, 0.0f);
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
