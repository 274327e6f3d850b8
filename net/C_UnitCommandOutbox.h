#pragma once
// Stands in for the network subsystem: records each command a unit sends, in order, instead of putting it on the wire.

#include <cstddef>
#include <cstdint>
#include <vector>

class CBuilding;
class CUnit;

class CUnitCommandOutbox
{
public:
    static constexpr int32_t CommandUnitDirection = 30;
    static constexpr int32_t CommandUnitHealth = 31;
    static constexpr int32_t CommandUnitDied = 32;
    static constexpr int32_t CommandUnitHidden = 33;
    static constexpr int32_t CommandUnitAnimType = 34;
    static constexpr int32_t CommandUnitStopAction = 35;
    static constexpr int32_t CommandUnitStop = 36;
    static constexpr int32_t CommandBuildingHealth = 37;
    static constexpr int32_t CommandBuildingDestroyed = 39;
    // ---- Building records and resource sites ----
    static constexpr int32_t CommandBuildingRecord = 38;
    static constexpr int32_t CommandBuildProgress = 40;
    static constexpr int32_t CommandResourceRemoved = 41;
    static constexpr int32_t CommandResourceAmount = 49;
    static constexpr int32_t CommandTechnologyResearched = 42;
    static constexpr int32_t CommandUnitHit = 43;
    static constexpr int32_t CommandBuildingHit = 44;
    static constexpr int32_t CommandUnitProduced = 51;
    static constexpr int32_t CommandTowerArcherTrained = 52;
    // ---- Tower archers ----
    static constexpr int32_t CommandTowerArcherTarget = 46;
    static constexpr int32_t CommandTowerArcherIdle = 47;
    static constexpr int32_t CommandTrapActivated = 54;
    static constexpr int32_t CommandTrapDestroyed = 55;
    static constexpr int32_t CommandRequestMoveStep = 57;
    static constexpr int32_t CommandMoveStep = 58;
    static constexpr int32_t CommandRequestEnterBuilding = 67;
    static constexpr int32_t CommandBuildingExit = 68;
    static constexpr int32_t CommandRequestUnload = 70;
    static constexpr int32_t CommandUnitUnloaded = 71;
    static constexpr int32_t CommandUnloadRefused = 72;
    static constexpr int32_t CommandRequestConvertUnit = 73;
    static constexpr int32_t CommandUnitConverted = 74;
    static constexpr int32_t CommandRequestConvertBuilding = 75;
    static constexpr int32_t CommandBuildingConverted = 76;
    // ---- Workers ----
    static constexpr int32_t CommandCarriedGoods = 50;
    static constexpr int32_t CommandRequestWorkerLeave = 59;
    static constexpr int32_t CommandWorkerLeave = 61;
    static constexpr int32_t CommandRequestHarvest = 65;
    // ---- Spells ----
    static constexpr int32_t CommandMagicCast = 48;
    // ---- Founding a keep ----
    // The placement request of the control and network subsystems has no
    // number of its own here: the stand-in's label.
    static constexpr int32_t CommandRequestPlaceBuilding = 1001;
    // Receiver of a packet meant for every other machine.
    static constexpr int32_t AllMachines = -1;
    // The record keeps only the most recent commands, so that a long game
    // does not grow it for ever: at the limit the older half goes.
    static constexpr size_t kMostSent = 8192;

    // Fields a command does not carry stay 0.
    struct SCommand
    {
        int32_t command = 0;
        const CUnit* unit = nullptr;
        float value = 0.0f;     // commands 31 (health) and 32 (torn apart, 1 or 0)
        int32_t x = 0;
        int32_t y = 0;
        int32_t facing = 0;
        int32_t direction = 0;
        int32_t result = 0;     // command 58: 0 step, 1 retry, 2 give up
        int32_t receiver = AllMachines;   // machine slot, or AllMachines
        const CUnit* other = nullptr;     // commands 43 and 44: the attacker, or none; 34: the target unit
        int32_t kind = 0;                 // commands 43 and 44: the damage type; 34: the animation type
        const CBuilding* building = nullptr;   // commands 34 (target), 37, 39 and 44
        int32_t newUniqueId = 0;               // command 74: the id the converted unit gets
        int32_t player = 0;                    // command 42: the researching player
        int32_t technology = 0;                // command 42: the technology id
        int32_t unitType = 0;                  // command 51: the unit type made
        int32_t uniqueId = 0;                  // commands 51 and 52: the new unit's unique id
        int32_t number = 0;                    // command 38: the model number; 49: the amount left
    };

    // Command 30: the unit's facing, to every machine.
    void SendUnitDirection(const CUnit* unit, int32_t facing);
    // Command 34: the unit's new animation type and its target, to every
    // machine, after each model change of a unit owned here.
    void SendUnitAnimType(const CUnit* unit, int32_t animation, const CUnit* target, const CBuilding* targetBuilding);
    // Command 31: the unit's health.
    void SendUnitHealth(const CUnit* unit, float health);
    // Command 32: the unit died; value is its torn-apart flag.
    void SendUnitDied(const CUnit* unit, bool tornApart);
    // Command 33: the unit left the map (boarded a ship).
    void SendUnitHidden(const CUnit* unit);
    // Command 43: a hit on the unit; value is the amount.
    void SendUnitHit(const CUnit* victim, const CUnit* attacker, int32_t amount, int32_t damageType);
    // Command 37: the building's health; 39: the building was destroyed;
    // 44: a hit on the building (value is the amount).
    void SendBuildingHealth(const CBuilding* building, float health);
    void SendBuildingDestroyed(const CBuilding* building);
    void SendBuildingHit(const CBuilding* building, const CUnit* attacker, int32_t amount, int32_t damageType);
    // Command 35: "Unit stop action", to every machine.
    void SendUnitStopAction(const CUnit* unit);
    // Command 36: the unit stopped.
    void SendUnitStop(const CUnit* unit);
    // Command 57: a client's unit asks the host (slot 0) for a tile step.
    void RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction);
    // Command 58: the answer to a tile step, to one machine or to all.
    void SendMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction, int32_t result,
                      int32_t receiver);

    // Command 54: the unit sprang the trap; 55: the unit (a machine)
    // destroyed it.  Both to every machine.
    void SendTrapActivated(const CBuilding* trap, const CUnit* unit);
    void SendTrapDestroyed(const CBuilding* trap, const CUnit* unit);
    // Command 73, to the host: `capturer` touched `unit`, which should
    // change to the capturer's player.  75 likewise for a building.
    void RequestConvertUnit(const CUnit* capturer, const CUnit* unit);
    void RequestConvertBuilding(const CUnit* capturer, const CBuilding* building);
    // Command 74, to every machine: `unit` changes to the capturer's player
    // with that new unique id.  76 likewise for a building.
    void SendUnitConverted(const CUnit* capturer, const CUnit* unit, int32_t newUniqueId);
    void SendBuildingConverted(const CUnit* capturer, const CBuilding* building);

    // Command 42, to every machine: the player finished researching the
    // technology.
    void SendTechnologyResearched(int32_t playerIndex, int32_t technologyId);
    // Command 51, to every machine: the building made a unit of the type
    // with that unique id (it waits inside for its exit).  52: the tower
    // stationed a new archer with that unique id.
    void SendUnitProduced(const CBuilding* building, int32_t unitType, int32_t uniqueId);
    void SendTowerArcherTrained(const CBuilding* building, int32_t uniqueId);
    // ---- Tower archers ----
    // Command 46, to every machine: "Tower archer new target", the archer
    // (unit) and its target (other).  47: "Tower archer idle", the archer.
    void SendTowerArcherTarget(const CUnit* archer, const CUnit* target);
    void SendTowerArcherIdle(const CUnit* archer);
    // Command 67, to the host: the building's finished unit asks for an
    // exit cell.  68, to every machine: the unit leaves at (x, y).
    void RequestEnterBuilding(const CBuilding* building, const CUnit* unit);
    void SendBuildingExit(const CBuilding* building, const CUnit* unit, int32_t x, int32_t y);

    // Command 70, to the host: the ship (unit) asks to put the carried unit
    // (other) ashore.  71, to every machine: the host put it on (x, y).
    // 72, to the ship owner's machine: the host found no place for it.
    void RequestUnload(const CUnit* ship, const CUnit* carried);
    void SendUnitUnloaded(const CUnit* ship, const CUnit* carried, int32_t x, int32_t y);
    void SendUnloadRefused(const CUnit* ship, const CUnit* carried, int32_t ownerSlot);

    // ---- Building records and resource sites ----
    // Command 38: the building's model number, which receivers store.
    void SendBuildingRecord(const CBuilding* building, int32_t model);
    // Command 40: the build progress percent (value), at most 100.0.
    void SendBuildProgress(const CBuilding* building, float progress);
    // Command 41: the resource site was removed.
    void SendResourceRemoved(const CBuilding* site);
    // Command 49, from the host: the amount left in the resource site.
    void SendResourceAmount(const CBuilding* site, int32_t amount);

    // ---- Spells ----
    // Command 48, to every machine: the unit cast the spell of the
    // technology on the block (x, y), whose centre it strikes.
    void SendMagicCast(const CUnit* caster, int32_t technologyId, int32_t blockX, int32_t blockY);

    // ---- Workers ----
    // Command 50, to every machine: the worker's carried kind (kind) and
    // amount (number).  59, to the host: the worker inside a gold mine asks
    // to come out.  61, to every machine: the worker reappears at (x, y)
    // (the receiver calls CUnitWorker::LeaveToStorage).  65, to the host:
    // the worker asks for one harvest from the resource site (building).
    void SendCarriedGoods(const CUnit* worker, int32_t kind, int32_t amount);
    void RequestWorker(const CUnit* worker);
    void SendWorkerLeave(const CUnit* worker, int32_t x, int32_t y);
    void RequestHarvest(const CUnit* worker, const CBuilding* site);

    // ---- Founding a keep ----
    // To the host: the player placed the building of that cast (kind) with
    // its corner at (x, y), so that every machine places it too.
    void RequestPlaceBuilding(const CBuilding* building, int32_t playerIndex, int32_t cast, int32_t x, int32_t y);

    void Clear() { m_Sent.clear(); }
    const std::vector<SCommand>& GetSent() const { return m_Sent; }

private:
    void Record(const SCommand& command);

    std::vector<SCommand> m_Sent;
};

extern CUnitCommandOutbox g_UnitCommandOutbox;

// Network role of this machine (0 single player, 1 host, 2 client) and
// whether this machine owns the objects of a player: in a single-player
// game it owns all of them, in a network game those of its own slot.
bool IsNetworkGame();
bool IsOwnedHere(int32_t playerIndex);
