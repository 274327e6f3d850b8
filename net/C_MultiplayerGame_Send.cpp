// The game commands a machine sends about the units and buildings it owns,
// and the requests its units put to the host.

#include <algorithm>

#include "buildings/C_Building.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"

namespace
{
int32_t Ref(const CUnit* unit)
{
    return CMultiplayer::GetUnitRef(unit);
}

int32_t Ref(const CBuilding* building)
{
    return CMultiplayer::GetBuildingRef(building);
}

int32_t Flag(bool value)
{
    return value ? 1 : 0;
}
}  // namespace

void CMultiplayerGame::SendUnitDirection(const CUnit* unit, int32_t facing)
{
    Broadcast(CNetPacket::Make(CommandUnitDirection, Ref(unit), facing));
}

void CMultiplayerGame::SendUnitHealth(const CUnit* unit, float health)
{
    Broadcast(CNetPacket::Make(CommandUnitHealth, Ref(unit), CNetPacket::FromFloat(health)));
}

void CMultiplayerGame::SendUnitDied(const CUnit* unit, bool tornApart)
{
    Broadcast(CNetPacket::Make(CommandUnitDied, Ref(unit), Flag(tornApart)), "Unit died");
}

void CMultiplayerGame::SendUnitHidden(const CUnit* unit)
{
    Broadcast(CNetPacket::Make(CommandUnitHidden, Ref(unit)));
}

void CMultiplayerGame::SendUnitAnimType(const CUnit* unit, int32_t animation, const CUnit* target,
                                        const CBuilding* targetBuilding)
{
    if (unit == nullptr)
        return;
    Broadcast(CNetPacket::Make(CommandUnitAnimType, Ref(unit), animation, Ref(target), Ref(targetBuilding),
                               unit->targetX, unit->targetY, unit->targetKind, int32_t(unit->tornApart)));
}

void CMultiplayerGame::SendUnitStopAction(const CUnit* unit)
{
    Broadcast(CNetPacket::Make(CommandUnitStopAction, Ref(unit)), "Unit stop action");
}

void CMultiplayerGame::SendUnitStop(const CUnit* unit)
{
    Broadcast(CNetPacket::Make(CommandUnitStop, Ref(unit)));
}

void CMultiplayerGame::SendBuildingHealth(const CBuilding* building, float health)
{
    Broadcast(CNetPacket::Make(CommandBuildingHealth, Ref(building), CNetPacket::FromFloat(health)));
}

void CMultiplayerGame::SendBuildingRecord(const CBuilding* building, int32_t model)
{
    Broadcast(CNetPacket::Make(CommandBuildingRecord, Ref(building), model));
}

void CMultiplayerGame::SendBuildingDestroyed(const CBuilding* building)
{
    Broadcast(CNetPacket::Make(CommandBuildingDestroyed, Ref(building)));
}

void CMultiplayerGame::SendBuildProgress(const CBuilding* building, float progress)
{
    const float clamped = std::min(progress, CBuilding::FinishedProgress);
    Broadcast(CNetPacket::Make(CommandBuildProgress, Ref(building), CNetPacket::FromFloat(clamped)));
}

void CMultiplayerGame::SendResourceRemoved(const CBuilding* site)
{
    Broadcast(CNetPacket::Make(CommandResourceRemoved, Ref(site)));
}

void CMultiplayerGame::SendTechnologyResearched(int32_t playerIndex, int32_t technologyId)
{
    Broadcast(CNetPacket::Make(CommandTechnologyResearched, playerIndex, technologyId));
}

void CMultiplayerGame::SendUnitAttacked(const CUnit* victim, const CUnit* attacker, int32_t amount,
                                        int32_t damageType)
{
    Broadcast(CNetPacket::Make(CommandUnitAttacked, Ref(victim), Ref(attacker), amount, damageType));
}

void CMultiplayerGame::SendBuildingAttacked(const CBuilding* building, const CUnit* attacker, int32_t amount,
                                            int32_t damageType)
{
    Broadcast(CNetPacket::Make(CommandBuildingAttacked, Ref(building), Ref(attacker), amount, damageType));
}

void CMultiplayerGame::SendTowerArcherTarget(const CUnit* archer, const CUnit* target)
{
    Broadcast(CNetPacket::Make(CommandTowerArcherTarget, Ref(archer), Ref(target)), "Tower archer new target");
}

void CMultiplayerGame::SendTowerArcherIdle(const CUnit* archer)
{
    Broadcast(CNetPacket::Make(CommandTowerArcherIdle, Ref(archer)), "Tower archer idle");
}

void CMultiplayerGame::SendMagicCast(const CUnit* caster, int32_t technologyId, float x, float height, float y)
{
    Broadcast(CNetPacket::Make(CommandMagicCast, Ref(caster), technologyId, CNetPacket::FromFloat(x),
                               CNetPacket::FromFloat(height), CNetPacket::FromFloat(y)));
}

void CMultiplayerGame::SendResourceAmount(const CBuilding* site, int32_t amount)
{
    Broadcast(CNetPacket::Make(CommandResourceAmount, Ref(site), amount));
}

void CMultiplayerGame::SendCarriedGoods(const CUnit* worker, int32_t kind, int32_t amount)
{
    Broadcast(CNetPacket::Make(CommandCarriedGoods, Ref(worker), kind, amount));
}

void CMultiplayerGame::SendUnitProduced(const CBuilding* building, int32_t unitType, int32_t uniqueId)
{
    Broadcast(CNetPacket::Make(CommandUnitProduced, Ref(building), unitType, uniqueId));
}

void CMultiplayerGame::SendTowerArcherTrained(const CBuilding* building, int32_t uniqueId)
{
    Broadcast(CNetPacket::Make(CommandTowerArcherTrained, Ref(building), uniqueId));
}

void CMultiplayerGame::SendTrapActivated(const CBuilding* trap, const CUnit* unit)
{
    Broadcast(CNetPacket::Make(CommandTrapActivated, Ref(trap), Ref(unit)), "Trap activated");
}

void CMultiplayerGame::SendTrapDestroyed(const CBuilding* trap, const CUnit* unit)
{
    Broadcast(CNetPacket::Make(CommandTrapDestroyed, Ref(trap), Ref(unit)), "Trap destroyed");
}

void CMultiplayerGame::RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction)
{
    ToHost(CNetPacket::Make(CommandRequestMoveStep, Ref(unit), x, y, facing, direction));
}

void CMultiplayerGame::RequestWorker(const CUnit* worker)
{
    ToHost(CNetPacket::Make(CommandRequestWorkerLeave, Ref(worker)));
}

void CMultiplayerGame::SendWorkerLeave(const CUnit* worker, int32_t x, int32_t y)
{
    Broadcast(CNetPacket::Make(CommandWorkerLeave, Ref(worker), x, y));
}

void CMultiplayerGame::RequestHarvest(const CUnit* worker, const CBuilding* site)
{
    ToHost(CNetPacket::Make(CommandRequestHarvest, Ref(worker), Ref(site)));
}

void CMultiplayerGame::RequestEnterBuilding(const CBuilding* building, const CUnit* unit)
{
    ToHost(CNetPacket::Make(CommandRequestEnterBuilding, Ref(building), Ref(unit)));
}

void CMultiplayerGame::RequestUnload(const CUnit* ship, const CUnit* carried)
{
    ToHost(CNetPacket::Make(CommandRequestUnload, Ref(ship), Ref(carried)));
}

void CMultiplayerGame::RequestConvertUnit(const CUnit* capturer, const CUnit* unit)
{
    ToHost(CNetPacket::Make(CommandRequestConvertUnit, Ref(capturer), Ref(unit)));
}

void CMultiplayerGame::SendUnitConverted(const CUnit* capturer, const CUnit* unit, int32_t newUniqueId)
{
    Broadcast(CNetPacket::Make(CommandUnitConverted, Ref(capturer), Ref(unit), newUniqueId));
}

void CMultiplayerGame::SendConvertBuilding(const CUnit* capturer, const CBuilding* building)
{
    ToHost(CNetPacket::Make(CommandConvertBuilding, Ref(capturer), Ref(building)));
}

void CMultiplayerGame::SendBuildingConverted(const CUnit* capturer, const CBuilding* building)
{
    Broadcast(CNetPacket::Make(CommandBuildingConverted, Ref(capturer), Ref(building)));
}

void CMultiplayerGame::RequestPlaceBuilding(const CBuilding* building, int32_t playerIndex, int32_t cast, int32_t x,
                                            int32_t y)
{
    ToHost(CNetPacket::Make(CommandRequestPlaceBuilding, Ref(building), playerIndex, cast, x, y));
}
