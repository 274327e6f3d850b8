#include "net/C_UnitCommandOutbox.h"

#include "core/C_Config.h"
#include "world/C_Player.h"

CUnitCommandOutbox g_UnitCommandOutbox;

void CUnitCommandOutbox::SendUnitHealth(const CUnit* unit, float health)
{
    m_Sent.push_back({CommandUnitHealth, unit, health});
}

void CUnitCommandOutbox::SendUnitDied(const CUnit* unit, bool tornApart)
{
    m_Sent.push_back({CommandUnitDied, unit, tornApart ? 1.0f : 0.0f});
}

void CUnitCommandOutbox::SendUnitStop(const CUnit* unit)
{
    m_Sent.push_back({CommandUnitStop, unit, 0.0f});
}

bool IsNetworkGame()
{
    return g_Config.networkRole != 0;
}

bool IsOwnedHere(int32_t playerIndex)
{
    return !IsNetworkGame() || playerIndex == g_LocalPlayer;
}
