#pragma once
// The player's king: fights no one, runs from whoever hurts him and takes
// shelter in a keep of his own player (command 18).  A sheltered king is off
// the map, out of the selection and out of reach; the keep holds him
// (CBuildingKeep) and he names the keep, until the keep lets him out.
//
// The flight and the idle stand are shared: the settler and the transport
// ship call the static bodies below with themselves.

#include <cstdint>

#include "units/C_UnitTableType.h"
#include "units/T_UnitIgnoringEnemies.h"

class CBuilding;

// He never seeks, answers or chases an enemy.
class CUnitKing : public T_UnitIgnoringEnemies<CUnitTableType>
{
public:
    CUnitKing();

    // Per elapsed tick; false once the king has become a corpse.
    bool Animate(int32_t ticks) override;
    void SetModelByAnimation() override;
    void onPerformAction() override;
    void onMoveEnd() override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onIdle() override;
    // Into a living keep of his own player that holds no king yet; true
    // when he went in.
    bool EnterBuilding(CBuilding* building) override;
    // The keep as a reference id (-1 none).  Loading refuses an id that
    // names no keep (of any player: a keep taken while the map had no room
    // for him keeps him).
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // The keep lets him out (or goes): the link is cleared.
    void LeaveKeep() { keep = nullptr; }

    // ---- Bodies shared with the settler and the transport ship -------------
    // A standing unit hit by an enemy unit, or by an enemy building with an
    // archer, orders itself away from it (command -7); a walking one keeps
    // its course.
    static void RunFromAttacker(CUnit& unit, CUnit* attackerUnit, CBuilding* attackerBuilding);
    // Command -7: a route to a cell just out of the attacker's sight, which
    // the unit walks after the order has ended.
    static void PerformRunaway(CUnit& unit);
    // Stand, with the model of standing.
    static void StandIdle(CUnit& unit);
    // Command 11 walked short: wait for the ship while it comes, else stop.
    static void RetryBoarding(CUnit& unit);
    // The buffered action is due again half a second from now.
    static void RetryLater(CUnit& unit);
    // The start of an order: another machine's unit does nothing but report
    // the check at `sourceLine` of `sourceFile`; command -7 runs away.  True
    // when the order is done with.
    static bool PerformCommonOrder(CUnit& unit, int32_t sourceLine, const char* sourceFile);
    // True while the unit is still on its way: a path to the target is
    // started.
    static bool WalkOnToTarget(CUnit& unit);
    // Arrived: the unit stops walking and lets go of its action targets;
    // command 11 boards the ship it walked to.  False for any other
    // command, left to the unit.
    static bool BoardOnArrival(CUnit& unit);

    CBuilding* keep = nullptr;   // the keep he sits in; null on the map

private:
    void SearchKeep();
    bool IsShelterFor(const CBuilding* building) const;
    void ActOnArrival();
    void StepStand();
    void DropKeepLink();
};
