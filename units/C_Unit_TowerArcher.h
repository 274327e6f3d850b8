#pragma once
// The archer stationed on a tower.  It never walks and stands on no block:
// its tower makes it, marks its sight, animates it, draws it and deletes it.
// It keeps its current target in the action target unit, its animation
// (stand or attack) and its frame as the shot timer: one arrow every 30
// ticks from the top of the tower.

#include <cstdint>

#include "units/C_UnitOfType.h"

class CBuildingTower;

class CUnitTowerArcher : public CUnitOfType
{
public:
    // Ticks of one shot cycle, and the frame the other archers of a tower
    // are held at, so that no two of them loose in the same tick.
    static constexpr float ShotCycleFrames = 30.0f;
    static constexpr float StaggerFrame = 27.0f;

    CUnitTowerArcher();

    // The target from the tower or from the owner's machine (command 46);
    // null stands the archer down.
    void SetTarget(CUnit* unit);
    // The first living enemy unit in reach, searched outwards from the
    // tower's middle beyond the minimum range; null on a machine that does
    // not own the archer.
    CUnit* FindTarget() const;
    // Whether the target lies between the minimum and the attack range.
    bool IsTargetInRange() const;
    // A new target, or none; tells the other machines which.
    void SeekTarget();
    // The tower holding the archer: the building on its block.
    CBuildingTower* GetTower() const;

    bool Animate(int32_t ticks) override;
    // Drawn by its tower: no model of its own.
    void SetModelByAnimation() override {}
    void Render() override {}
    void onIdle() override { SeekTarget(); }
    void onTargetLost(CUnit* unit, CBuilding* building) override;
    void onEnemySighted(CUnit* enemy) override;
    // It takes no orders, fights back at nothing and never walks.
    void onCommand(CUnit*, CBuilding*, CBuilding*, int32_t, int32_t, int32_t) override {}
    void onAttacked(CUnit*, CBuilding*) override {}
    void SeekTargetOnPatrol(int32_t, int32_t, bool* engaged) override { *engaged = false; }
    void onPerformAction() override {}
    void onMoveEnd() override {}

private:
    // True when the shot went off (or was not due); false when the archer
    // stopped animating for this call.
    bool StepShot();
    void Shoot(CUnit& target);
    void StaggerTowerMates() const;
};
