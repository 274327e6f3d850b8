#pragma once
// A foot soldier whose type behaviour is only the walking part of the
// shared melee behaviour: a reached order stops it (a patrol turns round),
// an unreached one asks for a path, a failed search tries again 500 ms
// later.  It counts the calls the action buffer makes into the type.

#include <cstdint>

#include "units/C_UnitOfType.h"

class CTestWalker : public CUnitOfType
{
public:
    static constexpr uint32_t RetryMilliseconds = 500;

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
    int32_t moveEndCalls = 0;
};
