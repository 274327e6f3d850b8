#include "units/C_UnitTypeTable.h"

#include <algorithm>

#include "units/C_Unit_Archer.h"
#include "units/C_Unit_Catapult.h"
#include "units/C_Unit_Crossbowman.h"
#include "units/C_Unit_DemolishMan.h"
#include "units/C_Unit_Demon.h"
#include "units/C_Unit_Giant.h"
#include "units/C_Unit_Gunslinger.h"
#include "units/C_Unit_HeavyCavalry.h"
#include "units/C_Unit_HeroCavalry.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_Knight.h"
#include "units/C_Unit_LightCavalry.h"
#include "units/C_Unit_Priest.h"
#include "units/C_Unit_Quib.h"
#include "units/C_Unit_Settler.h"
#include "units/C_Unit_TowerArcher.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_Unit_Undead.h"
#include "units/C_Unit_WarGalley.h"
#include "units/C_Unit_Warhound.h"
#include "units/C_Unit_Warrior.h"
#include "units/C_Unit_Worker.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
// Technology ids read by the stat rules.
constexpr int32_t TC_ATTACK_C_1 = 11;
constexpr int32_t TC_ATTACK_C_2 = 12;
constexpr int32_t TC_ATTACK_C_3 = 13;
constexpr int32_t TC_DEFENSE_C_1 = 14;
constexpr int32_t TC_DEFENSE_C_2 = 15;
constexpr int32_t TC_DEFENSE_C_3 = 16;
constexpr int32_t TC_DEFENSE_R_1 = 17;
constexpr int32_t TC_DEFENSE_R_2 = 18;
constexpr int32_t TC_DEFENSE_R_3 = 19;
constexpr int32_t TC_ATTACK_R_1 = 20;
constexpr int32_t TC_ATTACK_R_2 = 21;
constexpr int32_t TC_ATTACK_R_3 = 22;
constexpr int32_t TC_RANGE_1 = 23;
constexpr int32_t TC_RANGE_2 = 24;
constexpr int32_t TC_RANGE_3 = 25;
constexpr int32_t TC_ATTACK_M_1 = 26;
constexpr int32_t TC_ATTACK_M_2 = 27;
constexpr int32_t TC_ATTACK_M_3 = 28;
constexpr int32_t TC_CROSSBOW = 31;
constexpr int32_t TC_SHIP_ATT_1 = 35;
constexpr int32_t TC_SHIP_ATT_2 = 36;
constexpr int32_t TC_SHIP_RNG_1 = 37;
constexpr int32_t TC_SHIP_RNG_2 = 38;
constexpr int32_t TC_MACINE_D_1 = 39;
constexpr int32_t TC_MACINE_D_2 = 40;
constexpr int32_t TC_MACINE_D_3 = 41;
constexpr int32_t TC_CAT_ATT_1 = 42;
constexpr int32_t TC_CAT_ATT_2 = 43;
constexpr int32_t TC_CAT_RANGE = 45;
constexpr int32_t TC_PRIEST_DEF = 49;
constexpr int32_t TC_PRIEST_ATT_1 = 50;
constexpr int32_t TC_FLAMEARROW = 58;
constexpr int32_t TC_BLOODBATH = 60;

// A bonus that grows in levels: the highest researched level counts.
struct STier
{
    int32_t technology;
    int32_t bonus;
};

template <int N>
int32_t HighestTier(int32_t player, const STier (&tiers)[N])
{
    for (const STier& tier : tiers)
        if (CUnitTypeTable::IsResearched(player, tier.technology))
            return tier.bonus;
    return 0;
}

struct SFactorTier
{
    int32_t technology;
    float reduction;
};

template <int N>
float HighestFactorTier(int32_t player, const SFactorTier (&tiers)[N])
{
    for (const SFactorTier& tier : tiers)
        if (CUnitTypeTable::IsResearched(player, tier.technology))
            return tier.reduction;
    return 0.0f;
}

template <class T>
CUnit* Construct()
{
    return new T();
}

constexpr SSoundPair TypeSounds = {197, 0};
constexpr SSoundPair HeroSounds = {255, 1};
constexpr float NotRepairable = -1.0f;
}  // namespace

// cast, record, name, fixed name, object id, attacks, ranged, ship, layer,
// size, machine, healable, hit effect, starves, points, attack animation
// (plain, with TC_BLOODBATH), minimum range, repair wood, sounds, attack,
// range and defence rules, the class, factory speed and model base.
const SUnitTypeRow CUnitTypeTable::s_Rows[TypeCount] = {
    {UNIT_WORKER, 0, "UN_WORKER", false, 27, false, false, false, 1, 1, false, true, 1, false, 2, 0.0f, 0.0f, 0,
     NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitWorker>, true, 0.1f, 0},
    {UNIT_WARRIOR, 1, "UN_WARRIOR", false, 28, true, false, false, 1, 1, false, true, 1, true, 5, 0.5f, 0.65f, 0,
     NotRepairable, TypeSounds, AttackBonus::Close, RangeBonus::None, DefenceBonus::Soldier, &Construct<CUnitWarrior>, true, 0.1f, 13},
    {UNIT_ARCHER, 2, "UN_ARCHER", false, 29, true, true, false, 1, 1, false, true, 1, true, 5, 0.35f, 0.455f, 0,
     NotRepairable, TypeSounds, AttackBonus::Ranged, RangeBonus::Archer, DefenceBonus::Soldier, &Construct<CUnitArcher>, true, 0.1f, 18},
    {UNIT_CATAPULT, 4, "UN_CATAPULT", false, 31, true, true, false, 1, 2, true, false, 2, false, 10, 0.8f, 0.8f, 4,
     0.5f, TypeSounds, AttackBonus::Catapult, RangeBonus::Catapult, DefenceBonus::Machine, &Construct<CUnitCatapult>, true, 0.055f, 23},
    {UNIT_PRIEST, 7, "UN_PRIEST", false, 32, false, false, false, 1, 1, false, true, 1, true, 2, 0.8f, 1.04f, 0,
     NotRepairable, TypeSounds, AttackBonus::Priest, RangeBonus::None, DefenceBonus::Priest, &Construct<CUnitPriest>, true, 0.06f, 28},
    {UNIT_LIGHTCAVALRY, 5, "UN_LIGHTCAVALRY", false, 33, true, false, false, 1, 2, false, true, 1, true, 15, 0.8f,
     1.04f, 0, NotRepairable, TypeSounds, AttackBonus::Mounted, RangeBonus::None, DefenceBonus::Soldier, &Construct<CUnitLightCavalry>, true, 0.17f,
     34},
    {UNIT_TRANSPORTSHIP, 6, "UN_TRANSPORTSHIP", false, 34, false, false, true, 2, 3, true, false, 2, false, 10, 0.0f,
     0.0f, 0, 0.3f, TypeSounds, AttackBonus::None, RangeBonus::ShipSight, DefenceBonus::Machine, &Construct<CUnitTransportShip>, true, 0.08f, 44},
    {UNIT_TOWERARCHER, ArcherRecord, "Default", true, 0, true, false, false, 1, 2, false, false, 0, false, 3, 0.0f,
     0.0f, 3, NotRepairable, TypeSounds, AttackBonus::TowerArcher, RangeBonus::TowerArcher, DefenceBonus::Immune,
     &Construct<CUnitTowerArcher>, false, 0.0f, 0},
    {UNIT_CROSSBOWMAN, 8, "UN_CROSSBOWMAN", false, 35, true, true, false, 1, 1, false, true, 1, true, 8, 0.6f, 0.78f,
     0, NotRepairable, TypeSounds, AttackBonus::Crossbow, RangeBonus::Archer, DefenceBonus::Soldier, &Construct<CUnitCrossbowman>, true, 0.1f, 46},
    {UNIT_KNIGHT, 9, "UN_KNIGHT", false, 36, true, false, false, 1, 1, false, true, 0, true, 10, 0.5f, 0.65f, 0,
     NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitKnight>, true, 0.08f, 51},
    {UNIT_WARGALLEY, 10, "UN_WARGALLEY", false, 37, true, true, true, 2, 5, true, false, 2, false, 30, 0.4f, 0.4f, 6,
     0.5f, TypeSounds, AttackBonus::Ship, RangeBonus::Ship, DefenceBonus::Machine, &Construct<CUnitWarGalley>, true, 0.05f, 56},
    {UNIT_DEMOLISHMAN, 11, "UN_DEMOLISHMAN", false, 38, false, false, false, 1, 1, false, true, 1, true, 10, 1.5f,
     1.5f, 0, NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::Soldier, &Construct<CUnitDemolishMan>, true, 0.08f, 58},
    {UNIT_HEAVYCAVALRY, 12, "UN_HEAVYCAVALRY", false, 39, true, false, false, 1, 2, false, true, 1, true, 20, 0.8f,
     1.04f, 0, NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitHeavyCavalry>, true, 0.12f, 39},
    {UNIT_GIANT, 22, "UN_GIANT", false, 49, true, false, false, 1, 2, false, true, 1, true, 20, 0.5f, 0.65f, 0,
     NotRepairable, TypeSounds, AttackBonus::Mounted, RangeBonus::None, DefenceBonus::Soldier, &Construct<CUnitGiant>, true, 0.06f, 96},
    {UNIT_DEMON, 23, "UN_DEMON", false, 50, true, true, false, 1, 1, false, true, 1, false, 20, 0.85f, 1.105f, 3,
     NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitDemon>, true, 0.18f, 101},
    {UNIT_UNDEAD, 24, "UN_UNDEAD", false, 51, true, false, false, 1, 1, false, false, 0, false, 20, 0.5f, 0.65f, 0,
     NotRepairable, TypeSounds, AttackBonus::Close, RangeBonus::None, DefenceBonus::Soldier, &Construct<CUnitUndead>, true, 0.1f, 104},
    {UNIT_QUIB, 13, "QuiB", true, 40, true, true, false, 1, 1, false, false, 0, false, 1000, 0.5f, 0.65f, 0,
     NotRepairable, HeroSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitQuib>, true, 0.1f, 87},
    {UNIT_WARHOUND, 14, "Warhound", true, 41, true, true, false, 1, 1, false, false, 0, false, 1000, 1.0f, 1.3f, 0,
     NotRepairable, HeroSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitWarhound>, true, 0.1f, 90},
    {UNIT_GUNSLINGER, 15, "Gunslinger", true, 42, true, true, false, 1, 1, false, false, 0, false, 1000, 0.7f, 0.7f, 0,
     NotRepairable, HeroSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitGunslinger>, true, 0.1f, 93},
    {UNIT_KING, 16, "UN_KING", false, 43, false, false, false, 1, 1, false, true, 1, false, 100, 0.0f, 0.0f, 0,
     NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitKing>, true, 0.07f, 61},
    {UNIT_SETTLER, 18, "UN_SETTLER", false, 45, false, false, false, 1, 2, true, false, 2, false, 1, 0.0f, 0.0f, 0,
     0.1f, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitSettler>, true, 0.05f, 69},
    {UNIT_HEROCAVALRY, 21, "UN_HEAVYCAVALRY", false, 48, true, false, false, 1, 2, false, true, 1, false, 100, 0.8f,
     1.04f, 0, NotRepairable, TypeSounds, AttackBonus::None, RangeBonus::None, DefenceBonus::None, &Construct<CUnitHeroCavalry>, true, 0.12f, 82},
};

const SUnitTypeRow* CUnitTypeTable::Find(int32_t cast)
{
    for (const SUnitTypeRow& row : s_Rows)
        if (row.cast == cast)
            return &row;
    return nullptr;
}

bool CUnitTypeTable::IsResearched(int32_t player, int32_t technology)
{
    if (g_Players == nullptr || player < 0 || player >= MaxPlayers || !CTechnologyTree::IsValidId(technology))
        return false;
    return g_Players[player].technologies[technology].IsResearched();
}

int32_t CUnitTypeTable::StatRecord(const SUnitTypeRow& row, int32_t player)
{
    if (row.cast == UNIT_TOWERARCHER && IsResearched(player, TC_CROSSBOW))
        return CrossbowmanRecord;
    return row.record;
}

namespace
{
// The type records before start-up built them answer as empty records.
const CUnitStats& StatsOf(int32_t record)
{
    static const CUnitStats empty;
    if (g_UnitStats == nullptr || record < 0 || record >= FirstBuildingRecord)
        return empty;
    return g_UnitStats[record];
}
}  // namespace

float CUnitTypeTable::MaxHitPoints(const SUnitTypeRow& row, int32_t)
{
    // The tower archer lives on the archer's hit points whatever it shoots.
    return static_cast<float>(StatsOf(row.record).hitPoints);
}

int32_t CUnitTypeTable::Attack(const SUnitTypeRow& row, int32_t player, int32_t* base, int32_t* bonus)
{
    *base = StatsOf(StatRecord(row, player)).attack;
    *bonus = AttackBonusOf(row.attackBonus, player);
    return *base + *bonus;
}

int32_t CUnitTypeTable::AttackRange(const SUnitTypeRow& row, int32_t player, int32_t* base, int32_t* bonus)
{
    *base = StatsOf(StatRecord(row, player)).attackRange;
    *bonus = RangeBonusOf(row.rangeBonus, player);
    return *base + *bonus;
}

int32_t CUnitTypeTable::SightRadius(const SUnitTypeRow& row, int32_t player)
{
    return StatsOf(StatRecord(row, player)).sightRadius + SightBonusOf(row.rangeBonus, player);
}

float CUnitTypeTable::DamageFactor(const SUnitTypeRow& row, int32_t player, int32_t which)
{
    if (row.defenceBonus == DefenceBonus::Immune || which < 0 || which >= DamageFactorCount)
        return 0.0f;
    const float factor = StatsOf(row.record).damageFactors[which] - DefenceBonusOf(row.defenceBonus, player, which);
    return std::max(factor, 0.0f);
}

float CUnitTypeTable::AttackAnimSpeed(const SUnitTypeRow& row, int32_t player)
{
    return IsResearched(player, TC_BLOODBATH) ? row.attackAnimSpeedBloodbath : row.attackAnimSpeed;
}

int32_t CUnitTypeTable::ArcherRangeBonus(int32_t player)
{
    static constexpr STier tiers[] = {{TC_RANGE_3, 5}, {TC_RANGE_2, 3}, {TC_RANGE_1, 1}};
    return HighestTier(player, tiers);
}

int32_t CUnitTypeTable::ShipRangeBonus(int32_t player)
{
    static constexpr STier tiers[] = {{TC_SHIP_RNG_2, 3}, {TC_SHIP_RNG_1, 2}};
    return HighestTier(player, tiers);
}

int32_t CUnitTypeTable::AttackBonusOf(AttackBonus rule, int32_t player)
{
    static constexpr STier close[] = {{TC_ATTACK_C_3, 4}, {TC_ATTACK_C_2, 2}, {TC_ATTACK_C_1, 1}};
    static constexpr STier mounted[] = {{TC_ATTACK_M_3, 4}, {TC_ATTACK_M_2, 2}, {TC_ATTACK_M_1, 1}};
    static constexpr STier ranged[] = {{TC_ATTACK_R_3, 3}, {TC_ATTACK_R_2, 2}, {TC_ATTACK_R_1, 1}};
    static constexpr STier tower[] = {{TC_ATTACK_R_3, 4}, {TC_ATTACK_R_2, 2}, {TC_ATTACK_R_1, 1}};
    static constexpr STier catapult[] = {{TC_CAT_ATT_2, 70}, {TC_CAT_ATT_1, 30}};
    static constexpr STier priest[] = {{TC_PRIEST_ATT_1, 2}};
    static constexpr STier ship[] = {{TC_SHIP_ATT_2, 15}, {TC_SHIP_ATT_1, 5}};
    static constexpr int32_t FlameArrowBonus = 2;
    switch (rule)
    {
    case AttackBonus::Close:
        return HighestTier(player, close);
    case AttackBonus::Mounted:
        return HighestTier(player, mounted);
    case AttackBonus::Ranged:
        return HighestTier(player, ranged);
    case AttackBonus::Crossbow:
        return HighestTier(player, ranged) + (IsResearched(player, TC_FLAMEARROW) ? FlameArrowBonus : 0);
    case AttackBonus::TowerArcher:
        return HighestTier(player, tower);
    case AttackBonus::Catapult:
        return HighestTier(player, catapult);
    case AttackBonus::Priest:
        return HighestTier(player, priest);
    case AttackBonus::Ship:
        return HighestTier(player, ship);
    case AttackBonus::None:
        break;
    }
    return 0;
}

namespace
{
// A tower archer stands on a tower: it reaches and sees two blocks further.
constexpr int32_t TowerHeightBonus = 2;
constexpr int32_t CatapultRangeBonus = 2;
}  // namespace

int32_t CUnitTypeTable::RangeBonusOf(RangeBonus rule, int32_t player)
{
    switch (rule)
    {
    case RangeBonus::Archer:
        return ArcherRangeBonus(player);
    case RangeBonus::TowerArcher:
        return ArcherRangeBonus(player) + TowerHeightBonus;
    case RangeBonus::Catapult:
        return IsResearched(player, TC_CAT_RANGE) ? CatapultRangeBonus : 0;
    case RangeBonus::Ship:
        return ShipRangeBonus(player);
    case RangeBonus::ShipSight:
    case RangeBonus::None:
        break;
    }
    return 0;
}

int32_t CUnitTypeTable::SightBonusOf(RangeBonus rule, int32_t player)
{
    switch (rule)
    {
    case RangeBonus::Archer:
        return ArcherRangeBonus(player);
    case RangeBonus::TowerArcher:
        return ArcherRangeBonus(player) + TowerHeightBonus;
    case RangeBonus::Ship:
    case RangeBonus::ShipSight:
        return ShipRangeBonus(player);
    case RangeBonus::Catapult:
    case RangeBonus::None:
        break;
    }
    return 0;
}

float CUnitTypeTable::DefenceBonusOf(DefenceBonus rule, int32_t player, int32_t which)
{
    static constexpr SFactorTier closeDefence[] = {
        {TC_DEFENSE_C_3, 0.35f}, {TC_DEFENSE_C_2, 0.15f}, {TC_DEFENSE_C_1, 0.05f}};
    static constexpr SFactorTier rangedDefence[] = {
        {TC_DEFENSE_R_3, 0.35f}, {TC_DEFENSE_R_2, 0.15f}, {TC_DEFENSE_R_1, 0.05f}};
    static constexpr SFactorTier machineOuter[] = {
        {TC_MACINE_D_3, 0.2f}, {TC_MACINE_D_2, 0.08f}, {TC_MACINE_D_1, 0.03f}};
    static constexpr SFactorTier machineSecond[] = {
        {TC_MACINE_D_3, 0.3f}, {TC_MACINE_D_2, 0.15f}, {TC_MACINE_D_1, 0.05f}};
    static constexpr SFactorTier priestDefence[] = {{TC_PRIEST_DEF, 0.15f}};
    constexpr int32_t First = 0;
    constexpr int32_t Second = 1;
    switch (rule)
    {
    case DefenceBonus::Soldier:
        if (which == First)
            return HighestFactorTier(player, closeDefence);
        if (which == Second)
            return HighestFactorTier(player, rangedDefence);
        return 0.0f;
    case DefenceBonus::Machine:
        return which == Second ? HighestFactorTier(player, machineSecond) : HighestFactorTier(player, machineOuter);
    case DefenceBonus::Priest:
        return which == First || which == Second ? HighestFactorTier(player, priestDefence) : 0.0f;
    case DefenceBonus::Immune:
    case DefenceBonus::None:
        break;
    }
    return 0.0f;
}
