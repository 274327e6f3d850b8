#include "tests/support/WorldInvariants.h"

#include <algorithm>
#include <cstring>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
using Faults = std::vector<std::string>;
using Live = WorldInvariants::LiveUnits;

std::string At(int32_t x, int32_t y) { return " at " + std::to_string(x) + "," + std::to_string(y); }
std::string OfPlayer(int32_t p) { return "player " + std::to_string(p); }

// The buildings the world holds: those that stand (in a player's list or on
// a block) and the ruins, which are deleted when they decay.
struct SBuildings
{
    SBuildings()
    {
        for (int32_t p = 0; p < MaxPlayers; ++p)
            standing.insert(g_Players[p].buildings, g_Players[p].buildings + g_Players[p].buildingCount);
        for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
                if (const CBuilding* building = std::as_const(g_GameMap).Block(x, y).building)
                    standing.insert(building);
        std::vector<CUnit*> corpses;
        std::vector<CBuilding*> held;
        g_Particles.GetHeldObjects(corpses, held), ruins.insert(held.begin(), held.end());
        for (const CBuilding* ruin : ruins) standing.erase(ruin);
    }

    std::set<const CBuilding*> standing, ruins;
};

void CheckPointer(const Live& live, const CUnit* held, const char* what, Faults& faults)
{
    if (held != nullptr && live.count(held) == 0) faults.push_back(std::string(what) + " is a dead pointer");
}

void CheckBuildingLink(const SBuildings& buildings, const CBuilding* held, const char* what, Faults& faults)
{
    if (held != nullptr && buildings.standing.count(held) == 0)
        faults.push_back(std::string(what) + (buildings.ruins.count(held) != 0 ? " is a ruin" : " is a dead pointer"));
}

void CheckMapCells(const Live& live, Faults& faults)
{
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
        {
            const CUnit* unit = std::as_const(g_GameMap).Block(x, y).unit;
            if (unit == nullptr) continue;
            if (live.count(unit) == 0)
            {
                faults.push_back("block holds a dead pointer" + At(x, y));
                continue;
            }
            const int32_t size = unit->GetSize();
            if (!unit->IsFootprintRegistered() || x < unit->x || y < unit->y || x >= unit->x + size ||
                y >= unit->y + size)
                faults.push_back("block holds a unit that does not stand there" + At(x, y));
        }
    for (const CUnit* unit : live)
        for (int32_t x = unit->x; unit->IsFootprintRegistered() && x < unit->x + unit->GetSize(); ++x)
            for (int32_t y = unit->y; y < unit->y + unit->GetSize(); ++y)
                if (!g_GameMap.IsOnMap(x, y) || std::as_const(g_GameMap).Block(x, y).unit != unit)
                    faults.push_back("unit's footprint block does not hold it" + At(x, y));
}

void CheckSightCounts(const Live& live, const SBuildings& buildings, Faults& faults)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        // Counts wrap as the player's own bytes do.
        std::vector<uint8_t> expected(MapBlockCount, 0);
        const auto count = [&expected](const CRangeTable* pattern, int32_t centreX, int32_t centreY) {
            for (int32_t i = 0; pattern != nullptr && i < pattern->count; ++i)
            {
                const int32_t x = centreX + pattern->entries[i].dx;
                const int32_t y = centreY + pattern->entries[i].dy;
                if (g_GameMap.IsOnMap(x, y)) ++expected[x * MapBlockSide + y];
            }
        };
        for (const CUnit* unit : live)
            if (unit->player == p && unit->IsFootprintRegistered())
                count(unit->SightPattern(unit->sightRadiusInUse), unit->GetCentreCellX(), unit->GetCentreCellY());
        // A tower's archers stand off the map and see from its middle.
        for (const CBuilding* building : buildings.standing)
            if (const auto* tower = dynamic_cast<const CBuildingTower*>(building); tower != nullptr && tower->owner == p)
                for (int32_t i = 0; i < tower->archerCount; ++i)
                    count(tower->archers[i]->SightPattern(tower->sightRange), tower->GetSightCentreX(),
                          tower->GetSightCentreY());
        const uint8_t* counted = g_Players[p].unitSightCounts;
        if (std::memcmp(counted, expected.data(), MapBlockCount) == 0) continue;
        const auto cell = int32_t(std::mismatch(expected.begin(), expected.end(), counted).first - expected.begin());
        faults.push_back(OfPlayer(p) + " sight count differs" + At(cell / MapBlockSide, cell % MapBlockSide));
    }
}

void CheckTypeCounts(const Live& live, Faults& faults)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& owner = g_Players[p];
        int32_t counted[UnitTypeCount] = {};
        for (int32_t i = 0; i < owner.unitCount; ++i)
        {
            const CUnit* unit = owner.units[i];
            if (live.count(unit) == 0) faults.push_back(OfPlayer(p) + " lists a dead pointer");
            else if (unit->listIndex != i || unit->player != p)
                faults.push_back(OfPlayer(p) + " lists a unit with a wrong index or owner");
            const int32_t type = unit->GetCastID();
            if (type >= 0 && type < UnitTypeCount) ++counted[type];
        }
        for (int32_t type = 0; type < UnitTypeCount; ++type)
            if (counted[type] != owner.unitsByType[type])
                faults.push_back(OfPlayer(p) + " counts type " + std::to_string(type) + " wrongly");
    }
}

// What buildings hold: a waiting unit is listed by the building's owner and stands on no block; a ruin
// holds none; a tower's archers are live; a research state names the standing building researching.
void CheckBuildingHolds(const Live& live, const SBuildings& buildings, Faults& faults)
{
    for (const std::set<const CBuilding*>* group : {&buildings.standing, &buildings.ruins})
        for (const CBuilding* building : *group)
        {
            const CUnit* waiting = building->productionUnit;
            if (const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(building))
                for (const CUnit* archer : tower->archers) CheckPointer(live, archer, "tower archer", faults);
            if (waiting == nullptr) continue;
            if (live.count(waiting) == 0) faults.push_back("production unit is a dead pointer");
            else if (group == &buildings.ruins) faults.push_back("a ruin holds a production unit");
            else if (building->owner < 0 || building->owner >= MaxPlayers ||
                     !g_Players[building->owner].HasUnit(waiting))
                faults.push_back("production unit is not listed by the building's owner");
            else if (waiting->onMap || waiting->IsFootprintRegistered())
                faults.push_back("production unit stands on the map");
        }
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (const CTechnology& technology : g_Players[p].technologies)
            if (const CBuilding* building = technology.researchingBuilding;
                building != nullptr && (buildings.standing.count(building) == 0 || building->research != &technology))
                faults.push_back(OfPlayer(p) + " researches in a building that does not research it");
}
// Every unit a player holds: its list, then the archers of its towers.
template <typename Visit>
void ForEachHeldUnit(Visit visit)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& owner = g_Players[p];
        std::for_each(owner.units, owner.units + owner.unitCount, visit);
        for (int32_t i = 0; i < owner.towerArchers.GetCount(); ++i) visit(owner.towerArchers[i]);
    }
}

std::string Named(const CUnit& unit)
{
    return "unit of " + OfPlayer(unit.player) + " with id " + std::to_string(unit.uniqueId) + " of type " +
           std::to_string(unit.GetCastID());
}

bool StandsOnMap(const CUnit& unit) { return unit.onMap || unit.IsFootprintRegistered(); }

// The path finder's shore level: a land unit walks up to it, a ship sails from it on.
constexpr int32_t ShoreWaterLevel = 7;

void CheckGround(const CUnit& unit, Faults& faults)
{
    if (!unit.IsFootprintRegistered() || unit.IsDying() || !unit.IsAlive()) return;
    const bool land = unit.GetMoveLayer() == 1;
    for (int32_t x = unit.x; x < unit.x + unit.GetSize(); ++x)
        for (int32_t y = unit.y; y < unit.y + unit.GetSize(); ++y)
        {
            const SMapBlock& block = std::as_const(g_GameMap).Block(x, y);
            if (block.building != nullptr && block.blocked)
                faults.push_back(Named(unit) + " stands on a building's solid block" + At(x, y));
            if (land ? block.waterLevel > ShoreWaterLevel : block.waterLevel < ShoreWaterLevel)
                faults.push_back(Named(unit) + (land ? " stands in deep water" : " stands on land") + At(x, y));
        }
}
}  // namespace

std::vector<std::string> WorldInvariants::CheckPlay()
{
    Faults faults;
    std::set<std::pair<int32_t, int32_t>> ids;
    ForEachHeldUnit([&](const CUnit* unit) {
        CheckGround(*unit, faults);
        if (unit->IsDying() && unit->animType != ANIM_DIE && unit->animType != ANIM_CORPSE)
            faults.push_back(Named(*unit) + " dies without playing its death");
        if (!unit->IsDying() && !ids.insert({unit->player, unit->uniqueId}).second)
            faults.push_back(OfPlayer(unit->player) + " holds two living units with id " +
                             std::to_string(unit->uniqueId));
        const auto* ship = dynamic_cast<const CUnitTransportShip*>(unit);
        for (int32_t i = 0; ship != nullptr && i < ship->GetCargoCount(); ++i)
            if (StandsOnMap(*ship->GetCargo(i)))
                faults.push_back("cargo " + Named(*ship->GetCargo(i)) + " stands on the map");
    });
    for (const CBuilding* building : SBuildings().standing)
    {
        for (int32_t dx = 0; building->IsOnMap() && dx < building->GetWidth(); ++dx)
            for (int32_t dy = 0; dy < building->GetDepth(); ++dy)
                if (building->IsFootprintCell(dx, dy) &&
                    std::as_const(g_GameMap).Block(building->x + dx, building->y + dy).building != building)
                    faults.push_back("a building of " + OfPlayer(building->owner) + " lost its block" +
                                     At(building->x + dx, building->y + dy));
        if (const CUnit* king = building->garrisonedUnit; king != nullptr && StandsOnMap(*king))
            faults.push_back("the king of the keep" + At(building->x, building->y) + " stands on the map");
        else if (king != nullptr && king->player != building->owner)
            faults.push_back("the king of " + OfPlayer(building->owner) + "'s keep is of " + OfPlayer(king->player));
    }
    return faults;
}

int32_t WorldInvariants::ForgetDeleted(LiveUnits& live)
{
    // A tower taken down without being destroyed deletes its archers with itself: an archer that no
    // standing tower and no player's list holds goes with this flush.
    std::set<const CUnit*> stationed;
    for (const CBuilding* building : SBuildings().standing)
        if (const auto* tower = dynamic_cast<const CBuildingTower*>(building))
            stationed.insert(tower->archers, tower->archers + CBuildingTower::ArcherCapacity);
    const auto leavesWithItsTower = [&stationed](const CUnit* unit) {
        return unit->GetCastID() == UNIT_TOWERARCHER && stationed.count(unit) == 0 && unit->player >= 0 &&
               unit->player < MaxPlayers && !g_Players[unit->player].HasUnit(unit);
    };
    int32_t deletedUnits = 0;
    for (auto it = live.begin(); it != live.end();)
    {
        const bool deleted = g_PtrGarbage.HoldsUnit(*it);
        deletedUnits += deleted ? 1 : 0;
        it = deleted || leavesWithItsTower(*it) ? live.erase(it) : std::next(it);
    }
    return deletedUnits;
}

// The players list every unit that lives, on the map or off it (waiting in a building, sheltered, carried), and
// index the towers' archers; the corpses lie apart.
void WorldInvariants::KeepHeld(LiveUnits& live)
{
    std::vector<CUnit*> corpses;
    std::vector<CBuilding*> ruins;
    g_Particles.GetHeldObjects(corpses, ruins);
    Live held(corpses.begin(), corpses.end());
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        held.insert(g_Players[p].units, g_Players[p].units + g_Players[p].unitCount);
        for (int32_t i = 0; i < g_Players[p].towerArchers.GetCount(); ++i) held.insert(g_Players[p].towerArchers[i]);
    }
    std::erase_if(live, [&held](const CUnit* unit) { return held.count(unit) == 0; });
}

std::vector<std::string> WorldInvariants::Check(const LiveUnits& live)
{
    const SBuildings buildings;
    Faults faults;
    CheckMapCells(live, faults);
    CheckSightCounts(live, buildings, faults);
    CheckTypeCounts(live, faults);
    for (const CUnit* unit : live)
    {
        CheckPointer(live, unit->targetUnit, "target unit", faults);
        CheckPointer(live, unit->actionTargetUnit, "action target unit", faults);
        CheckPointer(live, unit->attacker, "attacker", faults);
        CheckPointer(live, unit->followedUnit, "followed unit", faults);
        CheckBuildingLink(buildings, unit->targetBuilding, "target building", faults);
        CheckBuildingLink(buildings, unit->actionTargetBuilding, "action target building", faults);
        CheckBuildingLink(buildings, unit->targetObject, "target object", faults);
    }
    for (int32_t i = 0; i < g_Selection.unitCount; ++i)
        CheckPointer(live, g_Selection.units[i], "selected unit", faults);
    CheckBuildingHolds(live, buildings, faults);
    return faults;
}
