// The technologies that raise the unit types' stats (start values plus
// bonuses worked out by hand).

#include "tests/units/UnitWorld.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_Worker.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t ATTACK_C_1 = 11, ATTACK_C_3 = 13, DEFENSE_C_3 = 16;
constexpr int32_t ATTACK_R_2 = 21, RANGE_3 = 25, CROSSBOW = 31;
constexpr int32_t SHIP_RNG_1 = 37, SHIP_RNG_2 = 38, MACINE_D_3 = 41, FLAMEARROW = 58, BLOODBATH = 60;
constexpr int32_t WOOD_1 = 0, WOOD_2 = 1, WOOD_3 = 2, MINE_1 = 3, MINE_2 = 4, CARRY_1 = 5, CARRY_2 = 6, CARRY_3 = 7;

// The last four are the worker's (type 1).
enum class EStat { HitPoints, Attack, Range, Sight, FactorA, FactorB, FactorC, AnimSpeed, Carry, Wood, Stone, Gold };

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
    case EStat::Carry: return static_cast<float>(static_cast<const CUnitWorker*>(unit)->GetCarryLimit());
    case EStat::Wood: return static_cast<const CUnitWorker*>(unit)->GetHarvestRate(CUnitWorker::KindWood);
    case EStat::Stone: return static_cast<const CUnitWorker*>(unit)->GetHarvestRate(CUnitWorker::KindStone);
    case EStat::Gold: return static_cast<const CUnitWorker*>(unit)->GetHarvestRate(CUnitWorker::KindGold);
    }
    return -1.0f;
}

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
        // The worker carries and harvests by the highest level researched, a skipped level too.
        {{{}, {{1, S::Carry, 10}, {1, S::Wood, 0.6f}, {1, S::Stone, 0.8f}, {1, S::Gold, 0.2f}}},
         {{CARRY_1, WOOD_1, MINE_1},
          {{1, S::Carry, 12}, {1, S::Wood, 0.66f}, {1, S::Stone, 0.92f}, {1, S::Gold, 0.23f}}},
         {{CARRY_2, WOOD_2, MINE_2},
          {{1, S::Carry, 15}, {1, S::Wood, 0.75f}, {1, S::Stone, 1.16f}, {1, S::Gold, 0.29f}}},
         {{CARRY_3, WOOD_3}, {{1, S::Carry, 20}, {1, S::Wood, 0.93f}}}},
        {{{CARRY_3, MINE_2}, {{1, S::Carry, 20}, {1, S::Stone, 1.16f}}}},
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
