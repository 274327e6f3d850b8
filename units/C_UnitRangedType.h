#pragma once
// A foot unit that fights from a distance with the looks of its row of the
// animation table: it draws, releases one arrow or bolt at its release
// frame, and lets the projectile deal the hit where it lands.  The archer
// and the crossbowman are such types.

#include <cstdint>

#include "units/C_UnitTableType.h"

struct SRangedShot
{
    float releaseFrame;           // the frame of the attack the shot leaves at
    bool flameWithTechnology;     // burning bolts once TC_FLAMEARROW is researched
    const char* bothTargetsReport; // logged when a unit and a building are targets at once
};

class CUnitRangedType : public CUnitTableType
{
public:
    // Per elapsed tick; false once the unit has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    // The ranged family draws without asking whether the unit is shown: the
    // map draws only the units it shows.
    void Render() override { DrawStanding(); }
    // The shot-released flag, one byte.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // The shared fighting bodies, as a unit that shoots has them (variant B
    // of being attacked, on foot).
    static constexpr bool FromRange = true;
    static constexpr bool VariantB = true;
    static constexpr bool OnFoot = false;
    void onIdle() override { MeleeOnIdle(FromRange); }
    void onEnemySighted(CUnit* enemy) override { MeleeOnEnemySighted(enemy, FromRange); }
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override
    {
        MeleeOnAttacked(attackerUnit, attackerBuilding, VariantB, FromRange);
    }
    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override
    {
        MeleeSeekTargetOnPatrol(tx, ty, engaged, OnFoot, FromRange);
    }

    uint8_t shotReleased = 0;     // the arrow of this attack cycle has left

protected:
    CUnitRangedType(int32_t cast, const SRangedShot& shot);

    // Aims at the target and turns to it; false when there is nothing to
    // shoot at (a remote copy whose target has left).
    bool AimAtTarget(float* aim);

private:
    // False to stop stepping this call.
    bool StepDraw();
    void Release();

    const SRangedShot& m_Shot;
};
