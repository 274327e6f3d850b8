#pragma once
// The damage types that every hit carries, and which of the victim's three
// damage factors each one selects, as one table for units and buildings.

#include <cstdint>

// TENUMDAMAGETYPE.  A value outside 1 to 9 (a peer's packet, say) is still
// carried and sounded but does no damage.
enum TENUMDAMAGETYPE : int32_t
{
    DAMAGE_BLADE = 1,        // blows of swords and clubs
    DAMAGE_ARROW = 2,        // arrows, bolts and gun shots at units
    DAMAGE_FIRE_ARROW = 3,   // burning bolts
    DAMAGE_STONE = 4,        // catapult stones, cannonballs, crushing traps
    DAMAGE_HARMLESS = 5,     // sounds and alerts, never damage
    DAMAGE_CHARGE = 6,       // riders' and giants' blows
    DAMAGE_FIRE_BALL = 7,    // priests' and demons' fire
    DAMAGE_BLAST = 8,        // explosions; may tear a unit apart
    DAMAGE_HEAVY = 9,        // dealt by no attack yet; counted with stones
};

// One of the victim's three damage factors: a unit's A, B and C, a
// building's 1, 2 and 3.
enum class EDamageFactor : int32_t
{
    None = -1,
    First = 0,
    Second = 1,
    Third = 2,
};

class CDamageTypeTable
{
public:
    static constexpr int32_t FirstType = DAMAGE_BLADE;
    static constexpr int32_t LastType = DAMAGE_HEAVY;

    // The factor a hit of that type takes from a unit; a living being
    // (one a priest may heal) and a machine differ for fire.
    static EDamageFactor ForUnit(TENUMDAMAGETYPE damageType, bool living);
    static EDamageFactor ForBuilding(TENUMDAMAGETYPE damageType);
};
