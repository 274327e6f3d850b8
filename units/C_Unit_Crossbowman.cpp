#include "units/C_Unit_Crossbowman.h"

#include "units/C_UnitActionBuffer.h"

namespace
{
const SRangedShot CrossbowShot = {1.0f, true, "#DEBUG: Crossbowman unit/building target at once"};
}  // namespace

CUnitCrossbowman::CUnitCrossbowman() : CUnitRangedType(UNIT_CROSSBOWMAN, CrossbowShot) {}

void CUnitCrossbowman::onMoveEnd()
{
    if (currentCommand == CMD_ATTACK && stopped)
        currentCommand = CMD_NONE;
    else if (currentCommand == CMD_ATTACK || currentCommand == CMD_GARRISON_SHIP)
        Stop();
    else if (currentCommand == CMD_MOVE_TO_DEFENSE_POS || currentCommand == CMD_PATROL)
    {
        MeleeOnMoveEnd();
        return;
    }
    SetModelByAnimation();
}
