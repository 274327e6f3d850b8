// The receiver of the game commands: another machine's news about the units
// and buildings it owns, the host's answers, and on the host the requests of
// the clients.  A packet is outside input, so every reference and value is
// checked before anything here changes, against the world as this machine
// has it as well: the object must be where the command needs it and the
// blocks free for what it puts there.  A packet that fails a check is
// dropped with a check report.
//
// Who may send what.  Only the slots that machines play send anything: the
// host's, and those of the human players of the other machines; a computer
// player's units are owned by no machine, and an empty or defeated slot has
// none.  Then by command:
//   30 facing, 31 health, 32 death, 33 hidden,   the unit's owner
//   34 action, 36 stop
//   37 health, 38 model, 39 destroyed            the building's deciding machine: its
//                                                owner's, the host's for a neutral one
//                                                and for a computer's, a defeated or an
//                                                empty slot's
//   43 unit hit, 44 building hit                 the attacker's owner; without an
//                                                attacker, any machine
//   46 archer's target, 47 archer idle           the archer's owner
//   52 archer trained                            the tower's owner
//   54 trap sprung, 58 move step, 68 way out,    the host
//   71 put ashore, 72 not put ashore,
//   74 unit taken, 76 building taken
//   61 worker out of the mine                    the worker's owner, or the host
//   57 step asked, 70 landing asked (host only)  the unit's, the ship's owner
// A hit that no unit of this game struck, a gate's crush or a shot whose
// shooter is gone, is sent by every machine where it lands: the attacker's
// machine is unknown then, so it is taken from any machine.  Only the
// victim's owner lets it change health, and a host or client that lies with
// one harms no more than with a hit of its own units.

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "game/C_Selection.h"
#include "media/C_ModelRecord.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_King.h"
#include "units/C_Unit_TowerArcher.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_Unit_Worker.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t FirstDamageType = 1;
constexpr int32_t LastDamageType = 9;
constexpr int32_t LastFacing = 359;
constexpr int32_t LastDirection = 7;

// Every check that fails reports and answers false (or null), so that a
// handler reads as a chain of checks followed by the call it makes.
bool Drop(const char* reason)
{
    DEBUG_REPORT(reason);
    return false;
}

bool InRange(int32_t value, int32_t lowest, int32_t highest)
{
    return (value >= lowest && value <= highest) || Drop("#DEBUG: Network packet value out of range");
}

bool IsFlag(int32_t value)
{
    return InRange(value, 0, 1);
}

// A percentage of health: above 0 (a death comes as its own command), at
// most 100; not a number fails both tests.
bool IsHealth(float value)
{
    return (value > 0.0f && value <= 100.0f) || Drop("#DEBUG: Network packet value out of range");
}

bool FootprintOnMap(const CUnit& unit, int32_t x, int32_t y)
{
    const int32_t size = unit.GetSize();
    return (g_GameMap.IsOnMap(x, y) && g_GameMap.IsOnMap(x + size - 1, y + size - 1)) ||
           Drop("#DEBUG: Network packet value out of range");
}

bool FromHost(const CNetPacket& packet)
{
    return packet.Sender() == CMultiplayer::HostSlot || Drop("#DEBUG: Network packet not sent by the host");
}

bool HereIsHost()
{
    return g_Config.networkRole == CMultiplayer::RoleHost || Drop("#DEBUG: Network packet meant for the host");
}

bool OfSender(int32_t owner, const CNetPacket& packet)
{
    return owner == packet.Sender() || Drop("#DEBUG: Network packet names another machine's object");
}

// ---- Where objects are on this machine ---------------------------------------------

bool StandsOnBlocks(const CUnit& unit)
{
    return unit.onMap && unit.IsFootprintRegistered();
}

// A unit strikes from its blocks, or from the tower it stands in.
bool StrikesFromItsPlace(const CUnit& unit)
{
    const auto* archer = unit.GetCastID() == UNIT_TOWERARCHER ? dynamic_cast<const CUnitTowerArcher*>(&unit) : nullptr;
    return StandsOnBlocks(unit) || (archer != nullptr && archer->GetTower() != nullptr);
}

// A tower's archer, or a building's finished unit waiting for its way out.
bool IsStationedOrWaiting(const CUnit& unit)
{
    if (unit.GetCastID() == UNIT_TOWERARCHER)
        return true;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].buildingCount; ++i)
            if (g_Players[p].buildings[i]->productionUnit == &unit)
                return true;
    return false;
}

// The same, or a king sheltered in a keep.
bool IsHeldByBuilding(const CUnit& unit)
{
    const auto* king = dynamic_cast<const CUnitKing*>(&unit);
    return (king != nullptr && king->keep != nullptr) || IsStationedOrWaiting(unit);
}

bool IsCarriedByAnotherShip(const CUnit& unit, const CUnit* ship)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
        {
            const auto* other = dynamic_cast<const CUnitTransportShip*>(g_Players[p].units[i]);
            if (other != nullptr && other != ship && other->IsCarrying(&unit))
                return true;
        }
    return false;
}

// Whether the ship may have the unit aboard.  Its own machine knows its
// cargo; another machine's copy learns of no boarding (only that the unit
// was hidden), so there a hidden unit of the ship's player that nothing
// else here holds may be aboard.
bool MayBeAboard(const CUnitTransportShip& ship, const CUnit& unit)
{
    if (ship.IsCarrying(&unit))
        return true;
    return !IsOwnedHere(ship.player) && unit.player == ship.player && !unit.onMap && !IsHeldByBuilding(unit) &&
           !IsCarriedByAnotherShip(unit, &ship);
}

bool IsAboard(const CUnitTransportShip& ship, const CUnit& unit)
{
    return MayBeAboard(ship, unit) || Drop("#DEBUG: Network packet names a unit the ship does not carry");
}

// Free blocks of the unit's layer for its whole footprint at (x, y).
bool IsFreeFor(const CUnit& unit, int32_t x, int32_t y)
{
    return g_GameMap.IsAreaFree(x, y, unit.GetSize(), unit.GetMoveLayer()) ||
           Drop("#DEBUG: Network packet puts a unit where it cannot stand");
}

// A unique id that no unit of the player has, listed or in a tower: the
// right of way between a player's units and every reference compare them.
bool IsFreshId(int32_t player, int32_t uniqueId)
{
    if (!InRange(uniqueId, 0, CMultiplayer::kMostUniqueId))
        return false;
    return CMultiplayer::FindUnit(player, uniqueId) == nullptr ||
           Drop("#DEBUG: Network packet gives a unique id that a unit has");
}

// This machine's copy of the player's id counter keeps up with the ids its
// owner gave, so that an id taken here later (a captured tower's archers)
// is a fresh one too.
void KeepIdCounterPast(int32_t player, int32_t uniqueId)
{
    if (CPlayer* owner = PlayerAt(player); owner != nullptr && uniqueId > owner->nextUniqueId)
        owner->nextUniqueId = uniqueId;
}

// The unit value i names, in the list of any player (the sender's with
// `ofSender`), whether alive or dying; null after a report.
CUnit* AnyUnitAt(const CNetPacket& packet, int i, bool ofSender)
{
    CUnit* unit = CMultiplayer::FindUnitByRef(packet.Value(i));
    if (unit == nullptr)
        return Drop("#DEBUG: Network packet names no unit"), nullptr;
    if (ofSender && !OfSender(unit->player, packet))
        return nullptr;
    return unit;
}

// As AnyUnitAt, but only a living unit: a dying one is about to be
// deleted, and nothing may take a new hold on it.
CUnit* UnitAt(const CNetPacket& packet, int i, bool ofSender)
{
    CUnit* unit = AnyUnitAt(packet, i, ofSender);
    if (unit != nullptr && (!unit->IsAlive() || unit->IsDying()))
        return Drop("#DEBUG: Network packet names a dead unit"), nullptr;
    return unit;
}

// As UnitAt, but only a unit that stands on the map's blocks: not aboard,
// in a tower or keep, or waiting in a building.
CUnit* UnitOnMapAt(const CNetPacket& packet, int i, bool ofSender)
{
    CUnit* unit = UnitAt(packet, i, ofSender);
    if (unit != nullptr && !StandsOnBlocks(*unit))
        return Drop("#DEBUG: Network packet names a unit off the map"), nullptr;
    return unit;
}

// A living unit of the sender of that type, as its class; null after a
// report.
template <typename Unit>
Unit* UnitOfType(const CNetPacket& packet, int i, int32_t cast, bool ofSender)
{
    CUnit* unit = UnitAt(packet, i, ofSender);
    if (unit == nullptr)
        return nullptr;
    Unit* typed = unit->GetCastID() == cast ? dynamic_cast<Unit*>(unit) : nullptr;
    if (typed == nullptr)
        Drop("#DEBUG: Network packet names a unit of the wrong type");
    return typed;
}

// A standing building; null after a report.
CBuilding* BuildingAt(const CNetPacket& packet, int i)
{
    CBuilding* building = CMultiplayer::FindBuildingByRef(packet.Value(i));
    if (building == nullptr || building->IsTakenDown())
        return Drop("#DEBUG: Network packet names no building"), nullptr;
    return building;
}

bool DecidedBySender(const CBuilding& building, const CNetPacket& packet)
{
    return OfSender(DecidingSlotOf(building.owner), packet);
}

// Who struck a hit, as the victim sees it, and whose kill it is.
struct SAttacker
{
    CUnit* unit = nullptr;
    int32_t player = CUnit::NoAttackerPlayer;
};

// An attacker value: none, or a unit of the sender.  One that died while its
// shot flew still struck: it is handed on as where the hit was struck (the
// victim does not strike back at a dying unit), and one that lies as a
// corpse already, known here by its reference alone, as none.  One that
// stands nowhere it could strike from (aboard a ship) is handed on as none.
// Its player keeps the credit.
bool AttackerAt(const CNetPacket& packet, int i, SAttacker* attacker)
{
    if (packet.Value(i) == CMultiplayer::NoRef)
        return true;
    if (CMultiplayer::FindUnitByRef(packet.Value(i)) == nullptr &&
        CMultiplayer::GetUnitRefOwner(packet.Value(i)) == packet.Sender())
    {
        attacker->player = packet.Sender();
        return true;
    }
    CUnit* unit = AnyUnitAt(packet, i, true);
    if (unit == nullptr)
        return false;
    attacker->player = unit->player;
    if (StrikesFromItsPlace(*unit))
        attacker->unit = unit;
    return true;
}

bool IsHit(const CNetPacket& packet, int amountAt)
{
    return InRange(packet.Value(amountAt), 0, INT32_MAX) &&
           InRange(packet.Value(amountAt + 1), FirstDamageType, LastDamageType);
}

// ---- The commands ------------------------------------------------------------------

void OnUnitDirection(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit != nullptr && InRange(packet.Value(1), 0, LastFacing))
        unit->SetDirection(packet.Value(1), false);
}

void OnUnitHealth(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    const float health = CNetPacket::ToFloat(packet.Value(1));
    if (unit == nullptr || !IsHealth(health))
        return;
    const float old = unit->health;
    unit->health = health;
    // Starvation may leave a copy without hit points at that health; only
    // the owner's death command lets a unit die.
    if (!unit->IsAlive())
    {
        unit->health = old;
        Drop("#DEBUG: Network packet value out of range");
    }
}

// A tower's archers and a building's waiting unit die only with it, as
// their holder lets them go.  A unit aboard a ship or a king in his keep
// may die where it is: its holder lets it go then.
bool IsFreeToDie(const CUnit& unit)
{
    return !IsStationedOrWaiting(unit) || Drop("#DEBUG: Network packet names a unit a building holds");
}

void OnUnitDied(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit == nullptr || !IsFlag(packet.Value(1)) || !IsFreeToDie(*unit))
        return;
    unit->tornApart = static_cast<uint8_t>(packet.Value(1));
    unit->RemoveFromWorld(false);
}

void OnUnitHidden(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit == nullptr)
        return;
    g_Selection.RemoveUnit(unit);
    if (unit->onMap)
        unit->ShowUnit(false);
}

// A death comes only as its own command: the loader takes a unit showing
// its corpse for a dead one.  Its fall may come just before it.
bool IsLivingAnimation(int32_t animation)
{
    return InRange(animation, ANIM_STAND, ANIM_SPELL) &&
           (animation != ANIM_CORPSE || Drop("#DEBUG: Network packet shows a living unit as a corpse"));
}

void OnUnitAnimType(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit == nullptr || !IsLivingAnimation(packet.Value(1)))
        return;
    CUnit* target = nullptr;
    CBuilding* building = nullptr;
    if (packet.Value(2) != CMultiplayer::NoRef && (target = UnitOnMapAt(packet, 2, false)) == nullptr)
        return;
    if (packet.Value(3) != CMultiplayer::NoRef && (building = BuildingAt(packet, 3)) == nullptr)
        return;
    const int32_t x = packet.Value(4);
    const int32_t y = packet.Value(5);
    if (!InRange(x, 0, g_GameMap.GetWidth() - 1) || !InRange(y, 0, g_GameMap.GetHeight() - 1) ||
        !InRange(packet.Value(6), TARGET_NONE, TARGET_BLOCK) || !IsFlag(packet.Value(7)))
        return;
    unit->OnNetworkAction(packet.Value(1), target, building, x, y, packet.Value(6), packet.Value(7) != 0);
}

void OnUnitStop(const CNetPacket& packet)
{
    if (CUnit* unit = UnitAt(packet, 0, true))
        unit->Stop();
}

void OnBuildingHealth(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    const float health = CNetPacket::ToFloat(packet.Value(1));
    if (building == nullptr || !DecidedBySender(*building, packet) || !IsHealth(health))
        return;
    // Brought down here by a hit, it waits for its owner's destruction: new
    // health would raise it outside every list.
    if (!building->IsAlive())
    {
        Drop("#DEBUG: Network packet raises a destroyed building");
        return;
    }
    building->health = health;
    building->UpdateFireEmitters();
}

void OnBuildingRecord(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    if (building != nullptr && DecidedBySender(*building, packet) && InRange(packet.Value(1), 0, GlobalModelCount - 1))
        building->model = packet.Value(1);
}

// A building a hit brought to 0 health here goes when its deciding machine
// says so.
void OnBuildingDestroyed(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    if (building != nullptr && DecidedBySender(*building, packet))
        building->Destroy(false);
}

void OnUnitAttacked(const CNetPacket& packet)
{
    CUnit* victim = UnitAt(packet, 0, false);
    SAttacker attacker;
    if (victim == nullptr || !AttackerAt(packet, 1, &attacker) || !IsHit(packet, 2))
        return;
    // What strikes back and who is alerted follows from the attacker, as
    // where the hit was struck.
    victim->ApplyHitFrom(attacker.unit, attacker.player, packet.Value(2), static_cast<TENUMDAMAGETYPE>(packet.Value(3)),
                         attacker.unit != nullptr);
}

void OnBuildingAttacked(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    SAttacker attacker;
    if (building == nullptr || !AttackerAt(packet, 1, &attacker) || !IsHit(packet, 2))
        return;
    building->ApplyDamage(attacker.unit, packet.Value(2), static_cast<TENUMDAMAGETYPE>(packet.Value(3)),
                          attacker.unit != nullptr);
}

void OnTowerArcherTarget(const CNetPacket& packet)
{
    auto* archer = UnitOfType<CUnitTowerArcher>(packet, 0, UNIT_TOWERARCHER, true);
    CUnit* target = archer != nullptr ? UnitOnMapAt(packet, 1, false) : nullptr;
    if (target != nullptr)
        archer->SetTarget(target);
}

void OnTowerArcherIdle(const CNetPacket& packet)
{
    if (auto* archer = UnitOfType<CUnitTowerArcher>(packet, 0, UNIT_TOWERARCHER, true))
        archer->SetTarget(nullptr);
}

void OnTowerArcherTrained(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    if (building == nullptr || !OfSender(building->owner, packet))
        return;
    auto* tower = building->GetBuildCast() == CastTower ? dynamic_cast<CBuildingTower*>(building) : nullptr;
    const int32_t uniqueId = packet.Value(1);
    if (tower == nullptr)
        Drop("#DEBUG: Network packet names a building of the wrong type");
    else if (IsFreshId(tower->owner, uniqueId) && tower->AddArcher(uniqueId))
        KeepIdCounterPast(tower->owner, uniqueId);
}

void OnTrapActivated(const CNetPacket& packet)
{
    if (!FromHost(packet))
        return;
    CBuilding* trap = BuildingAt(packet, 0);
    CUnit* unit = trap != nullptr ? UnitOnMapAt(packet, 1, false) : nullptr;
    if (unit == nullptr)
        return;
    if (trap->GetBuildCast() != CastTrap)
        Drop("#DEBUG: Network packet names a building of the wrong type");
    else if (trap->owner == unit->player)
        Drop("#DEBUG: Network packet names a trap of the unit's own player");
    else
        unit->SpringTrap(trap);
}

void OnRequestMoveStep(const CNetPacket& packet)
{
    CUnit* unit = HereIsHost() ? UnitAt(packet, 0, true) : nullptr;
    if (unit != nullptr)
        unit->OnNetworkMoveRequest(packet.Sender(), packet.Value(1), packet.Value(2), packet.Value(3),
                                   packet.Value(4));
}

// Whether the step is one this machine can take is for the steps' own
// rules (C_MultiplayerGame_Steps.cpp).
void OnMoveStep(const CNetPacket& packet)
{
    CUnit* unit = FromHost(packet) ? UnitAt(packet, 0, false) : nullptr;
    if (unit != nullptr && FootprintOnMap(*unit, packet.Value(1), packet.Value(2)) &&
        InRange(packet.Value(3), 0, LastFacing) && InRange(packet.Value(4), 0, LastDirection) &&
        InRange(packet.Value(5), CUnit::TileFree, CUnit::TileBlocked))
        g_MultiplayerGame.ReceiveMoveStep(*unit, packet);
}

// A worker comes out of a mine: hidden, and held by nothing else here.
// Where it is owned the machine knows it is mining gold.
bool IsInMine(const CUnitWorker& worker)
{
    const bool inside = !worker.onMap && !IsHeldByBuilding(worker) && !IsCarriedByAnotherShip(worker, nullptr) &&
                        (!IsOwnedHere(worker.player) || worker.animType == ANIM_MINE_GOLD);
    return inside || Drop("#DEBUG: Network packet names a worker that is in no mine");
}

void OnWorkerLeave(const CNetPacket& packet)
{
    auto* worker = UnitOfType<CUnitWorker>(packet, 0, UNIT_WORKER, false);
    // The owner lets its worker out, or the host answers a client's request.
    if (worker == nullptr || (packet.Sender() != CMultiplayer::HostSlot && !OfSender(worker->player, packet)))
        return;
    const int32_t x = packet.Value(1);
    const int32_t y = packet.Value(2);
    if (IsInMine(*worker) && FootprintOnMap(*worker, x, y) && IsFreeFor(*worker, x, y))
        worker->LeaveToStorage(x, y);
}

void OnBuildingExit(const CNetPacket& packet)
{
    CBuilding* building = FromHost(packet) ? BuildingAt(packet, 0) : nullptr;
    CUnit* unit = building != nullptr ? UnitAt(packet, 1, false) : nullptr;
    const int32_t x = packet.Value(2);
    const int32_t y = packet.Value(3);
    // The host's search for the way out wants free blocks of the unit's
    // layer.
    if (unit != nullptr && FootprintOnMap(*unit, x, y) && IsFreeFor(*unit, x, y))
        building->ReleaseUnit(unit, x, y);
}

void OnRequestUnload(const CNetPacket& packet)
{
    auto* ship = HereIsHost() ? UnitOfType<CUnitTransportShip>(packet, 0, UNIT_TRANSPORTSHIP, true) : nullptr;
    CUnit* unit = ship != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit != nullptr && IsAboard(*ship, *unit))
        ship->OnUnloadRequest(unit);
}

void OnUnitUnloaded(const CNetPacket& packet)
{
    auto* ship = FromHost(packet) ? UnitOfType<CUnitTransportShip>(packet, 0, UNIT_TRANSPORTSHIP, false) : nullptr;
    CUnit* unit = ship != nullptr ? UnitAt(packet, 1, false) : nullptr;
    const int32_t x = packet.Value(2);
    const int32_t y = packet.Value(3);
    if (unit != nullptr && IsAboard(*ship, *unit) && FootprintOnMap(*unit, x, y) && IsFreeFor(*unit, x, y))
        ship->UnloadUnit(unit, x, y);
}

void OnUnloadRefused(const CNetPacket& packet)
{
    auto* ship = FromHost(packet) ? UnitOfType<CUnitTransportShip>(packet, 0, UNIT_TRANSPORTSHIP, false) : nullptr;
    CUnit* unit = ship != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit == nullptr)
        return;
    if (!IsOwnedHere(ship->player))
        Drop("#DEBUG: Network packet names another machine's object");
    else
        ship->OnUnloadRefused(unit);
}

// The capture rule, but for the contact: positions may differ by a step
// between machines.
bool MayBeTaken(bool mayCapture)
{
    return mayCapture || Drop("#DEBUG: Network packet names an object no capture may take");
}

void OnUnitConverted(const CNetPacket& packet)
{
    CUnit* capturer = FromHost(packet) ? UnitAt(packet, 0, true) : nullptr;
    CUnit* unit = capturer != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit == nullptr || !IsFreshId(capturer->player, packet.Value(2)) ||
        !MayBeTaken(capturer->MayCaptureUnit(*unit)))
        return;
    capturer->OnNetworkConvertUnit(unit, packet.Value(2));
    if (unit->player == capturer->player)
        KeepIdCounterPast(capturer->player, packet.Value(2));
}

void OnBuildingConverted(const CNetPacket& packet)
{
    CUnit* capturer = FromHost(packet) ? UnitAt(packet, 0, true) : nullptr;
    CBuilding* building = capturer != nullptr ? BuildingAt(packet, 1) : nullptr;
    if (building != nullptr && MayBeTaken(capturer->MayCaptureBuilding(*building)))
        capturer->OnNetworkConvertBuilding(building);
}

// What each command does here.  A command without a handler is known but
// has nothing to apply on this machine yet.
struct SCommandHandler
{
    int32_t command;
    void (*apply)(const CNetPacket&);
};

constexpr SCommandHandler Handlers[] = {
    {CMultiplayerGame::CommandUnitDirection, OnUnitDirection},
    {CMultiplayerGame::CommandUnitHealth, OnUnitHealth},
    {CMultiplayerGame::CommandUnitDied, OnUnitDied},
    {CMultiplayerGame::CommandUnitHidden, OnUnitHidden},
    {CMultiplayerGame::CommandUnitAnimType, OnUnitAnimType},
    {CMultiplayerGame::CommandUnitStopAction, nullptr},
    {CMultiplayerGame::CommandUnitStop, OnUnitStop},
    {CMultiplayerGame::CommandBuildingHealth, OnBuildingHealth},
    {CMultiplayerGame::CommandBuildingRecord, OnBuildingRecord},
    {CMultiplayerGame::CommandBuildingDestroyed, OnBuildingDestroyed},
    {CMultiplayerGame::CommandBuildProgress, nullptr},
    {CMultiplayerGame::CommandResourceRemoved, nullptr},
    {CMultiplayerGame::CommandTechnologyResearched, nullptr},
    {CMultiplayerGame::CommandUnitAttacked, OnUnitAttacked},
    {CMultiplayerGame::CommandBuildingAttacked, OnBuildingAttacked},
    {CMultiplayerGame::CommandTowerArcherTarget, OnTowerArcherTarget},
    {CMultiplayerGame::CommandTowerArcherIdle, OnTowerArcherIdle},
    {CMultiplayerGame::CommandMagicCast, nullptr},
    {CMultiplayerGame::CommandResourceAmount, nullptr},
    {CMultiplayerGame::CommandCarriedGoods, nullptr},
    {CMultiplayerGame::CommandUnitProduced, nullptr},
    {CMultiplayerGame::CommandTowerArcherTrained, OnTowerArcherTrained},
    {CMultiplayerGame::CommandTrapActivated, OnTrapActivated},
    {CMultiplayerGame::CommandTrapDestroyed, nullptr},
    {CMultiplayerGame::CommandRequestMoveStep, OnRequestMoveStep},
    {CMultiplayerGame::CommandMoveStep, OnMoveStep},
    {CMultiplayerGame::CommandRequestWorkerLeave, nullptr},
    {CMultiplayerGame::CommandWorkerLeave, OnWorkerLeave},
    {CMultiplayerGame::CommandRequestHarvest, nullptr},
    {CMultiplayerGame::CommandRequestEnterBuilding, nullptr},
    {CMultiplayerGame::CommandBuildingExit, OnBuildingExit},
    {CMultiplayerGame::CommandRequestUnload, OnRequestUnload},
    {CMultiplayerGame::CommandUnitUnloaded, OnUnitUnloaded},
    {CMultiplayerGame::CommandUnloadRefused, OnUnloadRefused},
    {CMultiplayerGame::CommandRequestConvertUnit, nullptr},
    {CMultiplayerGame::CommandUnitConverted, OnUnitConverted},
    {CMultiplayerGame::CommandConvertBuilding, nullptr},
    {CMultiplayerGame::CommandBuildingConverted, OnBuildingConverted},
    {CMultiplayerGame::CommandRequestPlaceBuilding, nullptr},
};

const SCommandHandler* FindHandler(int32_t command)
{
    for (const SCommandHandler& handler : Handlers)
        if (handler.command == command)
            return &handler;
    return nullptr;
}
}  // namespace

void CMultiplayerGame::OnGamePacket(const uint8_t* bytes, size_t size)
{
    CNetPacket packet;
    if (!CNetPacket::FromBytes(bytes, size, packet))
    {
        Drop("#DEBUG: Network packet of the wrong size");
        return;
    }
    OnGamePacket(packet);
}

void CMultiplayerGame::OnGamePacket(const CNetPacket& packet)
{
    if (!IsNetworkGame())
    {
        Drop("#DEBUG: Network packet in a single player game");
        return;
    }
    // Every command comes from another machine of the game.
    if (packet.Sender() < 0 || packet.Sender() >= kMaxPlayers || packet.Sender() == g_LocalPlayer ||
        !IsPlayedByAMachine(packet.Sender()))
    {
        Drop("#DEBUG: Network packet from no other machine");
        return;
    }
    const SCommandHandler* handler = FindHandler(packet.Command());
    if (handler == nullptr)
        Drop("#DEBUG: Network packet of an unknown command");
    else if (handler->apply != nullptr)
        handler->apply(packet);
}
