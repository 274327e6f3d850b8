#include "PlayerTestObjects.h"

#include <algorithm>

#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
bool IsIn(int32_t value, std::initializer_list<int32_t> values) { return std::ranges::count(values, value) > 0; }
const CRangeTable& SightOf(const TestUnit& unit) { return g_SightDiscs[unit.sightRadius - 1]; }

// Types the test factory knows: units 1 .. 13, 20 .. 22, 30 .. 35; buildings 1 .. 13, 15 and 18.
bool IsTestUnitType(int32_t type)
{
    return (type >= 1 && type <= 13) || (type >= 20 && type <= 22) || (type >= 30 && type <= 35);
}
} // namespace

TestUnit::TestUnit(int32_t unitType)
    : castId(unitType), military(!IsIn(unitType, {1, 5, 7, 33, 34})), canStarve(!IsIn(unitType, {4, 7, 11})),
      points(unitType) {}

TestBuilding::TestBuilding(int32_t buildCast, int32_t kind, int32_t decoration)
    : cast(buildCast), resourceKind(kind), decorationKind(decoration), scriptCounted(IsIn(buildCast, {2, 4})),
      points(2 * buildCast)
{
    // Resource sites (10) and decorations (18) are not listed.
    listed = cast != 10 && cast != 18;
    if (cast == 18) width = depth = 3, checkered = true;
}

TestPlayerServices::TestPlayerServices() { SetPlayerServices(this); }

TestPlayerServices::~TestPlayerServices()
{
    SetPlayerServices(nullptr);
    for (CBuilding* building : createdBuildings) delete building;
    for (CUnit* unit : removedUnits) delete unit;
}

CUnit* TestPlayerServices::CreateUnitObject(CPlayer& player, int32_t type) const
{
    if (!IsTestUnitType(type)) return nullptr;
    auto* unit = new TestUnit(type);
    unit->player = player.index;
    return unit;
}

CBuilding* TestPlayerServices::CreateBuildingObject(CPlayer& player, int32_t cast, int32_t resourceKind,
                                                    int32_t /*treeCast*/, int32_t decorationKind) const
{
    if (!((cast >= 1 && cast <= 13) || cast == 15 || cast == 18)) return nullptr;
    auto* building = new TestBuilding(cast, resourceKind, decorationKind);
    // Resource sites and decorations belong to nobody.
    const bool neutral = cast == 10 || cast == 18;
    building->owner = neutral ? -1 : player.index;
    // Probes are deleted by the player itself.
    if (player.factoryReady) createdBuildings.push_back(building);
    return building;
}

bool TestPlayerServices::PerformAction(CUnit& unit, int32_t phase) const
{
    auto& test = static_cast<TestUnit&>(unit);
    if (test.pendingActions[phase] <= 0) return false;
    --test.pendingActions[phase], ++test.performed[phase];
    return true;
}

void TestPlayerServices::ShowUnit(CUnit& unit, bool show) const
{
    auto& test = static_cast<TestUnit&>(unit);
    CPlayer& owner = g_Players[unit.player];
    if (show == bool(unit.onMap)) return;
    if (g_GameMap.IsOnMap(unit.x, unit.y))
    {
        SMapBlock& block = g_GameMap.Block(unit.x, unit.y);
        if (show) block.unit = &unit;
        else if (block.unit == &unit) block.unit = nullptr;
    }
    owner.AddUnitSight(unit.x, unit.y, SightOf(test), show ? 1 : -1);
    if (show) owner.ScanSightPattern(unit.x, unit.y, SightOf(test));
    unit.onMap = show ? 1 : 0;
}

void TestPlayerServices::RemoveUnitFromWorld(CUnit& unit) const
{
    ShowUnit(unit, false);
    g_Players[unit.player].RemoveUnit(&unit, 1), removedUnits.push_back(&unit);
}

bool TestPlayerServices::PlaceOnMap(CBuilding& building) const
{
    const bool inside = g_GameMap.IsOnMap(building.x, building.y) &&
                        g_GameMap.IsOnMap(building.x + building.GetWidth() - 1, building.y + building.GetDepth() - 1);
    if (!inside) return std::erase(createdBuildings, &building), false;
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
            g_GameMap.Block(building.x + dx, building.y + dy).building = &building;
    return true;
}

void TestPlayerServices::DestroyBuilding(CBuilding& building) const
{
    for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
        for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
            if (g_GameMap.IsOnMap(building.x + dx, building.y + dy) &&
                g_GameMap.Block(building.x + dx, building.y + dy).building == &building)
                g_GameMap.Block(building.x + dx, building.y + dy).building = nullptr;
    g_Players[building.owner].RemoveBuilding(&building, 1), destroyedBuildings.push_back(&building);
}
