#pragma once
// The giant of the dark altar: a 2 x 2 brute that swings its club with two
// half blows (frames 8 and 15), falls heavily and fights in the melee
// family's loop.  On patrol it strikes an enemy standing anywhere on the
// footprint it is about to step onto.

#include <cstdint>

#include "units/C_UnitMeleeType.h"

class CUnitGiant : public CUnitMeleeType
{
public:
    CUnitGiant();

    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override;
    void onPerformAction() override;
    void onMoveEnd() override;

private:
    // The first enemy on the footprint placed at (tx, ty), row by row.
    CUnit* EnemyOnFootprintAt(int32_t tx, int32_t ty) const;
    void Engage(CUnit* enemy);
};
