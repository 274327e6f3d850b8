#pragma once
// A unit type whose looks and sounds come from its row of the animation
// table: the hurt sounds, the wound overlay by health, the fall that starts
// its death (or the burst of a body torn apart) and the corpse particle's
// values for its two models.  The melee and the ranged foot types build on
// it with their own fighting.

#include <cstdint>

#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitOfType.h"

class CUnitTableType : public CUnitOfType
{
public:
    const SUnitAnimationRow& GetAnimationRow() const { return m_Animation; }

    void PlayHitSound(int32_t damageType) override;
    // The corpse particle's values for the two models it draws, each set
    // right before that model's draw and its fade taken back after it.
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;

protected:
    explicit CUnitTableType(int32_t cast);

    // The wound overlay below 50, 25 and 5 percent health.
    int32_t WoundLevel() const;
    // The death animation's model and first frame; a body torn apart skips
    // the fall and throws its parts.
    void StartDeathAnimation();

    const SUnitAnimationRow& m_Animation;
};
