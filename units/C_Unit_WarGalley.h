#pragma once
// The fighting ship of the docks: a five-block vessel that turns its side
// toward its target and fires a broadside of two cannon shots per attack
// cycle of 120 ticks, at units, buildings and ground points no nearer than
// 6 blocks.  It takes its orders as the catapult does, answers hits and
// looks for a fight as the units that shoot do, and sinks as the transport
// ship does.

#include <cstdint>

#include "units/C_UnitOfType.h"

class CUnitWarGalley : public CUnitOfType
{
public:
    // Ticks of one attack cycle, counted only while the ship faces its aim.
    static constexpr int32_t CycleTicks = 120;

    CUnitWarGalley();

    void Render() override;
    // The wreck while its corpse fades (`fade` 1 to 0, `shade` 0 to 255),
    // sinking deeper as it fades; nothing at fade 0.
    void RenderAt(float fade, float unused, int32_t shade) override;
    // The common details of a unit under its type's name.
    void RenderDetailsOnPanel() override { RenderInfoPanel(GetCastName()); }
    void SetModelByAnimation() override;
    // Per tick; false once the ship has sunk and left its player.
    bool Animate(int32_t ticks) override;
    void PlayHitSound(int32_t damageType) override;
    void onMoveEnd() override;
    void onPerformAction() override;
    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override;
    // The target it fires at is gone: a ready ship cools down for the rest
    // of the cycle.
    void onTargetLost(CUnit* unit, CBuilding* building) override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onEnemySighted(CUnit* enemy) override;
    void onIdle() override;
    // Cycle ticks and wave ticks (4 bytes each), then the two shot flags
    // (1 byte each).  Loading refuses negative cycle or wave ticks and flags
    // other than 0 or 1, leaving the ship as it was; cycle ticks of 120 or
    // more carry over into the cycle they reach (modulo 120), and a wave
    // count beyond the longest wait comes back as that wait.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    int32_t cycleTicks = 0;
    int32_t waveTicks = 0;
    uint8_t firstShotFired = 0;
    uint8_t secondShotFired = 0;

private:
    // One tick of each animation; false to stop stepping this call.
    bool StepBroadside();
    void StepCoolDown();
    // At 120 counted ticks: ready, both guns loaded, the count carried over
    // into the next cycle.  False before.
    bool EndCycleAtItsLastTick();
    // One shot from the first (0) or second (1) gun.
    void Fire(int32_t gun);
    // Turns the broadside toward the target and gives the impact point.
    void AimBroadside(float impact[3]);
    // An enemy on the blocks the ship is about to cover: attacked at once.
    bool EngageUnderBow(int32_t tx, int32_t ty);
};
