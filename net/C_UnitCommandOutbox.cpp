#include "net/C_UnitCommandOutbox.h"

#include "core/C_Config.h"
#include "world/C_Player.h"

CUnitCommandOutbox g_UnitCommandOutbox;

namespace
{
constexpr int32_t HostSlot = 0;
}

void CUnitCommandOutbox::SendUnitDirection(const CUnit* unit, int32_t facing)
{
    m_Sent.push_back({.command = CommandUnitDirection, .unit = unit, .facing = facing});
}

void CUnitCommandOutbox::SendUnitHealth(const CUnit* unit, float health)
{
    m_Sent.push_back({.command = CommandUnitHealth, .unit = unit, .value = health});
}

void CUnitCommandOutbox::SendUnitDied(const CUnit* unit, bool tornApart)
{
    m_Sent.push_back({.command = CommandUnitDied, .unit = unit, .value = tornApart ? 1.0f : 0.0f});
}

void CUnitCommandOutbox::SendUnitHidden(const CUnit* unit)
{
    m_Sent.push_back({.command = CommandUnitHidden, .unit = unit});
}

void CUnitCommandOutbox::SendUnitHit(const CUnit* victim, const CUnit* attacker, int32_t amount, int32_t damageType)
{
    m_Sent.push_back({.command = CommandUnitHit,
                      .unit = victim,
                      .value = static_cast<float>(amount),
                      .other = attacker,
                      .kind = damageType});
}

void CUnitCommandOutbox::SendBuildingHealth(const CBuilding* building, float health)
{
    m_Sent.push_back({.command = CommandBuildingHealth, .value = health, .building = building});
}

void CUnitCommandOutbox::SendBuildingDestroyed(const CBuilding* building)
{
    m_Sent.push_back({.command = CommandBuildingDestroyed, .building = building});
}

void CUnitCommandOutbox::SendBuildingHit(const CBuilding* building, const CUnit* attacker, int32_t amount,
                                         int32_t damageType)
{
    m_Sent.push_back({.command = CommandBuildingHit,
                      .value = static_cast<float>(amount),
                      .other = attacker,
                      .kind = damageType,
                      .building = building});
}

void CUnitCommandOutbox::SendUnitStopAction(const CUnit* unit)
{
    m_Sent.push_back({.command = CommandUnitStopAction, .unit = unit});
}

void CUnitCommandOutbox::SendUnitStop(const CUnit* unit)
{
    m_Sent.push_back({.command = CommandUnitStop, .unit = unit});
}

void CUnitCommandOutbox::RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction)
{
    m_Sent.push_back({.command = CommandRequestMoveStep,
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
    m_Sent.push_back({.command = CommandMoveStep,
                      .unit = unit,
                      .x = x,
                      .y = y,
                      .facing = facing,
                      .direction = direction,
                      .result = result,
                      .receiver = receiver});
}

bool IsNetworkGame()
{
    return g_Config.networkRole != 0;
}

bool IsOwnedHere(int32_t playerIndex)
{
    return !IsNetworkGame() || playerIndex == g_LocalPlayer;
}
