#include "units/ActionTargets.h"

#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"

namespace
{
constexpr float Half = 0.5f;
}  // namespace

void AttackOrderTarget(CUnit& unit)
{
    if (unit.targetUnit != nullptr)
        unit.actionTargetUnit = unit.targetUnit;
    else
        unit.actionTargetBuilding = unit.targetBuilding;
    unit.animType = ANIM_ATTACK;
}

void BoardOrderedTransport(CUnit& unit)
{
    if (unit.targetUnit != nullptr)
        unit.BoardTransport(unit.targetUnit);
    unit.currentCommand = CMD_NONE;
}

void FaceActionTarget(CUnit& unit, float extraDegrees)
{
    if (const CBuilding* building = unit.actionTargetBuilding)
        unit.TurnTowards(true, static_cast<float>(building->x) + static_cast<float>(building->GetWidth()) * Half,
                         static_cast<float>(building->y) + static_cast<float>(building->GetDepth()) * Half,
                         extraDegrees);
    else if (const CUnit* target = unit.actionTargetUnit)
        unit.TurnTowards(true, target->centreX, target->centreY, extraDegrees);
}
