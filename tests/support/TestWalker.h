#pragma once
// A foot soldier whose type behaviour is only the walking of the shared melee behaviour: a reached order
// stops it (a patrol turns round), an unreached one asks for a path, a failed search tries again 500 ms
// later.  It counts the actions the action buffer asks of it.

#include <cstdint>

#include "units/C_UnitOfType.h"

class CTestWalker : public CUnitOfType
{
public:
    // A warrior of the given speed in blocks per tick.
    explicit CTestWalker(float blocksPerTick);

    void onPerformAction() override;
    void onMoveEnd() override;
    int32_t GetSightRadius() const override
    {
        return sightOverride >= 0 ? sightOverride : CUnitOfType::GetSightRadius();
    }

    // Set before the unit is shown: the sight radius instead of the type's.
    int32_t sightOverride = -1;
    int32_t performCalls = 0;
};
