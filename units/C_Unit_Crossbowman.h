#pragma once
// The crossbow soldier of the barracks: looses its bolt at the start of the
// draw, burning bolts once TC_FLAMEARROW is researched.

#include "units/C_UnitRangedType.h"

class CUnitCrossbowman : public CUnitRangedType
{
public:
    CUnitCrossbowman();
    // It does not wait for a target that walks into a building or ship.
    void onMoveEnd() override;
};
