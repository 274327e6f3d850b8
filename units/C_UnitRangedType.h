#pragma once
// A foot unit that fights from a distance with the looks of its row of the
// animation table: it draws, releases one arrow or bolt at its release
// frame, and lets the projectile deal the hit where it lands.  The archer
// and the crossbowman are such types.

#include <cstdint>

#include "units/C_UnitAnimationTable.h"
#include "units/C_UnitOfType.h"

struct SRangedShot
{
    float releaseFrame;           // the frame of the attack the shot leaves at
    bool flameWithTechnology;     // burning bolts once TC_FLAMEARROW is researched
    const char* bothTargetsReport; // logged when a unit and a building are targets at once
};

class CUnitRangedType : public CUnitOfType
{
public:
    // Per elapsed tick; false once the unit has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    void PlayHitSound(int32_t damageType) override;
    void Render() override;
    void RenderAt(float dieWeight, float corpseWeight, int32_t level) override;
    // The shot-released flag, one byte.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    void onIdle() override { RangedOnIdle(); }
    void onEnemySighted(CUnit* enemy) override { RangedOnEnemySighted(enemy); }
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override
    {
        RangedOnAttacked(attackerUnit, attackerBuilding);
    }
    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override
    {
        RangedSeekTargetOnPatrol(tx, ty, engaged);
    }

    uint8_t shotReleased = 0;     // the arrow of this attack cycle has left
    int32_t drawnFrame = 0;       // the model frame of the last drawing

protected:
    CUnitRangedType(int32_t cast, const SRangedShot& shot);

private:
    void StepStand();
    // False to stop stepping this call.
    bool StepDraw();
    // False when there is nothing to shoot at (a remote copy whose target
    // has left): no arrow then.
    bool AimAtTarget(float* aim);
    void Release();
    int32_t WoundLevel() const;

    const SUnitAnimationRow& m_Animation;
    const SRangedShot& m_Shot;
};
