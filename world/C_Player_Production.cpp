// What the producing buildings tell their owner.

#include "core/C_LogFile.h"
#include "world/C_Player.h"

void CPlayer::OnUnitTrained(CUnit* unit)
{
    // The same notice as for a unit the opponent queued itself.
    OnUnitQueued(unit);
}

void CPlayer::CountUnitInProduction(int32_t unitType, int32_t delta)
{
    if (unitType < 0 || unitType >= UnitTypeCount)
    {
        DEBUG_REPORT("#DEBUG: Invalid unit type in production");
        return;
    }
    queuedUnits += delta;
    queuedUnitsByType[unitType] += delta;
    // A count below 0 would let the player train past the population limit.
    if (queuedUnits < 0 || queuedUnitsByType[unitType] < 0)
    {
        DEBUG_REPORT("#DEBUG: Units in production count underrun");
        if (queuedUnits < 0)
            queuedUnits = 0;
        if (queuedUnitsByType[unitType] < 0)
            queuedUnitsByType[unitType] = 0;
    }
}
