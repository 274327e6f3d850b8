#pragma once
// The walking bomb: it runs up to its target and blows itself up at the end
// of its attack, and a killed one blows up where it fell a few ticks later.
// The blast is an area hit with the unit as its source; the unit explodes
// once, and its Animate answers false in that tick (it has left its list).

#include <cstdint>

#include "units/C_UnitTableType.h"

class CUnitDemolishMan : public CUnitTableType
{
public:
    CUnitDemolishMan();

    // Per elapsed tick; false once the unit has exploded.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // The blast leaves nothing to draw.
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    void onPerformAction() override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onEnemySighted(CUnit* enemy) override;

    // The blast, the corpse and the burst; only the first call does
    // anything.
    void Explode();
};
