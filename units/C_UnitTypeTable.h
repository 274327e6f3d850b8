#pragma once
// The traits of the 22 unit types, one row each, and the rules by which
// their stats follow the type records and the owner's research.  The unit
// type classes answer their traits from their row; the unit factory reads
// the class, speed and model base from the same rows.

#include <cstdint>

#include "units/C_Unit.h"

// TENUMUNITCAST
enum TENUMUNITCAST : int32_t
{
    UNIT_WORKER = 1,
    UNIT_WARRIOR = 2,
    UNIT_ARCHER = 3,
    UNIT_CATAPULT = 4,
    UNIT_PRIEST = 5,
    UNIT_LIGHTCAVALRY = 6,
    UNIT_TRANSPORTSHIP = 7,
    UNIT_TOWERARCHER = 8,
    UNIT_CROSSBOWMAN = 9,
    UNIT_KNIGHT = 10,
    UNIT_WARGALLEY = 11,
    UNIT_DEMOLISHMAN = 12,
    UNIT_HEAVYCAVALRY = 13,
    UNIT_GIANT = 20,
    UNIT_DEMON = 21,
    UNIT_UNDEAD = 22,
    UNIT_QUIB = 30,
    UNIT_WARHOUND = 31,
    UNIT_GUNSLINGER = 32,
    UNIT_KING = 33,
    UNIT_SETTLER = 34,
    UNIT_HEROCAVALRY = 35,
};

// Which technologies raise a type's attack.
enum class AttackBonus : int8_t
{
    None,
    Close,        // TC_ATTACK_C: +1, +2, +4
    Mounted,      // TC_ATTACK_M: +1, +2, +4
    Ranged,       // TC_ATTACK_R: +1, +2, +3
    Crossbow,     // as Ranged, +2 more with TC_FLAMEARROW
    TowerArcher,  // TC_ATTACK_R: +1, +2, +4
    Catapult,     // TC_CAT_ATT: +30, +70
    Priest,       // TC_PRIEST_ATT_1: +2
    Ship,         // TC_SHIP_ATT: +5, +15
};

// Which technologies raise a type's attack range and sight.
enum class RangeBonus : int8_t
{
    None,
    Archer,       // TC_RANGE: +1, +3, +5 on range and sight
    TowerArcher,  // the archer's bonus + 2 on range and sight
    Catapult,     // TC_CAT_RANGE: +2 on range
    Ship,         // TC_SHIP_RNG: +2, +3 on range and sight
    ShipSight,    // TC_SHIP_RNG: +2, +3 on sight only
};

// Which technologies lower a type's damage-taken factors.
enum class DefenceBonus : int8_t
{
    None,         // the record's factors
    Soldier,      // TC_DEFENSE_C on the first, TC_DEFENSE_R on the second
    Machine,      // TC_MACINE_D on all three
    Priest,       // TC_PRIEST_DEF on the first two
    Immune,       // all three 0.0
};

struct SUnitTypeRow
{
    int32_t cast;               // TENUMUNITCAST
    int32_t record;             // index of the type record with its stats
    const char* nameKey;        // locale key, or the hero's own name
    bool fixedName;             // nameKey is the name itself
    int32_t objectTypeId;
    bool canAttack;
    bool ranged;
    bool ship;
    int32_t moveLayer;          // 1 land, 2 water
    int32_t size;               // footprint side in blocks
    bool machine;
    bool healable;
    int32_t hitEffect;          // 1 blood, 2 debris, 0 none
    bool canStarve;
    int32_t points;
    float attackAnimSpeed;
    float attackAnimSpeedBloodbath;
    int32_t minAttackRange;
    float repairWood;           // per worker repair cycle; < 0 not repairable
    SSoundPair soundPair;
    AttackBonus attackBonus;
    RangeBonus rangeBonus;
    DefenceBonus defenceBonus;
    // Read by the unit factory: a new object of the type's class, and the
    // speed and first model it gives it.
    CUnit* (*construct)();
    bool factorySetsSpeedAndModel;
    float speed;
    int32_t modelBase;
};

class CUnitTypeTable
{
public:
    static constexpr int32_t TypeCount = 22;
    static constexpr int32_t ArcherRecord = 2;
    static constexpr int32_t CrossbowmanRecord = 8;

    // The row of a unit type, or null for a number no type has.
    static const SUnitTypeRow* Find(int32_t cast);
    static const SUnitTypeRow& Row(int32_t index) { return s_Rows[index]; }

    // Whether the player has researched the technology (progress exactly
    // 100.0); false for a player or technology out of range.
    static bool IsResearched(int32_t player, int32_t technology);

    // The stats of a unit of the row's type owned by the player.
    static int32_t StatRecord(const SUnitTypeRow& row, int32_t player);
    static float MaxHitPoints(const SUnitTypeRow& row, int32_t player);
    static int32_t Attack(const SUnitTypeRow& row, int32_t player, int32_t* base, int32_t* bonus);
    static int32_t AttackRange(const SUnitTypeRow& row, int32_t player, int32_t* base, int32_t* bonus);
    static int32_t SightRadius(const SUnitTypeRow& row, int32_t player);
    static float DamageFactor(const SUnitTypeRow& row, int32_t player, int32_t which);
    static float AttackAnimSpeed(const SUnitTypeRow& row, int32_t player);

private:
    static int32_t AttackBonusOf(AttackBonus rule, int32_t player);
    static int32_t RangeBonusOf(RangeBonus rule, int32_t player);
    static int32_t SightBonusOf(RangeBonus rule, int32_t player);
    static float DefenceBonusOf(DefenceBonus rule, int32_t player, int32_t which);
    static int32_t ArcherRangeBonus(int32_t player);
    static int32_t ShipRangeBonus(int32_t player);

    static const SUnitTypeRow s_Rows[TypeCount];
};
