#pragma once
// The economic unit: harvests wood, stone and gold and carries them to a
// storage building, builds and repairs buildings, repairs machines and
// dismantles its player's buildings for part of their price.  Its work is
// paced by its animation: every completed cycle (inside a gold mine every
// whole unit of progress) is one unit of work.
//
// The automatic sub-tasks "Find storage", "Find resource", "Finding
// uncompleted building", "Runaway" and "Return to harvest point" are path
// searches made when the action buffer performs them.  A worker mining gold
// is off the map inside the mine until it leaves through a free exit cell.

#include <cstdint>

#include "units/C_UnitTableType.h"

class CUnitWorker : public CUnitTableType
{
public:
    // TENUMRESOURCE kinds a worker carries.
    static constexpr int32_t KindNone = 0;
    static constexpr int32_t KindClosedMine = 1;
    static constexpr int32_t KindWood = 2;
    static constexpr int32_t KindStone = 3;
    static constexpr int32_t KindGold = 4;
    static constexpr int32_t KindCount = 5;

    // Goods delivered or refunded rise as numbers this high, in the colour
    // of their kind: green wood, grey stone, yellow gold.
    static constexpr float GoodsNumberHeight = 80.0f;
    static uint32_t GoodsColour(int32_t kind);

    CUnitWorker();

    // The name by what the worker does: builder, demolisher, repairer,
    // lumberjack, miner, or the plain worker.
    const char* GetCastName() const override;
    // Per elapsed tick: the work cycles, the walk, the stand and the death.
    bool Animate(int32_t ticks) override;
    // The model of the animation and the load; entering a gold mine hides
    // the worker.
    void SetModelByAnimation() override;
    bool IsCarryingGoods() const override { return carriedAmount != 0; }
    void RenderDetailsOnPanel() override;
    void onCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject, int32_t tx,
                   int32_t ty, int32_t command) override;
    void onMoveEnd() override;
    void onPerformAction() override;
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onIdle() override;
    // Carried kind and amount, harvest point and its flag, the repair purse
    // and the leave request: 30 bytes after the common unit record.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    // The worker now works a resource of that kind: a load of another kind
    // is dropped.  A closed gold mine still gives gold.
    void TakeOverResourceKind(int32_t kind);
    // One stroke's harvest from the resource (owner's machine).
    void HarvestOne(CBuilding* resource);
    // Adds the amount to the load; true when the worker changed its task.
    bool AddCarriedGoods(CBuilding* resource, int32_t amount);
    // Leaves the gold mine first when inside, then looks for storage; a
    // worker off the map in no mine (aboard a ship) stays as it is.
    void GoToStorage();
    // The worker reappears at (tx, ty) and looks for storage (also the
    // receiver of the host's answer to a leave request).
    void LeaveToStorage(int32_t tx, int32_t ty);
    // Frames per tick (wood, stone) or progress per tick (gold) of the
    // owner's research; 0.01 with a log line for any other kind.
    float GetHarvestRate(int32_t kind) const;
    int32_t GetCarryLimit() const;
    // Build and repair work per cycle: the game's build speed with the
    // owner's research.
    float GetWorkRate() const;
    // What one repair cycle's payment came to.
    enum class EPayment
    {
        Paid,      // taken from the purse
        Topping,   // a unit of each missing resource moved into the purse
        Broke,     // the player has none of a missing resource
    };
    EPayment PayRepairBuilding(const CBuilding* building);
    EPayment PayRepairUnit(const CUnit* unit);

    int32_t carriedKind = KindNone;
    int32_t carriedAmount = 0;
    int32_t harvestX = 0;
    int32_t harvestY = 0;
    uint8_t hasHarvestPoint = 0;
    float dismantleProgress = 0.0f;   // percent; not saved
    float purseWood = 0.0f;
    float purseStone = 0.0f;
    float purseGold = 0.0f;
    uint8_t leaveRequested = 0;

private:
    // ---- Orders and searches (C_Unit_Worker_Orders.cpp) ----
    void SearchStorage();
    void SearchResource();
    void SearchBuildSite();
    void RunAway();
    // Walks a found route, or leaves the order due for the next pass when
    // the target is beside already.
    void WalkFoundRoute(int32_t length, int32_t endX, int32_t endY);
    bool IsArrived();
    void ActOnArrival(bool keepDismantleProgress);
    void DeliverGoods();
    // A resource site of the carried kind touching the harvest point.
    CBuilding* FindResourceAtHarvestPoint() const;
    void StartFindResourceHere();
    // (C_Unit_Worker.cpp) The attacker becomes `from`; the flight starts
    // from its block (fromX, fromY).
    void FleeFrom(CUnit* from, int32_t fromX, int32_t fromY);

    // ---- Harvest (C_Unit_Worker_Harvest.cpp) ----
    // Steps out of the mine: true when the worker stands on the map again;
    // false, with nothing changed, for a worker off the map in no mine.
    bool LeaveMine();
    void EnterMine();
    void AnimateHarvest();
    void AnimateGold();

    // ---- Building, repair, dismantling (C_Unit_Worker_Work.cpp) ----
    // Frame advance of a work animation; true at the end of a cycle, with
    // the frame wrapped.
    bool AdvanceCycle(float frames);
    // The end of a work cycle at a target still in reach; a target out of
    // reach resumes the action instead.
    bool FinishWorkCycleInReach();
    void AnimateBuild();
    void AnimateRepair();
    void AnimateDismantle();
    void TakeDownDismantled(CBuilding* building);
    EPayment PayFromPurse(float wood, float stone, float gold);
    void StandAndStop();
};
