#pragma once
// The siege engine of the castle: a slow two-block machine that throws
// stones at units, buildings and ground points no nearer than 4 blocks,
// reloads after every throw, and falls into a heap of dust when destroyed.
// Its wheels follow the ground, which tilts the machine and moves the point
// its stone leaves from.
//
// The release point of a stone depends on the ground under the wheels; it
// is worked out each time the machine is drawn, kept with the saved unit,
// and a throw leaves from the point of the last drawing.
//
// The war galley shares the ways of performing an order, of deciding that a
// shot may leave and of scattering it that are public here.

#include <cstdint>

#include "units/C_UnitOfType.h"

class CRangeTable;

class CUnitCatapult : public CUnitOfType
{
public:
    static constexpr float StartReleaseHeight = 41.0f;

    CUnitCatapult();

    // The machine tilted on its wheels as the ground under them lies.
    void Render() override;
    // The wreck while its corpse fades (`fade` 1 to 0, `shade` 0 to 255),
    // standing on its wheels; nothing at fade 0.
    void RenderAt(float dieWeight, float fade, int32_t shade) override;
    // The common details of a unit under its type's name.
    void RenderDetailsOnPanel() override { RenderInfoPanel(GetCastName()); }
    void SetModelByAnimation() override;
    // Per tick; false once the unit has died and left its player.
    bool Animate(int32_t ticks) override;
    void PlayHitSound(int32_t damageType) override;
    void onPerformAction() override;
    void onMoveEnd() override;
    void SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged) override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onEnemySighted(CUnit* enemy) override;
    void onIdle() override;
    // The thrown flag (1 byte), then the release point: x, height, y (three
    // 32-bit floats).  Loading refuses a flag other than 0 or 1 and a point
    // that is no finite number, leaving the catapult as it was.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // ---- Shared with the war galley ----------------------------------------
    // Performs the buffered order of a siege engine: in reach, an attack on
    // the target unit, building or ground point starts (the engine turns
    // toward it, `extraDegrees` past it), a patrol leg turns round, a
    // garrison order boards its ship when `boardsShips`; out of reach the
    // engine walks.  The caller has checked that the unit is its machine's.
    static void PerformSiegeOrder(CUnit& unit, bool boardsShips, float extraDegrees);
    // An enemy standing in the outer three blocks of the circle (scanned
    // from the rim inward) is attacked from where the engine stands; then an
    // engine that strayed beyond its sight from its post goes back.
    static void SeekInPatrolBand(CUnit& unit, const CRangeTable* circle, int32_t tx, int32_t ty);
    // Moves an aim point (x, y in blocks) by the scatter of a shot at the
    // unit's target point: none up to 5 whole blocks away or with
    // TC_BALLISTIC, else a whole multiple of 0.1 block per axis in
    // -s .. s - 1 tenths, s being the blocks beyond 5.
    static void ScatterByDistance(const CUnit& unit, float* aimX, float* aimY);
    // The ground point of a shot with its small scatter: the target point's
    // block middle moved by up to a quarter block on each axis.
    static void AimAtTargetPoint(const CUnit& unit, float* aimX, float* aimY);
    // A building's aim point moved by up to half a block on each axis.
    static void AimAtBuilding(const CBuilding& building, float aim[3]);
    // False when the owner finds nothing left to shoot at: no target unit,
    // building or ground point, or one out of reach.  The owner decides
    // whether the target is still there; a copy on another machine shoots
    // for the show.
    static bool MayShoot(CUnit& unit);

    uint8_t thrown = 0;               // the stone of this attack has left
    float releaseX = 0.0f;            // blocks from the centre, along x
    float releaseHeight = StartReleaseHeight;
    float releaseY = 0.0f;            // blocks, subtracted from the centre's y

private:
    // The release point of the stone for the catapult as it stands now;
    // each drawing works it out, and the next throw leaves from it.
    void WorkOutReleasePoint();
    // One tick of each animation; false to stop stepping this call.
    bool StepThrow();
    void StepReload();
    void Throw();
    int32_t StoneKind() const;
    // Dust rising around the machine, from `baseHeight` up.
    void RaiseDust(float baseHeight) const;
};
