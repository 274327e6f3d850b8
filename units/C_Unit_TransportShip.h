#pragma once
// The ship that carries up to 16 land units over water.  Carried units stay
// in their player's list, hidden (off the map); the ship only points at
// them, in boarding order, and never deletes them itself: a ship that sinks
// drowns them through their players and deferred deletion.
//
// In a network game only the host places unloaded units: a client asks
// (command 70) and counts the answers, put ashore (71) or refused (72),
// to tell its player once every answer of the batch is in.

#include <cstdint>

#include "units/C_UnitOfType.h"
#include "units/T_UnitIgnoringEnemies.h"

class CObjectReferences;

class CUnitTransportShip : public T_UnitIgnoringEnemies<CUnitOfType>
{
public:
    static constexpr int32_t CargoCapacity = 16;

    CUnitTransportShip();

    // Standing and sailing show the hull (the change is broadcast by the
    // owner); the death shows the wreck, drowns the cargo and splashes.
    void SetModelByAnimation() override;
    // Per tick: the frames, the lying ship's creaks and the wake waves, or
    // the sinking up to the corpse.
    bool Animate(int32_t ticks) override;
    // The hull on the map, turned by its shown facing, a little below the
    // water line (the war galley draws its hull the same way).
    void Render() override;
    // The wreck while its corpse fades: `fade` 1 to 0 sinks it ever deeper
    // and more transparent; `shade` 0 to 255.  Nothing at 0.
    void RenderAt(float fade, float unused, int32_t shade) override;
    // The common details, and for the local owner the carried units in rows
    // of eight; the one under the mouse becomes the panel's hovered object.
    void RenderDetailsOnPanel() override;
    void PlayHitSound(int32_t damageType) override;
    // Flees from a living enemy unit, or from a hostile building's archers,
    // unless it is sailing already (the king's flight).
    void onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding) override;
    void onCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject, int32_t tx,
                   int32_t ty, int32_t command) override;
    void onPerformAction() override;
    // Takes a living land unit aboard while fewer than 16 are; never the
    // same unit twice.
    bool AcceptGarrison(CUnit* unit) override;
    // A ship takes no notice of these.
    void onMoveEnd() override {}
    void onIdle() override {}
    // Wave ticks, cargo count, the carried units' ids, call island.
    // Loading refuses a negative wave count, a cargo count above 16, an id
    // that is no unit and a unit listed twice, leaving the ship as it was;
    // a wave count beyond the longest wait between wakes comes back as
    // that wait.
    void SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const override;
    bool LoadGameExtra(CSaveStream& stream, const CObjectReferences& references) override;

    bool IsCarrying(const CUnit* unit) const;
    // Every carried unit ashore that finds room; the rest stay aboard in
    // their order.  A client only asks the host.
    void UnloadAll();
    // One carried unit ashore; `report` shows the local owner why it failed.
    // A client only asks the host and answers true.
    bool UnloadOne(CUnit* unit, bool report);
    // A free land position for a unit of that footprint near the ship.
    bool FindUnloadTile(int32_t unitSize, int32_t* outX, int32_t* outY);
    // Puts the unit on the tile and shows it (the receiver of command 71 on
    // every machine; on the machine that asked, one answer is in).  A unit
    // on the map already, a dying one and a tile whose footprint leaves the
    // map are refused with a log line.
    bool UnloadUnit(CUnit* unit, int32_t tx, int32_t ty);
    // The host refused to put the unit ashore (command 72 on the client).
    void OnUnloadRefused(CUnit* unit);
    // The host's side of a client's request (command 70): the unit ashore
    // and announced to every machine, or the refusal to the ship's owner.
    void OnUnloadRequest(CUnit* unit);
    // Every carried unit leaves the game (the ship sinks): everything lets
    // go of it before it goes to deferred deletion.
    void DestroyCargo();
    // The unit is aboard no more (it died there).
    void DropFromCargo(const CUnit* unit) { TakeOutEveryOccurrence(unit); }

    int32_t GetCargoCount() const { return m_CargoCount; }
    CUnit* GetCargo(int32_t index) const
    {
        return index >= 0 && index < m_CargoCount ? m_Cargo[index] : nullptr;
    }

    int32_t waveTicks = 0;
    // Island id under the land unit that called the ship to its shore.
    int32_t callIsland = 0;
    int32_t pendingAnswers = 0;
    int32_t refusedAnswers = 0;
    int32_t batchIsAll = 0;

    // The carried units' places on the panel: rows of eight from (5, 475),
    // 20 apart in a row and 45 between rows; each answers a 40 x 40 box.
    static constexpr int32_t CargoPanelX = 5;
    static constexpr int32_t CargoPanelY = 475;
    static constexpr int32_t CargoPanelColumns = 8;
    static constexpr int32_t CargoPanelStepX = 20;
    static constexpr int32_t CargoPanelStepY = 45;
    // What the panel's hovered object is when it is a carried unit.
    static constexpr int32_t HoverCarriedUnit = 17;

private:
    void SailToCallIsland();
    void SailToCoast();
    void UnloadWhereItLies();
    void OpenBatch(int32_t requests, bool isAll);
    void ShowNoPlaceMessage(bool isAll) const;
    int32_t IndexOf(const CUnit* unit) const;
    void RemoveAt(int32_t index);
    void TakeOutEveryOccurrence(const CUnit* unit);
    // Forgets carried units that no player lists any more, or that die.
    void DropLostCargo();

    CUnit* m_Cargo[CargoCapacity] = {};
    int32_t m_CargoCount = 0;
};

// The transport ship of the unit's player that has the unit aboard: the
// first in the player's list; null when none has.
CUnitTransportShip* FindPlayerTransportShip(const CUnit* unit);
