#include "world/C_Player.h"

#include <vector>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t NoGroup = -1;
constexpr int32_t LastUniqueId = 0x7FFFF;
constexpr int32_t ResourceSiteCast = 10;
constexpr int32_t DecorationCast = 18;
constexpr int32_t GoldMineKind = 4;
constexpr int32_t WallCast = 9;
constexpr int32_t TrapCast = 12;
constexpr int32_t NotPlaced = -1;
constexpr uint8_t MostBlockCount = 255;

// A unit of the player, listed or in a tower, has that id.
bool HoldsUniqueId(const CPlayer& player, int32_t uniqueId)
{
    for (int32_t i = 0; i < player.unitCount; ++i)
        if (player.units[i]->uniqueId == uniqueId)
            return true;
    return player.FindTowerArcher(uniqueId) != nullptr;
}

// A count that is only ever raised stops at its top rather than wrapping.
void RaiseBlockCount(uint8_t* counts, int32_t x, int32_t y)
{
    uint8_t& count = counts[x * MapBlockSide + y];
    if (count < MostBlockCount)
        ++count;
}

// The group count a unit type raises when it is created and lowers when it
// is removed.  The heroes (30, 31, 33) join the foot soldiers and never leave
// them; saved games carry the counts as they come out of these rows.  A unit
// that joins by conversion (AddUnit) raises no group.
struct SUnitGroupRow
{
    int32_t unitType;
    int32_t raised;
    int32_t lowered;
};

constexpr SUnitGroupRow UnitGroups[] = {
    {1, GROUP_WORKERS, GROUP_WORKERS},
    {2, GROUP_FOOT_SOLDIERS, GROUP_FOOT_SOLDIERS},
    {10, GROUP_FOOT_SOLDIERS, GROUP_FOOT_SOLDIERS},
    {12, GROUP_FOOT_SOLDIERS, GROUP_FOOT_SOLDIERS},
    {30, GROUP_FOOT_SOLDIERS, NoGroup},
    {31, GROUP_FOOT_SOLDIERS, NoGroup},
    {33, GROUP_FOOT_SOLDIERS, NoGroup},
    {3, GROUP_ARCHERS, GROUP_ARCHERS},
    {9, GROUP_ARCHERS, GROUP_ARCHERS},
    {6, GROUP_CAVALRY, GROUP_CAVALRY},
    {13, GROUP_CAVALRY, GROUP_CAVALRY},
    {4, GROUP_CATAPULTS, GROUP_CATAPULTS},
    {5, GROUP_PRIESTS, GROUP_PRIESTS},
    {7, GROUP_SHIPS, GROUP_SHIPS},
    {11, GROUP_SHIPS, GROUP_SHIPS},
};

// Other types feed no group.
const SUnitGroupRow* GroupRowOf(int32_t unitType)
{
    for (const SUnitGroupRow& row : UnitGroups)
        if (row.unitType == unitType)
            return &row;
    return nullptr;
}

bool IsUnitType(int32_t unitType)
{
    return unitType >= 0 && unitType < UnitTypeCount;
}

bool IsBuildCast(int32_t cast)
{
    return cast >= 0 && cast < BuildCastCount;
}

bool CountsAsBuilt(int32_t cast)
{
    return cast != WallCast && cast != TrapCast;
}
} // namespace

void CPlayer::CountUnitIn(const CUnit& unit, bool created)
{
    const int32_t unitType = unit.GetCastID();
    const SUnitGroupRow* groups = GroupRowOf(unitType);
    if (created && groups != nullptr && groups->raised != NoGroup)
        ++groupCounts[groups->raised];
    if (IsUnitType(unitType))
        ++unitsByType[unitType];
    if (created)
        ++statistics[STAT_UNITS_CREATED];
    else
        ++unitsAdded;
    score += unit.GetPointValue();
}

void CPlayer::CountUnitOut(const CUnit& unit)
{
    const int32_t unitType = unit.GetCastID();
    const SUnitGroupRow* groups = GroupRowOf(unitType);
    // A convert that leaves again would take its group below zero, which no
    // saved game may hold: the count stops at zero.
    if (groups != nullptr && groups->lowered != NoGroup && groupCounts[groups->lowered] > 0)
        --groupCounts[groups->lowered];
    if (IsUnitType(unitType) && unitsByType[unitType] > 0)
        --unitsByType[unitType];
    ++statistics[STAT_UNITS_LOST];
    score -= unit.GetPointValue();
}

CUnit* CPlayer::CreateUnit(int32_t unitType, int32_t x, int32_t y)
{
    if (units == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Player has no unit list");
        return nullptr;
    }
    if (unitCount >= MaxPlayerUnits)
    {
        g_Log.Write("#DEBUG: Unitnum exceeds the limit");
        return nullptr;
    }
    CUnit* unit = UnitFactory(unitType);
    if (unit == nullptr)
        return nullptr;
    unit->x = x;
    unit->y = y;
    unit->player = index;
    CountUnitIn(*unit, true);
    unit->listIndex = unitCount;
    unit->uniqueId = NextUnitId(0);
    units[unitCount++] = unit;
    if (x != NotPlaced)
        GetPlayerServices().ShowUnit(*unit, true);
    return unit;
}

bool CPlayer::AddUnit(CUnit* unit)
{
    if (unit == nullptr || units == nullptr || unitCount >= MaxPlayerUnits || HasUnit(unit))
    {
        DEBUG_REPORT("#DEBUG: Unit cannot join the player's list");
        return false;
    }
    CountUnitIn(*unit, false);
    unit->listIndex = unitCount;
    units[unitCount++] = unit;
    script.OnUnitConverted(unit);
    return true;
}

void CPlayer::ClearAlertsOf(const CUnit* unit, const CBuilding* building)
{
    for (SAttackAlert& alert : alertGrid)
    {
        const bool unitInvolved =
            unit != nullptr && (alert.attackedUnit == unit || alert.attacker == unit);
        if (unitInvolved)
        {
            alert.attackedUnit = nullptr;
            alert.attacker = nullptr;
            alert.time = 0;
        }
        if (building != nullptr && alert.attackedBuilding == building)
        {
            alert.attackedBuilding = nullptr;
            alert.time = 0;
        }
    }
}

void CPlayer::LowerControlGroup(int32_t group)
{
    if (group < 1 || group > ControlGroupCount)
        return;
    int32_t& count = controlGroupCounts[group - 1];
    if (--count < 0)
    {
        DEBUG_REPORT("#DEBUG: Group unit count underrun");
        count = 0;
    }
}

bool CPlayer::RemoveUnit(CUnit* unit, uint8_t tellScript)
{
    if (unit == nullptr || units == nullptr || unit->listIndex < 0 || unit->listIndex >= unitCount ||
        units[unit->listIndex] != unit)
    {
        DEBUG_REPORT("#DEBUG: Unit is missing from player's list");
        return false;
    }
    ClearAlertsOf(unit, nullptr);
    CountUnitOut(*unit);
    if (type == PLAYER_COMPUTER)
        computerAI.OnUnitDied(unit);
    if (unit->scriptTag != 0 && tellScript)
        script.OnUnitDied(unit->scriptTag);
    const int32_t hole = unit->listIndex;
    unit->listIndex = -1;
    CUnit* last = units[--unitCount];
    units[unitCount] = nullptr;
    if (last != unit)
    {
        units[hole] = last;
        last->listIndex = hole;
    }
    LowerControlGroup(unit->controlGroup);
    return true;
}

int32_t CPlayer::NextUnitId(uint8_t peek)
{
    if (nextUniqueId == LastUniqueId)
    {
        DEBUG_REPORT("#DEBUG: Unit unique id overflow");
        nextUniqueId = -1;
    }
    // Past the end ids start again from 0, and a unit given one of them may
    // still live; another machine's packets may move the counter as well.
    // Every reference names a unit by its id, so a held one is passed over.
    int32_t id = nextUniqueId + 1;
    while (HoldsUniqueId(*this, id))
        id = id == LastUniqueId ? 0 : id + 1;
    if (!peek)
        nextUniqueId = id;
    return id;
}

bool CPlayer::HasUnit(const CUnit* unit) const
{
    for (int32_t i = 0; i < unitCount; ++i)
        if (units[i] == unit)
            return true;
    return false;
}

bool CPlayer::HasBuilding(const CBuilding* building) const
{
    for (int32_t i = 0; i < buildingCount; ++i)
        if (buildings[i] == building)
            return true;
    return false;
}

// The list is kept in every game, so that it never holds an archer that has
// left its tower.
void CPlayer::AddTowerArcher(CUnit* unit)
{
    if (unit != nullptr)
        towerArchers.Add(unit);
}

void CPlayer::RemoveTowerArcher(CUnit* unit)
{
    std::vector<CUnit*> kept;
    bool found = false;
    for (int32_t i = 0; i < towerArchers.GetCount(); ++i)
    {
        if (!found && towerArchers[i] == unit)
            found = true;
        else
            kept.push_back(towerArchers[i]);
    }
    if (!found)
    {
        DEBUG_REPORT("#DEBUG: Tower archer is missing from player's list");
        return;
    }
    towerArchers.Clear();
    for (CUnit* archer : kept)
        towerArchers.Add(archer);
}

CUnit* CPlayer::FindTowerArcher(int32_t uniqueId) const
{
    for (int32_t i = 0; i < towerArchers.GetCount(); ++i)
        if (towerArchers[i]->uniqueId == uniqueId)
            return towerArchers[i];
    return nullptr;
}

CBuilding* CPlayer::CreateBuilding(int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = BuildingFactory(cast, 0, 0, 0);
    if (building == nullptr)
        return nullptr;
    building->x = x;
    building->y = y;
    if (x != NotPlaced && y != NotPlaced && !GetPlayerServices().PlaceOnMap(*building))
    {
        // Nothing knows the refused building yet; it goes at once.
        g_PtrGarbage.AddBuilding(building);
        return nullptr;
    }
    return building;
}

// Only the footprint blocks that lie on the map are marked.
void CPlayer::MarkSiteBlocks(CBuilding& building)
{
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
        {
            const int32_t bx = building.x + dx;
            const int32_t by = building.y + dy;
            if (!g_GameMap.IsOnMap(bx, by))
                continue;
            SMapBlock& block = g_GameMap.Block(bx, by);
            block.building = &building;
            block.blocked = 1;
            block.decorationModel = NoDecoration;
            RaiseBlockCount(resourceSiteCounts, bx, by);
        }
    g_GameMap.AddMapObject(&building);
}

void CPlayer::MarkDecorationBlocks(CBuilding& building)
{
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
        {
            const int32_t bx = building.x + dx;
            const int32_t by = building.y + dy;
            if (!g_GameMap.IsOnMap(bx, by) || !building.IsFootprintCell(dx, dy))
                continue;
            SMapBlock& block = g_GameMap.Block(bx, by);
            block.building = &building;
            block.blocked = 1;
            block.decorationModel = NoDecoration;
        }
    const int32_t margin = building.GetMargin();
    for (int32_t bx = building.x - margin; bx < building.x + building.GetWidth() + margin; ++bx)
        for (int32_t by = building.y - margin; by < building.y + building.GetDepth() + margin; ++by)
            if (g_GameMap.IsOnMap(bx, by))
                RaiseBlockCount(decorationCounts, bx, by);
    g_GameMap.AddMapObject(&building);
}

CBuilding* CPlayer::CreateResource(int32_t resourceKind, int32_t x, int32_t y, int32_t amount, int32_t treeCast)
{
    CBuilding* site = BuildingFactory(ResourceSiteCast, resourceKind, treeCast, 0);
    if (site == nullptr)
        return nullptr;
    if (resourceKind == GoldMineKind)
        site->SetAmount(amount);
    site->x = x;
    site->y = y;
    if (x != NotPlaced && y != NotPlaced)
        MarkSiteBlocks(*site);
    return site;
}

CBuilding* CPlayer::CreateDecorationBuilding(int32_t decorationKind, int32_t x, int32_t y)
{
    CBuilding* decoration = BuildingFactory(DecorationCast, 0, 0, decorationKind);
    if (decoration == nullptr)
        return nullptr;
    decoration->x = x;
    decoration->y = y;
    if (x != NotPlaced && y != NotPlaced)
        MarkDecorationBlocks(*decoration);
    return decoration;
}

void CPlayer::OnBuildingPlaced(CBuilding* building)
{
    if (building != nullptr && IsBuildCast(building->GetBuildCast()))
        ++buildingsUnderConstruction[building->GetBuildCast()];
}

// A full list keeps the building counted but unlisted.
void CPlayer::AppendBuilding(CBuilding* building)
{
    if (buildings != nullptr && building->IsListed() && buildingCount < MaxPlayerBuildings)
        buildings[buildingCount++] = building;
}

void CPlayer::TellScriptBuilt(const CBuilding& building)
{
    const int32_t cast = building.GetBuildCast();
    const int32_t centreX = building.x + building.GetWidth() / 2;
    const int32_t centreY = building.y + building.GetDepth() / 2;
    script.OnBuildingBuilt(cast);
    script.OnBuildingInRange(cast, centreX, centreY);
    const int32_t region = g_GameMap.IsOnMap(centreX, centreY) ? std::as_const(g_GameMap).Block(centreX, centreY).regionId : NoRegion;
    script.OnBuildingInRegion(cast, region);
}

void CPlayer::OnBuildingFinished(CBuilding* building)
{
    if (building == nullptr)
        return;
    AppendBuilding(building);
    const int32_t cast = building->GetBuildCast();
    if (IsBuildCast(cast))
    {
        if (buildingsUnderConstruction[cast] > 0)
            --buildingsUnderConstruction[cast];
        ++finishedBuildings[cast];
    }
    if (CountsAsBuilt(cast))
        ++statistics[STAT_BUILDINGS_BUILT];
    score += building->GetPointValue();
    TellScriptBuilt(*building);
}

void CPlayer::AddBuilding(CBuilding* building)
{
    if (building == nullptr || HasBuilding(building))
        return;
    AppendBuilding(building);
    if (IsBuildCast(building->GetBuildCast()))
        ++finishedBuildings[building->GetBuildCast()];
    ++buildingsAdded;
    score += building->GetPointValue();
    script.OnBuildingConverted(building);
}

bool CPlayer::RemoveBuilding(CBuilding* building, uint8_t tellScript)
{
    if (building == nullptr)
        return false;
    const bool finished = building->IsFinished();
    if (building->IsListed() && finished)
    {
        int32_t found = -1;
        for (int32_t i = 0; i < buildingCount && found < 0; ++i)
            if (buildings[i] == building)
                found = i;
        if (found < 0)
        {
            DEBUG_REPORT("#DEBUG: Building is missing from player's list");
            return false;
        }
        buildings[found] = buildings[--buildingCount];
        buildings[buildingCount] = nullptr;
    }
    ClearAlertsOf(nullptr, building);
    const int32_t cast = building->GetBuildCast();
    if (IsBuildCast(cast))
    {
        int32_t& count = finished ? finishedBuildings[cast] : buildingsUnderConstruction[cast];
        if (count > 0)
            --count;
    }
    if (type == PLAYER_COMPUTER)
        computerAI.OnBuildingDestroyed(building);
    if (building->scriptTag != 0 && tellScript)
        script.OnBuildingDestroyed(building->scriptTag);
    if (CountsAsBuilt(cast))
        ++statistics[STAT_BUILDINGS_LOST];
    // Only a finished building has added its points to the score.
    if (finished)
        score -= building->GetPointValue();
    if (building->controlGroup >= 1 && building->controlGroup <= ControlGroupCount)
        controlGroupCounts[building->controlGroup - 1] = 0;
    return true;
}
