#include "net/C_UnitCommandOutbox.h"

#include <cstddef>

#include "core/C_Config.h"
#include "world/C_Player.h"

CUnitCommandOutbox g_UnitCommandOutbox;

namespace
{
constexpr int32_t HostSlot = 0;
}

void CUnitCommandOutbox::Record(const SCommand& command)
{
    if (m_Sent.size() >= kMostSent)
        m_Sent.erase(m_Sent.begin(), m_Sent.begin() + static_cast<std::ptrdiff_t>(kMostSent / 2));
    m_Sent.push_back(command);
}

void CUnitCommandOutbox::SendUnitDirection(const CUnit* unit, int32_t facing)
{
    Record({.command = CommandUnitDirection, .unit = unit, .facing = facing});
}

void CUnitCommandOutbox::SendUnitAnimType(const CUnit* unit, int32_t animation, const CUnit* target,
                                          const CBuilding* targetBuilding)
{
    Record({.command = CommandUnitAnimType, .unit = unit, .other = target, .kind = animation, .building = targetBuilding});
}

void CUnitCommandOutbox::SendUnitHealth(const CUnit* unit, float health)
{
    Record({.command = CommandUnitHealth, .unit = unit, .value = health});
}

void CUnitCommandOutbox::SendUnitDied(const CUnit* unit, bool tornApart)
{
    Record({.command = CommandUnitDied, .unit = unit, .value = tornApart ? 1.0f : 0.0f});
}

void CUnitCommandOutbox::SendUnitHidden(const CUnit* unit)
{
    Record({.command = CommandUnitHidden, .unit = unit});
}

void CUnitCommandOutbox::SendUnitHit(const CUnit* victim, const CUnit* attacker, int32_t amount, int32_t damageType)
{
    Record({.command = CommandUnitHit,
                      .unit = victim,
                      .value = static_cast<float>(amount),
                      .other = attacker,
                      .kind = damageType});
}

void CUnitCommandOutbox::SendBuildingHealth(const CBuilding* building, float health)
{
    Record({.command = CommandBuildingHealth, .value = health, .building = building});
}

void CUnitCommandOutbox::SendBuildingDestroyed(const CBuilding* building)
{
    Record({.command = CommandBuildingDestroyed, .building = building});
}

void CUnitCommandOutbox::SendBuildingHit(const CBuilding* building, const CUnit* attacker, int32_t amount,
                                         int32_t damageType)
{
    Record({.command = CommandBuildingHit,
                      .value = static_cast<float>(amount),
                      .other = attacker,
                      .kind = damageType,
                      .building = building});
}

void CUnitCommandOutbox::SendUnitStopAction(const CUnit* unit)
{
    Record({.command = CommandUnitStopAction, .unit = unit});
}

void CUnitCommandOutbox::SendUnitStop(const CUnit* unit)
{
    Record({.command = CommandUnitStop, .unit = unit});
}

void CUnitCommandOutbox::RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction)
{
    Record({.command = CommandRequestMoveStep,
                      .unit = unit,
                      .x = x,
                      .y = y,
                      .facing = facing,
                      .direction = direction,
                      .receiver = HostSlot});
}

void CUnitCommandOutbox::SendMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction,
                                      int32_t result, int32_t receiver)
{
    Record({.command = CommandMoveStep,
                      .unit = unit,
                      .x = x,
                      .y = y,
                      .facing = facing,
                      .direction = direction,
                      .result = result,
                      .receiver = receiver});
}

void CUnitCommandOutbox::SendTrapActivated(const CBuilding* trap, const CUnit* unit)
{
    Record({.command = CommandTrapActivated, .unit = unit, .building = trap});
}

void CUnitCommandOutbox::SendTrapDestroyed(const CBuilding* trap, const CUnit* unit)
{
    Record({.command = CommandTrapDestroyed, .unit = unit, .building = trap});
}

void CUnitCommandOutbox::RequestConvertUnit(const CUnit* capturer, const CUnit* unit)
{
    Record({.command = CommandRequestConvertUnit, .unit = unit, .receiver = HostSlot, .other = capturer});
}

void CUnitCommandOutbox::RequestConvertBuilding(const CUnit* capturer, const CBuilding* building)
{
    Record({.command = CommandRequestConvertBuilding,
                      .receiver = HostSlot,
                      .other = capturer,
                      .building = building});
}

void CUnitCommandOutbox::SendUnitConverted(const CUnit* capturer, const CUnit* unit, int32_t newUniqueId)
{
    Record(
        {.command = CommandUnitConverted, .unit = unit, .other = capturer, .newUniqueId = newUniqueId});
}

void CUnitCommandOutbox::SendBuildingConverted(const CUnit* capturer, const CBuilding* building)
{
    Record({.command = CommandBuildingConverted, .other = capturer, .building = building});
}

void CUnitCommandOutbox::SendTechnologyResearched(int32_t playerIndex, int32_t technologyId)
{
    Record({.command = CommandTechnologyResearched, .player = playerIndex, .technology = technologyId});
}

void CUnitCommandOutbox::SendUnitProduced(const CBuilding* building, int32_t unitType, int32_t uniqueId)
{
    Record(
        {.command = CommandUnitProduced, .building = building, .unitType = unitType, .uniqueId = uniqueId});
}

void CUnitCommandOutbox::SendTowerArcherTrained(const CBuilding* building, int32_t uniqueId)
{
    Record({.command = CommandTowerArcherTrained, .building = building, .uniqueId = uniqueId});
}

// ---- Tower archers ----
void CUnitCommandOutbox::SendTowerArcherTarget(const CUnit* archer, const CUnit* target)
{
    Record({.command = CommandTowerArcherTarget, .unit = archer, .other = target});
}

void CUnitCommandOutbox::SendTowerArcherIdle(const CUnit* archer)
{
    Record({.command = CommandTowerArcherIdle, .unit = archer});
}

void CUnitCommandOutbox::RequestEnterBuilding(const CBuilding* building, const CUnit* unit)
{
    Record(
        {.command = CommandRequestEnterBuilding, .unit = unit, .receiver = HostSlot, .building = building});
}

void CUnitCommandOutbox::SendBuildingExit(const CBuilding* building, const CUnit* unit, int32_t x, int32_t y)
{
    Record({.command = CommandBuildingExit, .unit = unit, .x = x, .y = y, .building = building});
}

void CUnitCommandOutbox::RequestUnload(const CUnit* ship, const CUnit* carried)
{
    Record({.command = CommandRequestUnload, .unit = ship, .receiver = HostSlot, .other = carried});
}

void CUnitCommandOutbox::SendUnitUnloaded(const CUnit* ship, const CUnit* carried, int32_t x, int32_t y)
{
    Record({.command = CommandUnitUnloaded, .unit = ship, .x = x, .y = y, .other = carried});
}

void CUnitCommandOutbox::SendUnloadRefused(const CUnit* ship, const CUnit* carried, int32_t ownerSlot)
{
    Record({.command = CommandUnloadRefused, .unit = ship, .receiver = ownerSlot, .other = carried});
}

// ---- Building records and resource sites ----

void CUnitCommandOutbox::SendBuildingRecord(const CBuilding* building, int32_t model)
{
    Record({.command = CommandBuildingRecord, .building = building, .number = model});
}

void CUnitCommandOutbox::SendBuildProgress(const CBuilding* building, float progress)
{
    constexpr float MostProgress = 100.0f;
    Record({.command = CommandBuildProgress,
            .value = progress < MostProgress ? progress : MostProgress,
            .building = building});
}

void CUnitCommandOutbox::SendResourceRemoved(const CBuilding* site)
{
    Record({.command = CommandResourceRemoved, .building = site});
}

void CUnitCommandOutbox::SendResourceAmount(const CBuilding* site, int32_t amount)
{
    Record({.command = CommandResourceAmount, .building = site, .number = amount});
}

void CUnitCommandOutbox::SendMagicCast(const CUnit* caster, int32_t technologyId, int32_t blockX, int32_t blockY)
{
    Record({.command = CommandMagicCast, .unit = caster, .x = blockX, .y = blockY, .technology = technologyId});
}

// ---- Workers ----
void CUnitCommandOutbox::SendCarriedGoods(const CUnit* worker, int32_t kind, int32_t amount)
{
    Record({.command = CommandCarriedGoods, .unit = worker, .kind = kind, .number = amount});
}

void CUnitCommandOutbox::RequestWorker(const CUnit* worker)
{
    Record({.command = CommandRequestWorkerLeave, .unit = worker, .receiver = HostSlot});
}

void CUnitCommandOutbox::SendWorkerLeave(const CUnit* worker, int32_t x, int32_t y)
{
    Record({.command = CommandWorkerLeave, .unit = worker, .x = x, .y = y});
}

void CUnitCommandOutbox::RequestHarvest(const CUnit* worker, const CBuilding* site)
{
    Record({.command = CommandRequestHarvest, .unit = worker, .receiver = HostSlot, .building = site});
}

// ---- Founding a keep ----

void CUnitCommandOutbox::RequestPlaceBuilding(const CBuilding* building, int32_t playerIndex, int32_t cast, int32_t x,
                                              int32_t y)
{
    Record({.command = CommandRequestPlaceBuilding,
            .x = x,
            .y = y,
            .receiver = HostSlot,
            .kind = cast,
            .building = building,
            .player = playerIndex});
}

bool IsNetworkGame()
{
    return g_Config.networkRole != 0;
}

bool IsOwnedHere(int32_t playerIndex)
{
    return !IsNetworkGame() || playerIndex == g_LocalPlayer;
}
