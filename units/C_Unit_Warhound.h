#pragma once
// The hero with a gun: his shot strikes at once with a muzzle flash, and he
// stands still the moment his target is gone.

#include "units/C_UnitHeroType.h"

class CUnitWarhound : public CUnitHeroType
{
public:
    CUnitWarhound();
    void onPerformAction() override;
};
