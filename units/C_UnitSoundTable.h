#pragma once
// The hurt and death sounds of the unit types as data, one row per damage
// type 1 to 9, and the one routine that plays them.

#include <cstdint>

#include "units/C_Unit.h"
#include "units/C_UnitAnimationTable.h"

struct SHitSoundRow
{
    SSoundPair death;   // variants 0: no sound
    SSoundPair hurt;
};

struct SHitSoundTable
{
    const SHitSoundRow* rows;   // damage types 1 to 9
    bool hurtAlways;            // the hurt sound plays dead or alive
    SSoundPair deathExtra;      // follows when the unit is dead
};

class CUnitSoundTable
{
public:
    static constexpr int32_t DamageTypeCount = 9;

    // The row of the table for a damage type; null for a table without
    // rows or a damage type outside 1 to 9.
    static const SHitSoundRow* Row(EHitSounds table, int32_t damageType);
    // The hurt sound while the unit is alive, else the death sound (or the
    // hurt sound of a table that always plays it), then the table's extra
    // death sound for a dead unit; through CUnit::PlaySoundAt with flag 0.
    // Nothing for a type without sounds or a damage type outside 1 to 9.
    static void PlayHitSound(const CUnit& unit, EHitSounds table, int32_t damageType);
};
