#include "units/C_UnitBehaviourTable.h"

#include "units/C_UnitTypeTable.h"

namespace
{
constexpr EAttackedBody AttA = EAttackedBody::VariantA;
constexpr EAttackedBody AttB = EAttackedBody::VariantB;
constexpr EAttackedBody AttNone = EAttackedBody::None;
constexpr ETargetLostBody WindDown = ETargetLostBody::WindDown;
constexpr ETargetLostBody Halt = ETargetLostBody::Halt;
constexpr EPatrolBody Melee = EPatrolBody::Melee;
constexpr EPatrolBody Rider = EPatrolBody::Rider;
constexpr EPatrolBody PatrolNone = EPatrolBody::None;
constexpr float Straight = 0.0f;
constexpr float PastTarget = 30.0f;

// cast, command, idle, sighted, attacked, target lost, patrol, perform and
// move end, extra degrees, source line of the non-local check.
const SUnitBehaviourRow Rows[] = {
    {UNIT_WARRIOR, true, true, true, AttA, WindDown, Melee, true, Straight, __LINE__},
    {UNIT_KNIGHT, true, true, true, AttB, WindDown, Melee, true, PastTarget, __LINE__},
    {UNIT_LIGHTCAVALRY, true, true, true, AttB, WindDown, Rider, true, PastTarget, __LINE__},
    {UNIT_DEMOLISHMAN, true, true, false, AttNone, Halt, Melee, true, Straight, __LINE__},
    {UNIT_HEAVYCAVALRY, true, true, true, AttB, WindDown, Rider, false, Straight, 0},
    {UNIT_GIANT, true, true, true, AttB, WindDown, PatrolNone, false, Straight, 0},
    {UNIT_UNDEAD, true, true, true, AttB, WindDown, Melee, false, Straight, 0},
    {UNIT_HEROCAVALRY, true, true, true, AttB, WindDown, Rider, false, Straight, 0},
    {UNIT_QUIB, false, false, false, AttB, WindDown, PatrolNone, false, Straight, 0},
    {UNIT_WARHOUND, false, false, false, AttB, Halt, PatrolNone, false, Straight, 0},
    {UNIT_GUNSLINGER, false, false, false, AttB, WindDown, PatrolNone, false, Straight, 0},
    {UNIT_ARCHER, false, false, false, AttNone, WindDown, PatrolNone, true, Straight, __LINE__},
    {UNIT_CROSSBOWMAN, false, false, false, AttNone, WindDown, PatrolNone, true, Straight, __LINE__},
    {UNIT_PRIEST, false, false, false, AttNone, WindDown, PatrolNone, false, Straight, 0},
    {UNIT_DEMON, false, false, false, AttNone, WindDown, PatrolNone, false, Straight, 0},
    {UNIT_CATAPULT, false, false, false, AttNone, Halt, PatrolNone, false, Straight, 0},
};
}  // namespace

const SUnitBehaviourRow* CUnitBehaviourTable::Find(int32_t cast)
{
    for (const SUnitBehaviourRow& row : Rows)
        if (row.cast == cast)
            return &row;
    return nullptr;
}

const char* CUnitBehaviourTable::SourceFile()
{
    return __FILE__;
}
