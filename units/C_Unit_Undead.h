#pragma once
// The undead warrior of the dark altar: it never starves, heals itself
// while it stands, strikes once per swing at frame 8, shows no wounds and
// falls without breaking apart, leaving only its fallen body.

#include <cstdint>

#include "units/C_UnitMeleeType.h"

class CUnitUndead : public CUnitMeleeType
{
public:
    // Health percent healed per standing tick: one percent every 60 ticks.
    static constexpr float HealPerTick = 1.0f / 60.0f;
    static constexpr float BlowFrame = 8.0f;

    CUnitUndead();

    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    void onPerformAction() override;
    void onMoveEnd() override;
    // The hit count, then the blow flag.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

private:
    // One tick of the swing; false to stop stepping this call.
    bool StepSwing();
};
