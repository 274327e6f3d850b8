#pragma once
// The hero with two guns: his shot strikes at once with a muzzle flash, and
// he finishes the draw when his target is gone.

#include "units/C_UnitHeroType.h"

class CUnitGunslinger : public CUnitHeroType
{
public:
    CUnitGunslinger();
    void onPerformAction() override;
};
