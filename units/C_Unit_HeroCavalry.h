#pragma once
// The hero rider: it never starves and heals itself on the owning machine
// whatever it is doing, strikes once at the end of a long swing (the first
// swing of a fight always strikes, later ones only a target still in
// reach), and otherwise rides, looks, sounds and falls as the armoured
// rider does.

#include <cstdint>

#include "units/C_Unit_HeavyCavalry.h"

class CUnitHeroCavalry : public CUnitHeavyCavalry
{
public:
    // Health percent healed per tick: one percent every 60 ticks.
    static constexpr float HealPerTick = 1.0f / 60.0f;

    CUnitHeroCavalry();

    bool Animate(int32_t ticks) override;
    void onPerformAction() override;

private:
    // One tick of the swing; false to stop stepping this call.
    bool StepSwing();
};
