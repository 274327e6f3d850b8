#include "game/C_GameObjects.h"

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_ObjectLinks.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"

// ---- Taking a world apart --------------------------------------------------------

void CGameObjects::CollectWorld(SHeld& held)
{
    if (g_Players != nullptr)
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            const CPlayer& player = g_Players[p];
            for (int32_t i = 0; i < player.unitCount; ++i)
                held.units.insert(player.units[i]);
            for (int32_t i = 0; i < player.buildingCount; ++i)
                held.buildings.insert(player.buildings[i]);
            for (int32_t i = 0; i < player.towerArchers.GetCount(); ++i)
                held.units.insert(player.towerArchers[i]);
        }
    CollectMap(held);
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.TakeHeldObjects(corpses, ruins);
    held.units.insert(corpses.begin(), corpses.end());
    held.buildings.insert(ruins.begin(), ruins.end());
    held.buildings.erase(nullptr);
    for (CBuilding* building : held.buildings)
        for (CUnit* unit : OwnedUnits(*building))
            held.units.insert(unit);
    held.units.erase(nullptr);
    held.buildings.erase(nullptr);
}

std::vector<CUnit*> CGameObjects::OwnedUnits(CBuilding& building)
{
    std::vector<CUnit*> owned = {building.productionUnit, building.garrisonedUnit};
    if (const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(&building))
        owned.insert(owned.end(), std::begin(tower->archers), std::end(tower->archers));
    return owned;
}

void CGameObjects::ForgetOwnedUnits(CBuilding& building)
{
    building.productionUnit = nullptr;
    building.garrisonedUnit = nullptr;
    if (CBuildingTower* tower = dynamic_cast<CBuildingTower*>(&building))
    {
        for (CUnit*& archer : tower->archers)
            archer = nullptr;
        tower->archerCount = 0;
    }
}

void CGameObjects::CollectMap(SHeld& onMap)
{
    for (int32_t x = 0; x < MapBlockSide; ++x)
        for (int32_t y = 0; y < MapBlockSide; ++y)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
            if (block.unit != nullptr)
                onMap.units.insert(block.unit);
            if (block.building != nullptr)
                onMap.buildings.insert(block.building);
        }
}

// A load that failed while the objects read their state leaves them in the
// table, and only the table knows them all.  The table tells an entry's kind
// only by answering for the right one, and complains about the other, so the
// complaints of this lookup are kept out of the log.
void CGameObjects::CollectTable(const CReferenceBase& table, SHeld& held)
{
    for (int32_t id = 0; id < table.GetCount(); ++id)
    {
        if (table.GetKind(id) == CReferenceBase::KindUnit)
            held.units.insert(table.GetUnit(id));
        else if (table.GetKind(id) == CReferenceBase::KindBuilding)
            held.buildings.insert(table.GetBuilding(id));
    }
}

void CGameObjects::DetachAll()
{
    g_Selection.Clear();
    g_Selection.unitUnderCursor = nullptr;
    g_GameMap.unitUnderCursor = nullptr;
    for (int32_t x = 0; x < MapBlockSide; ++x)
        for (int32_t y = 0; y < MapBlockSide; ++y)
        {
            SMapBlock& block = g_GameMap.Block(x, y);
            block.unit = nullptr;
            block.building = nullptr;
        }
    g_GameMap.ForgetMapObjects();
    if (g_Players != nullptr)
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            CPlayer& player = g_Players[p];
            for (int32_t i = 0; i < player.unitCount; ++i)
                player.units[i] = nullptr;
            player.unitCount = 0;
            for (int32_t i = 0; i < player.buildingCount; ++i)
                player.buildings[i] = nullptr;
            player.buildingCount = 0;
            player.towerArchers.Clear();
        }
    g_Particles.Reset();
}

void CGameObjects::FreeWorld(CReferenceBase& table)
{
    g_PtrGarbage.Flush();
    g_MultiplayerGame.ForgetPendingSteps();
    SHeld held;
    CollectWorld(held);
    CollectTable(table, held);
    table.Reset();
    DetachAll();
    // A building deletes the units it owns itself; here every unit is
    // deleted once on its own.
    for (CBuilding* building : held.buildings)
    {
        ForgetOwnedUnits(*building);
        delete building;
    }
    for (CUnit* unit : held.units)
        delete unit;
}

// ---- Checking a loaded world -----------------------------------------------------

const char* CGameObjects::CollectListed(SHeld& listed, std::unordered_set<CUnit*>& archerIndex)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& player = g_Players[p];
        for (int32_t i = 0; i < player.unitCount; ++i)
        {
            CUnit* unit = player.units[i];
            if (unit == nullptr || unit->player != p || unit->listIndex != i)
                return "a listed unit names another player or place";
            if (!listed.units.insert(unit).second)
                return "a unit is listed twice";
        }
        for (int32_t i = 0; i < player.buildingCount; ++i)
        {
            CBuilding* building = player.buildings[i];
            if (building == nullptr || building->owner != p)
                return "a listed building names another owner";
            if (!listed.buildings.insert(building).second)
                return "a building is listed twice";
        }
        for (int32_t i = 0; i < player.towerArchers.GetCount(); ++i)
        {
            CUnit* archer = player.towerArchers[i];
            if (archer == nullptr || archer->player != p)
                return "a tower archer names another player";
            archerIndex.insert(archer);
        }
    }
    return nullptr;
}

// A tower deletes its archers with itself, so none may be held by anything
// else, and every archer the players index must stand in a tower.
const char* CGameObjects::CollectTowerArchers(const SHeld& buildings, const SHeld& listed,
                                              std::unordered_set<CUnit*>& manned)
{
    for (CBuilding* building : buildings.buildings)
        if (const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(building))
            for (CUnit* archer : tower->archers)
                if (archer != nullptr && (listed.units.count(archer) != 0 || !manned.insert(archer).second))
                    return "a tower archer is held twice";
    return nullptr;
}

const char* CGameObjects::CheckParticles(const SHeld& listed, const SHeld& onMap)
{
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    for (CUnit* unit : corpses)
        if (listed.units.count(unit) != 0 || onMap.units.count(unit) != 0)
            return "a corpse holds a living unit";
    for (CBuilding* building : ruins)
        if (listed.buildings.count(building) != 0 || onMap.buildings.count(building) != 0)
            return "a ruin holds a standing building";
    return nullptr;
}

const char* CGameObjects::CheckSelection(const SHeld& listed, const SHeld& onMap)
{
    for (int32_t i = 0; i < g_Selection.unitCount; ++i)
        if (listed.units.count(g_Selection.units[i]) == 0)
            return "a selected unit belongs to no player";
    CBuilding* building = g_Selection.building;
    if (building != nullptr && listed.buildings.count(building) == 0 && onMap.buildings.count(building) == 0)
        return "the selected building is not in the game";
    return nullptr;
}

const char* CGameObjects::FindLoadFault(const CReferenceBase& table)
{
    if (g_Players == nullptr)
        return "there are no players";
    SHeld listed;
    std::unordered_set<CUnit*> archerIndex;
    if (const char* fault = CollectListed(listed, archerIndex))
        return fault;
    SHeld onMap;
    CollectMap(onMap);
    for (CUnit* unit : onMap.units)
        if (listed.units.count(unit) == 0)
            return "a unit on the map belongs to no player";
    if (const char* fault = CheckParticles(listed, onMap))
        return fault;
    if (const char* fault = CheckSelection(listed, onMap))
        return fault;

    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    SHeld all = listed;
    all.buildings.insert(onMap.buildings.begin(), onMap.buildings.end());
    all.buildings.insert(ruins.begin(), ruins.end());
    std::unordered_set<CUnit*> manned;
    if (const char* fault = CollectTowerArchers(all, listed, manned))
        return fault;
    for (CUnit* archer : archerIndex)
        if (manned.count(archer) == 0)
            return "a tower archer stands in no tower";
    for (CUnit* corpse : corpses)
        if (manned.count(corpse) != 0)
            return "a corpse holds a living unit";
    all.units.insert(corpses.begin(), corpses.end());
    all.units.insert(manned.begin(), manned.end());
    for (CUnit* unit : all.units)
        if (table.GetUnitRef(unit) == CReferenceBase::NoObject)
            return "a unit came from outside the saved game";
    for (CBuilding* building : all.buildings)
        if (table.GetBuildingRef(building) == CReferenceBase::NoObject)
            return "a building came from outside the saved game";
    if (static_cast<int32_t>(all.units.size() + all.buildings.size()) != table.GetCount())
        return "an object of the saved game belongs to nothing";
    return CObjectLinks().FindFault();
}
