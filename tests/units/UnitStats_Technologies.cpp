#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "core/C_Localizer.h"
#include "tests/support/SimHarness.h"
#include "units/C_UnitSoundTable.h"
#include "units/C_Unit_Worker.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t ATTACK_C_1 = 11, ATTACK_C_3 = 13, DEFENSE_C_3 = 16, ATTACK_R_2 = 21, RANGE_3 = 25, CROSSBOW = 31;
constexpr int32_t ATTACK_R_1 = 20, ATTACK_M_1 = 26, ATTACK_M_3 = 28, SHIP_ATT_1 = 35, SHIP_ATT_2 = 36, CAT_ATT_1 = 42;
constexpr int32_t SHIP_RNG_1 = 37, SHIP_RNG_2 = 38, MACINE_D_3 = 41, FLAMEARROW = 58, BLOODBATH = 60;
constexpr int32_t WOOD_1 = 0, WOOD_2 = 1, WOOD_3 = 2, MINE_1 = 3, MINE_2 = 4, CARRY_1 = 5, CARRY_2 = 6, CARRY_3 = 7;

// The last four are the worker's (type 1).
enum class EStat { HitPoints, Attack, Range, Sight, FactorA, FactorB, FactorC, Carry, Wood, Stone, Gold };

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
        // The highest level counts, a skipped level too; knights are not on this line.
        {{{ATTACK_C_1}, {{2, S::Attack, 9}, {22, S::Attack, 11}}},
         {{ATTACK_C_3}, {{2, S::Attack, 12}, {22, S::Attack, 14}, {10, S::Attack, 18}}}},
        // Riders and giants, catapults, war galleys and shooters (on a tower too) each by their own line.
        {{{ATTACK_M_1, CAT_ATT_1, SHIP_ATT_1, ATTACK_R_1},
          {{6, S::Attack, 15}, {20, S::Attack, 33}, {4, S::Attack, 60}, {11, S::Attack, 40}, {8, S::Attack, 6},
           {3, S::Attack, 6}}},
         {{ATTACK_M_3, SHIP_ATT_2}, {{6, S::Attack, 18}, {2, S::Attack, 8}, {11, S::Attack, 50}}}},
        // Flame arrows are the crossbowman's only.
        {{{ATTACK_R_2, FLAMEARROW}, {{9, S::Attack, 10}, {3, S::Attack, 7}}}},
        // The tower archer shoots as an archer or, once researched, a crossbowman, and keeps the archer's hit points.
        {{{CROSSBOW}, {{8, S::Attack, 6}, {8, S::Range, 11}, {8, S::Sight, 12}, {8, S::HitPoints, 40}}},
         {{RANGE_3}, {{8, S::Range, 16}, {8, S::Sight, 17}}}, {{DEFENSE_C_3}, {{8, S::FactorA, 0.0f}}}},
        // Both ship range technologies add up; the transport ship does not shoot.
        {{{SHIP_RNG_1}, {{11, S::Range, 16}, {11, S::Sight, 18}, {7, S::Sight, 14}}},
         {{SHIP_RNG_2}, {{11, S::Range, 17}, {11, S::Sight, 19}, {7, S::Sight, 15}, {7, S::Range, 1}}}},
        // Machine defence lowers all three factors; the settler is no war machine.
        {{{MACINE_D_3}, {{4, S::FactorA, 0.8f}, {4, S::FactorB, 0.5f}, {4, S::FactorC, 0.8f}, {34, S::FactorA, 1.0f}}}},
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
        for (int32_t technology = 0; technology < TechnologyCount; ++technology) m_World.Research(1, technology, 0.0f);
        for (const SStep& step : lines[line])
        {
            for (int32_t technology : step.researched) m_World.Research(1, technology);
            for (const SCheck& check : step.checks)
                EXPECT_FLOAT_EQ(Read(Make(check.cast), check.stat), check.expected)
                    << "line " << line << ", type " << check.cast << ", stat " << static_cast<int>(check.stat);
        }
    }
}

// Every type's traits and start values, row by row: cast, portrait; a attacks, r ranged, s ship, m machine,
// h healable, v starves; layer, size, hit effect, points, attack animation (plain / with TC_BLOODBATH), least
// range, hit points, attack, range, sight, damage factors (the crossbowman's first is its record's 1.6), the
// factory's speed and first model, a repair cycle's wood / stone / gold (-1: none) and the three sound pairs.
TEST_F(UnitStats, EveryTypeAnswersItsCatalogueRowAtStartValues)
{
    const std::string rows[] = {
        "1 27 ----h- 1 1 1 2 0/0 0 30 0 1 6 1/1/1 0.1 0 -1/-1/-1 197/0 197/0 197/0",
        "2 28 a---hv 1 1 1 5 0.5/0.65 0 50 8 1 8 1/1/1 0.1 13 -1/-1/-1 197/0 197/0 197/0",
        "3 29 ar--hv 1 1 1 5 0.35/0.455 0 40 5 8 10 2/1/1 0.1 18 -1/-1/-1 197/0 197/0 197/0",
        "4 31 ar-m-- 1 2 2 10 0.8/0.8 4 70 30 14 16 1/0.8/1 0.055 23 0.5/0/0 197/0 197/0 197/0",
        "5 32 ----hv 1 1 1 2 0.8/1.04 0 30 3 12 14 1/1/1 0.06 28 -1/-1/-1 197/0 197/0 197/0",
        "6 33 a---hv 1 2 1 15 0.8/1.04 0 65 14 1 11 1/1/1 0.17 34 -1/-1/-1 197/0 197/0 197/0",
        "7 34 --sm-- 2 3 2 10 0/0 0 120 0 1 12 1/0.9/1 0.08 44 0.3/0/0 197/0 197/0 197/0",
        "8 0 a----- 1 2 0 3 0/0 3 40 5 10 12 0/0/0 0 0 -1/-1/-1 197/0 197/0 197/0",
        "9 35 ar--hv 1 1 1 8 0.6/0.78 0 50 6 9 10 1.6/0.7/1 0.1 46 -1/-1/-1 197/0 197/0 197/0",
        "10 36 a---hv 1 1 0 10 0.5/0.65 0 70 18 1 10 0.8/0.3/1 0.08 51 -1/-1/-1 197/0 197/0 197/0",
        "11 37 arsm-- 2 5 2 30 0.4/0.4 6 400 35 14 16 1/0.7/1 0.05 56 0.5/0/0 197/0 197/0 197/0",
        "12 38 ----hv 1 1 1 10 1.5/1.5 0 20 300 1 8 1/1/1 0.08 58 -1/-1/-1 197/0 197/0 197/0",
        "13 39 a---hv 1 2 1 20 0.8/1.04 0 80 28 1 12 0.8/0.6/1 0.12 39 -1/-1/-1 197/0 197/0 197/0",
        "20 49 a---hv 1 2 1 20 0.5/0.65 0 300 32 1 8 0.8/0.9/1 0.06 96 -1/-1/-1 197/0 197/0 197/0",
        "21 50 ar--h- 1 1 1 20 0.85/1.105 3 50 30 12 14 1/1/1 0.18 101 -1/-1/-1 197/0 197/0 197/0",
        "22 51 a----- 1 1 0 20 0.5/0.65 0 40 10 1 7 0.8/0.6/1 0.1 104 -1/-1/-1 197/0 197/0 197/0",
        "30 40 ar---- 1 1 0 1000 0.5/0.65 0 8000 250 14 16 0/0/0 0.1 87 -1/-1/-1 255/1 255/1 255/1",
        "31 41 ar---- 1 1 0 1000 1/1.3 0 8000 40 14 16 0/0/0 0.1 90 -1/-1/-1 255/1 255/1 255/1",
        "32 42 ar---- 1 1 0 1000 0.7/0.7 0 8000 40 14 16 0/0/0 0.1 93 -1/-1/-1 255/1 255/1 255/1",
        "33 43 ----h- 1 1 1 100 0/0 0 60 0 1 8 1/1/1 0.07 61 -1/-1/-1 197/0 197/0 197/0",
        "34 45 ---m-- 1 2 2 1 0/0 0 120 0 1 8 1/1/1 0.05 69 0.1/0/0 197/0 197/0 197/0",
        "35 48 a---h- 1 2 1 100 0.8/1.04 0 120 30 1 12 0.7/0.6/1 0.12 82 -1/-1/-1 197/0 197/0 197/0",
    };
    for (const std::string& row : rows)
    {
        m_World.Research(1, BLOODBATH, 0.0f);
        const CUnit* unit = Make(std::stoi(row));
        ASSERT_NE(unit, nullptr) << row;
        std::ostringstream text;
        text << unit->GetCastID() << ' ' << unit->GetObjectTypeId() << ' '
             << std::string{unit->CanAttackUnits() ? 'a' : '-', unit->IsRanged() ? 'r' : '-',
                            unit->IsShip() ? 's' : '-',         unit->IsMachine() ? 'm' : '-',
                            unit->IsHealable() ? 'h' : '-',     unit->CanStarve() ? 'v' : '-'}
             << ' ' << unit->GetMoveLayer() << ' ' << unit->GetSize() << ' ' << unit->GetHitEffectKind() << ' '
             << unit->GetPointValue() << ' ' << unit->GetAttackAnimSpeed() << '/';
        m_World.Research(1, BLOODBATH);
        text << unit->GetAttackAnimSpeed() << ' ' << unit->GetMinAttackRange();
        for (const EStat stat : {EStat::HitPoints, EStat::Attack, EStat::Range, EStat::Sight})
            text << ' ' << Read(unit, stat);
        float cost[3] = {-1.0f, -1.0f, -1.0f};
        unit->GetRepairCost(&cost[0], &cost[1], &cost[2]);
        text << ' ' << unit->GetDamageFactorA() << '/' << unit->GetDamageFactorB() << '/' << unit->GetDamageFactorC()
             << ' ' << unit->speed << ' ' << unit->model << ' ' << cost[0] << '/' << cost[1] << '/' << cost[2];
        for (const SSoundPair pair : {unit->GetSoundPair1(), unit->GetSoundPair2(), unit->GetSoundPair3()})
            text << ' ' << pair.sample << '/' << pair.variants;
        EXPECT_EQ(text.str(), row);
    }
    // A type's name comes from the locale; the heroes' and the tower archer's are their own.
    std::string texts = "UN_GIANT,\"Giant\"\nQuiB,\"Someone\"\nDefault,\"Someone\"\n";
    for (int32_t t = 0; t < CUnitTypeTable::TypeCount; ++t)
        if (std::string(CUnitTypeTable::Row(t).nameKey).starts_with("UN_") && CUnitTypeTable::Row(t).cast != UNIT_GIANT)
            texts += std::string(CUnitTypeTable::Row(t).nameKey) + ",\"Named\"\n";
    ASSERT_TRUE(g_Localizer.LoadLocaleText("test", texts.c_str(), int(texts.size())));
    EXPECT_TRUE(std::string(Make(UNIT_GIANT)->GetCastName()) == "Giant" &&
                std::string(Make(UNIT_QUIB)->GetCastName()) == "QuiB");
    for (int32_t t = 0; t < CUnitTypeTable::TypeCount; ++t)
        if (const int32_t c = CUnitTypeTable::Row(t).cast; c != UNIT_GIANT)
            EXPECT_EQ(std::string(Make(c)->GetCastName()) == "Named",
                      c != UNIT_TOWERARCHER && c != UNIT_QUIB && c != UNIT_WARHOUND && c != UNIT_GUNSLINGER) << c;
    g_Localizer.Clear();
}

// Each table's death and hurt sounds by damage type 1 to 9 as "sample:variants" ("-" none); none outside 1 to 9.
TEST(UnitHitSounds, EachTableGivesItsDeathAndHurtSoundsByDamageType)
{
    using E = EHitSounds;
    const std::string human = "74:12 86:12 86:12 98:2 112:6 100:8 108:4 108:4 98:2";
    const std::tuple<E, std::string, std::string> tables[] = {
        {E::Human, human, "64:2 66:3 66:3 69:2 - 71:2 73:1 73:1 69:2"},
        {E::Knight, "43:4" + human.substr(5), "32:4 36:4 36:4 69:2 - 40:3 73:1 73:1 69:2"},
        {E::Machine, "- - - - - - - - -", "118:3 121:3 121:3 124:3 - 127:2 129:1 129:1 124:3"},
        {E::Giant, "55:2 55:2 55:2 55:2 112:6 55:2 55:2 55:2 55:2", "64:2 53:2 53:2 - - - 73:1 73:1 -"},
        {E::Undead, "62:2 62:2 62:2 69:2 62:2 71:2 62:2 62:2 69:2", "60:2 169:4 169:4 69:2 - 71:2 143:1 143:1 69:2"},
        {E::Demon, "59:1 59:1 59:1 59:1 59:1 59:1 59:1 59:1 59:1", "60:2 58:1 58:1 - - - 73:1 73:1 -"}};
    const auto text = [](const SSoundPair& s) {
        return s.variants == 0 ? std::string("-") : std::to_string(s.sample) + ":" + std::to_string(s.variants);
    };
    for (const auto& [table, deaths, hurts] : tables)
    {
        std::string death, hurt;
        for (int32_t damage = 1; damage <= 9; ++damage)
            if (const SHitSoundRow* row = CUnitSoundTable::Row(table, damage))
                death += " " + text(row->death), hurt += " " + text(row->hurt);
        EXPECT_EQ(std::pair(death, hurt), std::pair(" " + deaths, " " + hurts)) << int(table);
        EXPECT_TRUE(!CUnitSoundTable::Row(table, 0) && !CUnitSoundTable::Row(table, 10)) << int(table);
    }
}
