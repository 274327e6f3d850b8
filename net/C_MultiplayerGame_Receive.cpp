// The receiver of the game commands: another machine's news about the units
// and buildings it owns, the host's answers, and on the host the requests of
// the clients.  A packet is outside input, so every reference and value is
// checked before anything here changes; a packet that fails a check is
// dropped with a check report.

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

// The owner's machine decides about a building, the host about a neutral one.
bool DecidedBySender(const CBuilding& building, const CNetPacket& packet)
{
    return OfSender(building.owner >= 0 ? building.owner : CMultiplayer::HostSlot, packet);
}

// An attacker value: none, or a unit of the sender.  A dying attacker
// still counts for its player's credit but is handed on as none.
bool AttackerAt(const CNetPacket& packet, int i, CUnit** attacker, int32_t* attackerPlayer)
{
    *attacker = nullptr;
    *attackerPlayer = CUnit::NoAttackerPlayer;
    if (packet.Value(i) == CMultiplayer::NoRef)
        return true;
    CUnit* unit = AnyUnitAt(packet, i, true);
    if (unit == nullptr)
        return false;
    *attackerPlayer = unit->player;
    if (CUnit::IsActiveAttacker(unit))
        *attacker = unit;
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

void OnUnitDied(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit == nullptr || !IsFlag(packet.Value(1)))
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

void OnUnitAnimType(const CNetPacket& packet)
{
    CUnit* unit = UnitAt(packet, 0, true);
    if (unit == nullptr || !InRange(packet.Value(1), ANIM_STAND, ANIM_SPELL))
        return;
    CUnit* target = nullptr;
    CBuilding* building = nullptr;
    if (packet.Value(2) != CMultiplayer::NoRef && (target = UnitAt(packet, 2, false)) == nullptr)
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
    building->health = health;
    building->UpdateFireEmitters();
}

void OnBuildingRecord(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    if (building != nullptr && DecidedBySender(*building, packet) && InRange(packet.Value(1), 0, GlobalModelCount - 1))
        building->model = packet.Value(1);
}

void OnUnitAttacked(const CNetPacket& packet)
{
    CUnit* victim = UnitAt(packet, 0, false);
    CUnit* attacker = nullptr;
    int32_t attackerPlayer = CUnit::NoAttackerPlayer;
    if (victim == nullptr || !AttackerAt(packet, 1, &attacker, &attackerPlayer) || !IsHit(packet, 2))
        return;
    // What strikes back and who is alerted follows from the attacker, as
    // where the hit was struck.
    victim->ApplyHitFrom(attacker, attackerPlayer, packet.Value(2), static_cast<TENUMDAMAGETYPE>(packet.Value(3)),
                         attacker != nullptr);
}

void OnBuildingAttacked(const CNetPacket& packet)
{
    CBuilding* building = BuildingAt(packet, 0);
    CUnit* attacker = nullptr;
    int32_t attackerPlayer = CUnit::NoAttackerPlayer;
    if (building == nullptr || !AttackerAt(packet, 1, &attacker, &attackerPlayer) || !IsHit(packet, 2))
        return;
    building->ApplyDamage(attacker, packet.Value(2), static_cast<TENUMDAMAGETYPE>(packet.Value(3)), attacker != nullptr);
}

void OnTowerArcherTarget(const CNetPacket& packet)
{
    auto* archer = UnitOfType<CUnitTowerArcher>(packet, 0, UNIT_TOWERARCHER, true);
    CUnit* target = archer != nullptr ? UnitAt(packet, 1, false) : nullptr;
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
    else if (InRange(uniqueId, 0, CMultiplayer::kMostUniqueId))
        tower->AddArcher(uniqueId);
}

void OnTrapActivated(const CNetPacket& packet)
{
    if (!FromHost(packet))
        return;
    CBuilding* trap = BuildingAt(packet, 0);
    CUnit* unit = trap != nullptr ? UnitAt(packet, 1, false) : nullptr;
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

void OnMoveStep(const CNetPacket& packet)
{
    CUnit* unit = FromHost(packet) ? UnitAt(packet, 0, false) : nullptr;
    if (unit == nullptr || !FootprintOnMap(*unit, packet.Value(1), packet.Value(2)) ||
        !InRange(packet.Value(3), 0, LastFacing) || !InRange(packet.Value(4), 0, LastDirection) ||
        !InRange(packet.Value(5), CUnit::TileFree, CUnit::TileBlocked))
        return;
    unit->OnNetworkMoveResponse(packet.Value(1), packet.Value(2), packet.Value(3), packet.Value(5), packet.Value(4));
}

void OnWorkerLeave(const CNetPacket& packet)
{
    auto* worker = UnitOfType<CUnitWorker>(packet, 0, UNIT_WORKER, false);
    // The owner lets its worker out, or the host answers a client's request.
    if (worker == nullptr || (packet.Sender() != CMultiplayer::HostSlot && !OfSender(worker->player, packet)))
        return;
    if (FootprintOnMap(*worker, packet.Value(1), packet.Value(2)))
        worker->LeaveToStorage(packet.Value(1), packet.Value(2));
}

void OnBuildingExit(const CNetPacket& packet)
{
    CBuilding* building = FromHost(packet) ? BuildingAt(packet, 0) : nullptr;
    CUnit* unit = building != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit != nullptr)
        building->ReleaseUnit(unit, packet.Value(2), packet.Value(3));
}

void OnRequestUnload(const CNetPacket& packet)
{
    auto* ship = HereIsHost() ? UnitOfType<CUnitTransportShip>(packet, 0, UNIT_TRANSPORTSHIP, true) : nullptr;
    CUnit* unit = ship != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit != nullptr)
        ship->OnUnloadRequest(unit);
}

void OnUnitUnloaded(const CNetPacket& packet)
{
    auto* ship = FromHost(packet) ? UnitOfType<CUnitTransportShip>(packet, 0, UNIT_TRANSPORTSHIP, false) : nullptr;
    CUnit* unit = ship != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit != nullptr && FootprintOnMap(*unit, packet.Value(2), packet.Value(3)))
        ship->UnloadUnit(unit, packet.Value(2), packet.Value(3));
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

void OnUnitConverted(const CNetPacket& packet)
{
    CUnit* capturer = FromHost(packet) ? UnitAt(packet, 0, true) : nullptr;
    CUnit* unit = capturer != nullptr ? UnitAt(packet, 1, false) : nullptr;
    if (unit != nullptr && InRange(packet.Value(2), 0, CMultiplayer::kMostUniqueId))
        capturer->OnNetworkConvertUnit(unit, packet.Value(2));
}

void OnBuildingConverted(const CNetPacket& packet)
{
    CUnit* capturer = FromHost(packet) ? UnitAt(packet, 0, true) : nullptr;
    CBuilding* building = capturer != nullptr ? BuildingAt(packet, 1) : nullptr;
    if (building != nullptr)
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
    {CMultiplayerGame::CommandBuildingDestroyed, nullptr},
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
    if (packet.Sender() < 0 || packet.Sender() >= kMaxPlayers || packet.Sender() == g_LocalPlayer)
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
