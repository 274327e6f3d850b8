// Capture by contact: units and buildings of neutral and defeated players
// change to the side of a unit that touches them, in chains of whatever
// touches them in turn.  And the traps a unit steps on.

#include <algorithm>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTrap.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t LastUniqueId = 0x7FFFF;
constexpr uint32_t White = 0x00FFFFFF;
constexpr int32_t BloodDropCount = 100;
constexpr int32_t BloodSpread = 20;            // offsets (Random(20) - 10) / 15 blocks
constexpr float BloodSpreadDivisor = 15.0f;
constexpr int32_t BloodHeightRange = 20;
constexpr float BloodBaseHeight = 40.0f;
constexpr float BloodDropSize = 8.0f;
constexpr int32_t StainEvery = 10;
constexpr TENUMDAMAGETYPE TrapHitDamageType = DAMAGE_HARMLESS;

bool IsOwnedByTheCapturable(int32_t playerIndex)
{
    const CPlayer* owner = PlayerAt(playerIndex);
    return owner != nullptr && (owner->type == PLAYER_NONE || owner->type == PLAYER_DEFEATED);
}

bool IsCapturableUnitFor(int32_t capturingPlayer, const CUnit* unit)
{
    return unit != nullptr && unit->player != capturingPlayer && unit->IsAlive() && !unit->IsDying() &&
           unit->onMap && unit->CanBeCaptured() && IsOwnedByTheCapturable(unit->player);
}

bool IsCapturableBuildingFor(int32_t capturingPlayer, const CBuilding* building)
{
    return building != nullptr && building->owner >= 0 && building->owner != capturingPlayer &&
           building->IsAlive() && !building->IsTakenDown() && building->CanBeConverted() &&
           IsOwnedByTheCapturable(building->owner);
}

// The units and buildings on the toucher's contact ring that the capturing
// player may take, each once, in ring order.
void CollectCapturable(const CUnit& toucher, int32_t capturingPlayer, std::vector<CUnit*>& units,
                       std::vector<CBuilding*>& buildings)
{
    const int32_t size = toucher.GetSize();
    if (g_SquareBorders == nullptr || size < 0 || size >= SquareBorderCount)
        return;
    const CRangeTable& ring = g_SquareBorders[size];
    for (int32_t i = 0; i < ring.count; ++i)
    {
        const int32_t cellX = toucher.x + ring.entries[i].dx;
        const int32_t cellY = toucher.y + ring.entries[i].dy;
        if (!g_GameMap.IsOnMap(cellX, cellY))
            continue;
        const SMapBlock& block = std::as_const(g_GameMap).Block(cellX, cellY);
        if (IsCapturableUnitFor(capturingPlayer, block.unit) &&
            std::find(units.begin(), units.end(), block.unit) == units.end())
            units.push_back(block.unit);
        if (IsCapturableBuildingFor(capturingPlayer, block.building) &&
            std::find(buildings.begin(), buildings.end(), block.building) == buildings.end())
            buildings.push_back(block.building);
    }
}

bool StandsOnBlocks(const CUnit& unit)
{
    return unit.IsAlive() && !unit.IsDying() && unit.onMap && unit.IsFootprintRegistered();
}

bool IsHostOrAlone()
{
    return !IsNetworkGame() || g_Config.networkRole == CMultiplayer::RoleHost;
}
}  // namespace

bool CUnit::MayCaptureUnit(const CUnit& unit) const
{
    return StandsOnBlocks(*this) && IsCapturableUnitFor(player, &unit);
}

bool CUnit::MayCaptureBuilding(const CBuilding& building) const
{
    return StandsOnBlocks(*this) && IsCapturableBuildingFor(player, &building);
}

void CUnit::CaptureAdjacent()
{
    if (!StandsOnBlocks(*this) || PlayerAt(player) == nullptr)
        return;
    // Every machine moves every unit; only the owner's machine captures,
    // so that a capture is asked for and announced once.
    if (!IsOwnedHere(player))
        return;
    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    if (IsNetworkGame() && player != CMultiplayer::HostSlot)
    {
        CollectCapturable(*this, player, units, buildings);
        for (size_t i = 0; i < units.size() && i < size_t(MaxCaptureRequests); ++i)
            g_MultiplayerGame.RequestConvertUnit(this, units[i]);
        for (size_t i = 0; i < buildings.size() && i < size_t(MaxCaptureRequests); ++i)
            g_MultiplayerGame.SendConvertBuilding(this, buildings[i]);
        return;
    }
    // The chain is walked with a list of units still to look around from,
    // not by recursion: a long line of touching units is no deeper a call.
    // Each unit taken joins this unit's player, so none is taken twice.
    std::vector<CUnit*> lookFrom{this};
    while (!lookFrom.empty())
    {
        CUnit* toucher = lookFrom.back();
        lookFrom.pop_back();
        units.clear();
        buildings.clear();
        CollectCapturable(*toucher, player, units, buildings);
        for (CUnit* unit : units)
        {
            // The other machines know the unit by its old owner and id: it is
            // announced before it changes sides, with the id it will take.
            if (IsNetworkGame())
                g_MultiplayerGame.SendUnitConverted(this, unit, g_Players[player].NextUnitId(1));
            if (!unit->ConvertToPlayer(player, true))
                continue;
            // A new id in single player too: the old owner's id may be one
            // this player's units hold already.
            unit->uniqueId = g_Players[player].NextUnitId(0);
            lookFrom.push_back(unit);
        }
        for (CBuilding* building : buildings)
            if (building->ConvertToPlayer(player, true) && IsNetworkGame())
                g_MultiplayerGame.SendBuildingConverted(this, building);
    }
}

void CUnit::OnNetworkConvertUnit(CUnit* unit, int32_t newUniqueId)
{
    if (unit == nullptr || unit == this || PlayerAt(player) == nullptr || newUniqueId < 0 ||
        newUniqueId > LastUniqueId)
    {
        DEBUG_REPORT("#DEBUG: Invalid unit conversion event");
        return;
    }
    if (!unit->ConvertToPlayer(player, true))
        return;
    unit->uniqueId = newUniqueId;
    if (IsOwnedHere(player))
        unit->CaptureAdjacent();
}

void CUnit::OnNetworkConvertBuilding(CBuilding* building)
{
    if (building == nullptr || PlayerAt(player) == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Invalid building conversion event");
        return;
    }
    building->ConvertToPlayer(player, true);
}

bool CUnit::CheckTrapUnderfoot()
{
    if (!IsHostOrAlone())
        return false;
    if (!StandsOnBlocks(*this))
        return false;
    const int32_t size = GetSize();
    for (int32_t cellX = x; cellX < x + size; ++cellX)
        for (int32_t cellY = y; cellY < y + size; ++cellY)
        {
            if (!g_GameMap.IsOnMap(cellX, cellY))
                continue;
            CBuilding* trap = std::as_const(g_GameMap).Block(cellX, cellY).building;
            // A sprung trap has done its work; it only waits for its end.
            if (trap == nullptr || trap->GetBuildCast() != CastTrap || trap->IsTakenDown() || !trap->IsAlive() ||
                trap->owner == player || trap->model == CBuildingTrap::SprungModel)
                continue;
            if (!IsHealable())
            {
                if (IsNetworkGame())
                    g_MultiplayerGame.SendTrapDestroyed(trap, this);
                trap->Destroy(false);
                if (player == g_LocalPlayer)
                {
                    const char* text = g_Localizer.GetString("MSG_TRAPDESTROYED", false);
                    GetPlayerServices().AddMessage(text != nullptr ? text : "", White);
                }
                continue;
            }
            if (!trap->IsFinished())
                continue;
            if (IsNetworkGame())
                g_MultiplayerGame.SendTrapActivated(trap, this);
            SpringTrap(trap);
            return true;
        }
    return false;
}

void CUnit::SpringTrap(CBuilding* trap)
{
    if (trap == nullptr)
        return;
    if (!trap->IsTakenDown())
    {
        trap->Spring();
        trap->SmashEffect();
    }
    // Only the owner's machine lets a unit die; the host tells it with the
    // trap's activation when the unit is another machine's.
    if (!IsOwnedHere(player) || !IsAlive() || IsDying())
        return;
    const bool hidden = !IsVisibleToLocalPlayer();
    for (int32_t i = 0; i < BloodDropCount; ++i)
    {
        const float dropX =
            centreX + static_cast<float>(GlobalFunc::Random(BloodSpread) - BloodSpread / 2) / BloodSpreadDivisor;
        const float dropY =
            centreY + static_cast<float>(GlobalFunc::Random(BloodSpread) - BloodSpread / 2) / BloodSpreadDivisor;
        const float height = g_GameMap.GetHeight(dropX, dropY) +
                             static_cast<float>(GlobalFunc::Random(BloodHeightRange)) + BloodBaseHeight;
        g_Particles.AddBlood(hidden, dropX, dropY, height, BloodDropSize, i % StainEvery == 0);
    }
    health = 0.0f;
    if (CPlayer* trapOwner = PlayerAt(trap->owner))
        ++trapOwner->statistics[STAT_UNITS_KILLED];
    PlayHitSound(TrapHitDamageType);
    RemoveFromWorld(true);
}
