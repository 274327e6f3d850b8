#include "world/C_Player.h"

#include <vector>

#include "buildings/C_Building.h"
#include "core/C_Localizer.h"
#include "core/GlobalFunc.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr uint32_t ComputerQuietInterval = 5000;
constexpr uint32_t QuietInterval = 60000;
constexpr uint32_t RecentAttackInterval = 60000;
constexpr int32_t AttackSample = 256;
constexpr int32_t FullVolume = 100;
constexpr uint32_t AlertColour = 0xFF0000;
constexpr uint32_t DefeatColour = 0x00FFFF;
constexpr int32_t HouseCast = 5;
constexpr int32_t WarehouseCast = 7;
constexpr int32_t WallCast = 9;

int32_t AlertCellOf(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= MapBlockSide || y >= MapBlockSide)
        return -1;
    return (x / AlertCellBlocks) * AlertCellsPerSide + y / AlertCellBlocks;
}

bool IsOutOfGame(int32_t playerType)
{
    return playerType == PLAYER_NONE || playerType == PLAYER_DEFEATED;
}

bool SurvivesDefeat(int32_t cast)
{
    return cast == HouseCast || cast == WarehouseCast || cast == WallCast;
}
} // namespace

bool CPlayer::IsFriendTo(int32_t playerIndex) const
{
    if (playerIndex < 0 || playerIndex >= MaxPlayers)
        return false;
    if (allied[playerIndex])
        return true;
    if (type == PLAYER_NONE || type == PLAYER_REMOTE || type == PLAYER_DEFEATED)
        return true;
    return g_Players != nullptr && IsOutOfGame(g_Players[playerIndex].type);
}

bool CPlayer::WasAttackedNear(int32_t x, int32_t y) const
{
    const int32_t cell = AlertCellOf(x, y);
    if (cell < 0 || alertGrid[cell].time == 0)
        return false;
    return SysClock::TicksBetween(alertGrid[cell].time, SysClock::TickCount()) <= RecentAttackInterval;
}

// Announces the attack unless the area had one within the quiet interval,
// then stamps the area and, at half the interval, its eight neighbours.
bool CPlayer::AlertCell(int32_t cell, const SAttackAlert& alert, CUnit* attacker, uint8_t tellAI, int32_t markX,
                        int32_t markY, const void* attacked)
{
    const uint32_t now = SysClock::TickCount();
    const uint32_t quiet = type == PLAYER_COMPUTER ? ComputerQuietInterval : QuietInterval;
    SAttackAlert& stored = alertGrid[cell];
    const bool announce = stored.time == 0 || SysClock::TicksBetween(stored.time, now) >= quiet;
    if (announce)
    {
        if (IsLocal() && (attacker == nullptr || attacker->player != g_LocalPlayer))
        {
            stored.attackedUnit = alert.attackedUnit;
            stored.attackedBuilding = alert.attackedBuilding;
            stored.attacker = attacker;
            const CPlayerServices& services = GetPlayerServices();
            services.PlaySample(AttackSample, FullVolume);
            ShowMessage("MSG_BEINGATTACKED", AlertColour);
            services.AddMinimapMarker(markX, markY, AlertColour);
        }
        if (tellAI && type == PLAYER_COMPUTER && attacker != nullptr && attacker->player != index)
            computerAI.OnBeingAttacked(attacked, attacker);
    }
    stored.time = now;
    const int32_t cellX = cell / AlertCellsPerSide;
    const int32_t cellY = cell % AlertCellsPerSide;
    const int32_t cellsWide = g_GameMap.GetWidth() / AlertCellBlocks;
    const int32_t cellsHigh = g_GameMap.GetHeight() / AlertCellBlocks;
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            const int32_t nx = cellX + dx;
            const int32_t ny = cellY + dy;
            if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= cellsWide || ny >= cellsHigh)
                continue;
            SAttackAlert& neighbour = alertGrid[nx * AlertCellsPerSide + ny];
            neighbour = stored;
            neighbour.time = now - quiet / 2;
        }
    return announce;
}

void CPlayer::AlertUnitAttacked(CUnit* unit, CUnit* attacker, uint8_t tellAI)
{
    if (unit == nullptr)
        return;
    const int32_t cell = AlertCellOf(unit->x, unit->y);
    if (cell < 0)
        return;
    const SAttackAlert alert{0, unit, nullptr, attacker};
    AlertCell(cell, alert, attacker, tellAI, unit->x, unit->y, unit);
}

void CPlayer::AlertBuildingAttacked(CBuilding* building, CUnit* attacker, uint8_t tellAI)
{
    if (building == nullptr)
        return;
    const int32_t centreX = building->x + building->GetWidth() / 2;
    const int32_t centreY = building->y + building->GetDepth() / 2;
    const int32_t cell = AlertCellOf(centreX, centreY);
    if (cell < 0)
        return;
    const SAttackAlert alert{0, nullptr, building, attacker};
    AlertCell(cell, alert, attacker, tellAI, centreX, centreY, building);
}

void CPlayer::OnUnitQueued(CUnit* unit)
{
    if (unit == nullptr)
        return;
    if (type == PLAYER_COMPUTER)
        computerAI.AddUnit(unit);
    script.OnUnitTrained(unit->GetCastID());
}

void CPlayer::OnAttackForAI(int32_t position)
{
    if (type == PLAYER_COMPUTER)
        computerAI.RecordAttackPosition(position);
}

void CPlayer::OnBuildingEventForAI(CBuilding* building)
{
    if (type == PLAYER_COMPUTER)
        computerAI.RemoveFromBuildQueue(building);
}

void CPlayer::OnUnitEventForAI(CUnit* unit)
{
    if (type == PLAYER_COMPUTER)
        computerAI.OnObjectDestroyed(unit);
}

void CPlayer::BroadcastToObjects(CUnit* enemy)
{
    if (type == PLAYER_REMOTE && GetPlayerServices().IsNetworkGame())
        return;
    // A dying unit still lies on the map, but takes up no fight: it would
    // stand up to it with no hit points and never finish dying.
    for (int32_t i = 0; i < unitCount; ++i)
        if (units[i]->onMap && !units[i]->IsDying())
            units[i]->onEnemySighted(enemy);
    for (int32_t i = 0; i < buildingCount; ++i)
        buildings[i]->onEnemySighted(enemy);
}

// Works on copies of the lists, because every removal moves the last entry
// into the hole; each object is still checked to be ours before it is
// touched.  Nothing of this counts as lost.
void CPlayer::DestroyEverything()
{
    const int32_t unitsLost = statistics[STAT_UNITS_LOST];
    const int32_t buildingsLost = statistics[STAT_BUILDINGS_LOST];
    const CPlayerServices& services = GetPlayerServices();
    const std::vector<CUnit*> unitsBefore(units, units + unitCount);
    for (CUnit* unit : unitsBefore)
    {
        if (!HasUnit(unit))
            continue;
        const int32_t unitType = unit->GetCastID();
        if (unitType >= 0 && unitType < UnitTypeCount && militaryTypes[unitType])
        {
            services.RemoveUnitFromWorld(*unit);
            continue;
        }
        services.StopUnit(*unit);
        if (unit->onMap)
            services.RestartAction(*unit);
    }
    const std::vector<CBuilding*> buildingsBefore(buildings, buildings + buildingCount);
    for (CBuilding* building : buildingsBefore)
        if (HasBuilding(building) && !SurvivesDefeat(building->GetBuildCast()))
            services.DestroyBuilding(*building);
    statistics[STAT_UNITS_LOST] = unitsLost;
    statistics[STAT_BUILDINGS_LOST] = buildingsLost;
}

void CPlayer::SetDefeated()
{
    if (type == PLAYER_DEFEATED)
        return;
    const CPlayerServices& services = GetPlayerServices();
    if (type == PLAYER_LOCAL)
    {
        script.Reset();
        if (services.IsNetworkGame() && IsLocal())
        {
            services.SendPlayerDefeated(index);
            DestroyEverything();
        }
    }
    else if (type == PLAYER_COMPUTER || type == PLAYER_REMOTE)
    {
        DestroyEverything();
        for (int32_t j = 0; j < MaxPlayers && g_Players != nullptr; ++j)
        {
            allied[j] = 1;
            if (index >= 0 && index < MaxPlayers)
                g_Players[j].allied[index] = 1;
        }
        const char* text = g_Localizer.GetString("MSG_PLAYERDEFEATED", false);
        services.AddMessage(GlobalFunc::ReplaceString(text != nullptr ? text : "", "%s", name.GetBuffer()),
                            DefeatColour);
        if (type == PLAYER_COMPUTER)
        {
            computerAI.DeleteAllBattlePlans();
            computerAI.FreeBattlePlans();
        }
        script.Reset();
    }
    type = PLAYER_DEFEATED;
}
