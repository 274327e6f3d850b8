#pragma once
// A unit type that fights at contact with the looks and timing of its row
// of the animation table: the swing with its blows, the random turn or the
// horse's snort of a standing unit, the fall and the corpse, the hurt and
// death sounds, and the fields a swing and a death keep.  The warrior, the
// knight and the light cavalry are such types.

#include <cstdint>

#include "units/C_UnitTableType.h"

class CUnitMeleeType : public CUnitTableType
{
public:
    // Per elapsed tick; false once the unit has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // The hit count, then the blow flags of a two-blow swing, then the
    // death-sound flag of a type with a death sound.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t hitCount = 0;           // blows dealt since the swing (re)started
    uint8_t blowDealt[2] = {0, 0};  // the half blows of this cycle
    uint8_t deathSoundPlayed = 0;

protected:
    explicit CUnitMeleeType(int32_t cast);

private:
    // One tick of each animation; false to stop stepping this call.
    void StepStand();
    bool StepSwing();
    bool StepHalfBlows(int32_t frameCount);
    bool StepDie();
    // False when the blow is not dealt because the target got away.
    bool MayStrike();
    void Strike(int32_t amount);
    bool HasHalfBlows() const { return m_Animation.halfBlowCount > 0; }
    bool HasDeathSound() const { return m_Animation.deathSound.variants > 0; }

};
