#pragma once
// The armoured rider of the barracks: the light rider's swing, patrol and
// snorting horse, with its own looks, the knight's hurt and death cries
// followed by the horse's fall, and a fall in which rider and horse each
// sound once.  The hero rider shares its drawing, its saved part and its
// fall.

#include <cstdint>

#include "units/C_UnitMeleeType.h"

class CUnitHeavyCavalry : public CUnitMeleeType
{
public:
    CUnitHeavyCavalry();

    // The light rider's steps; the fall is the rider's own.
    bool Animate(int32_t ticks) override;
    void onPerformAction() override;
    void onMoveEnd() override { MeleeOnMoveEnd(); }
    // The hit count, then the rider's and the horse's death-sound flags.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    uint8_t riderFallSounded = 0;   // the rider's cry has sounded during this death
    uint8_t horseFallSounded = 0;   // the horse's fall has sounded during this death

protected:
    explicit CUnitHeavyCavalry(int32_t cast);

    // One tick of the fall with its two sounds; false once the unit is a
    // corpse.
    bool StepFall();
};
