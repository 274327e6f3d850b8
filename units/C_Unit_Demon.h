#pragma once
// The demon of the dark altar: fights from a distance with fireballs and
// casts the rain of hell, the spell its player researches (technology 52).
// Casting spends the research: the player researches it again before any
// of his demons casts once more.  An aura hangs in front of a standing or
// walking demon; attacking, casting or leaving the map puts it out.  A
// killed demon bursts at once and leaves nothing to draw.

#include <cstdint>

#include "units/C_UnitRangedType.h"

class CUnitDemon : public CUnitRangedType
{
public:
    static constexpr int32_t SpellModel = 103;

    CUnitDemon();
    // Puts the aura out.
    ~CUnitDemon() override;

    // Per elapsed tick: the aura follows, then the stand, walk, attack,
    // wind-down or spell moves on.  Always true: a demon dies in its model
    // choice, never here.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // The fighting bodies for attacks, patrols and boarding; a cast turns
    // into the spell once the block lies within the attack range band.
    void onPerformAction() override;
    void onMoveEnd() override { MeleeOnMoveEnd(); }
    void onShown() override;
    void onHidden() override;
    // A burst demon leaves no body to draw.
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    // The fired flag (1 byte), the aura handle and the cast block (4 bytes
    // each).
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // The rain of hell on the cast block, when the owner's spell is ready
    // and the local owner sees the block; the research goes back to 0.
    void CastMagic();
    // Where the aura hangs: (x, height, y), x and y inside the map.
    void GetAuraPosition(float* position) const;

    int32_t aura = -1;          // aura particle handle, -1 none
    int32_t castBlockX = 0;     // the block the spell strikes
    int32_t castBlockY = 0;

private:
    // False to stop stepping this call.
    bool StepAttack();
    bool StepSpell();
    void LaunchFireBall();
    void RaiseFlares() const;
    void Burst();
    // Whether the aura handle names this demon's aura particle (a damaged
    // saved game may name another particle, which the demon leaves alone).
    bool HasAura() const;
    void PutOutAura();
};
