#include "world/C_PlayerServices.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
const CPlayerServices DefaultServices;
const CPlayerServices* s_Services = &DefaultServices;
} // namespace

const CPlayerServices& GetPlayerServices()
{
    return *s_Services;
}

void SetPlayerServices(const CPlayerServices* services)
{
    s_Services = services != nullptr ? services : &DefaultServices;
}

CUnit* CPlayerServices::CreateUnitObject(CPlayer& player, int32_t type) const
{
    (void)type;
    if (player.factoryReady)
        DEBUG_REPORT("#DEBUG: Unknown unit type");
    return nullptr;
}

CBuilding* CPlayerServices::CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind,
                                                 int32_t treeCast, int32_t decorationKind) const
{
    (void)player;
    (void)cast;
    (void)resourceKind;
    (void)treeCast;
    (void)decorationKind;
    DEBUG_REPORT("#DEBUG: Unknown building type");
    return nullptr;
}

bool CPlayerServices::PerformAction(CUnit& unit, int32_t phase) const
{
    (void)unit;
    (void)phase;
    return false;
}

void CPlayerServices::ShowUnit(CUnit& unit, bool show) const
{
    if (g_GameMap.IsOnMap(unit.x, unit.y))
    {
        SMapBlock& block = g_GameMap.Block(unit.x, unit.y);
        if (show)
            block.unit = &unit;
        else if (block.unit == &unit)
            block.unit = nullptr;
    }
    unit.onMap = show ? 1 : 0;
}

void CPlayerServices::StopUnit(CUnit& unit) const
{
    if (unit.IsAlive())
        unit.currentCommand = 0;
}

void CPlayerServices::RestartAction(CUnit& unit) const
{
    (void)unit;
}

void CPlayerServices::RemoveUnitFromWorld(CUnit& unit) const
{
    if (unit.onMap)
        ShowUnit(unit, false);
    if (g_Players != nullptr && unit.player >= 0 && unit.player < MaxPlayers)
        g_Players[unit.player].RemoveUnit(&unit, 1);
    g_PtrGarbage.AddUnit(&unit);
}

void CPlayerServices::UpdateFogOnMove(CUnit& unit) const
{
    (void)unit;
}

void CPlayerServices::PlaceOnMap(CBuilding& building) const
{
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
            if (g_GameMap.IsOnMap(building.x + dx, building.y + dy))
                g_GameMap.Block(building.x + dx, building.y + dy).building = &building;
}

void CPlayerServices::DestroyBuilding(CBuilding& building) const
{
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
            if (g_GameMap.IsOnMap(building.x + dx, building.y + dy))
            {
                SMapBlock& block = g_GameMap.Block(building.x + dx, building.y + dy);
                if (block.building == &building)
                    block.building = nullptr;
            }
    if (g_Players != nullptr && building.owner >= 0 && building.owner < MaxPlayers)
        g_Players[building.owner].RemoveBuilding(&building, 1);
    g_PtrGarbage.AddBuilding(&building);
}

void CPlayerServices::RefreshArcherSight(CBuilding& building) const
{
    (void)building;
}

void CPlayerServices::AddMessage(const char* text, uint32_t colour) const
{
    (void)colour;
    g_Log.Write(text != nullptr ? text : "");
}

void CPlayerServices::AddMinimapMarker(int32_t x, int32_t y, uint32_t colour) const
{
    (void)x;
    (void)y;
    (void)colour;
}

void CPlayerServices::PlaySample(int32_t sample, int32_t volumePercent) const
{
    (void)sample;
    (void)volumePercent;
}

bool CPlayerServices::IsNetworkGame() const
{
    return false;
}

void CPlayerServices::SendPlayerDefeated(int32_t playerIndex) const
{
    (void)playerIndex;
}
