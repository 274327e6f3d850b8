#include "tests/buildings/BuildingWorld.h"

#include <algorithm>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTrap.h"
#include "core/C_PtrGarbage.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

BuildingWorld::BuildingWorld(int32_t mapSide) : m_Harness(mapSide)
{
    SetPlayerServices(&m_Services);
}

// Everything the test made leaves through the take-down, so that nothing
// is left for the map to free after the players are gone.
BuildingWorld::~BuildingWorld()
{
    for (const STrackedBuilding& tracked : m_Tracked)
        tracked.building->TakeDown(false);
    Flush();
}

STrackedBuilding& BuildingWorld::Track(CBuilding* building, bool onMap, bool counted)
{
    m_Tracked.push_back({building, onMap, counted, false});
    return m_Tracked.back();
}

STrackedBuilding* BuildingWorld::Find(const CBuilding* building)
{
    for (STrackedBuilding& tracked : m_Tracked)
        if (tracked.building == building)
            return &tracked;
    return nullptr;
}

const STrackedBuilding* BuildingWorld::FindConst(const CBuilding* building) const
{
    for (const STrackedBuilding& tracked : m_Tracked)
        if (tracked.building == building)
            return &tracked;
    return nullptr;
}

void BuildingWorld::Forget(const CBuilding* building)
{
    m_Tracked.erase(std::remove_if(m_Tracked.begin(), m_Tracked.end(),
                                   [&](const STrackedBuilding& t) { return t.building == building; }),
                    m_Tracked.end());
}

void BuildingWorld::Flush()
{
    std::vector<const CBuilding*> gone;
    for (const STrackedBuilding& tracked : m_Tracked)
        if (tracked.building->IsTakenDown())
            gone.push_back(tracked.building);
    g_PtrGarbage.Flush();
    for (const CBuilding* building : gone)
        Forget(building);
}

std::vector<std::string> BuildingWorld::CheckInvariants() const
{
    std::vector<std::string> faults;
    CheckBlocks(faults);
    CheckFootprints(faults);
    CheckTiltMap(faults);
    CheckCounters(faults);
    return faults;
}

// Every block that names a building names one the test expects there, on
// a cell of its footprint.
void BuildingWorld::CheckBlocks(std::vector<std::string>& faults) const
{
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
        {
            const CBuilding* building = g_GameMap.Block(x, y).building;
            if (building == nullptr)
                continue;
            const STrackedBuilding* tracked = FindConst(building);
            const std::string where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
            if (tracked == nullptr || !tracked->onMap || building->IsTakenDown())
            {
                faults.push_back("block " + where + " holds a building that is not on the map");
                continue;
            }
            const int32_t dx = x - building->x;
            const int32_t dy = y - building->y;
            if (dx < 0 || dy < 0 || dx >= building->GetWidth() || dy >= building->GetDepth() ||
                !building->IsFootprintCell(dx, dy))
                faults.push_back("block " + where + " lies outside its building's footprint");
            // A finished trap lies in the ground until it springs: its block is walkable.
            const bool armedTrap = building->GetBuildCast() == CastTrap && building->IsFinished() &&
                                   building->model != CBuildingTrap::SprungModel;
            // A wall site blocks from its first stroke on; an open gate lets units through.
            const bool walkable = armedTrap || (building->GetBuildCast() == CastWall && !building->IsFinished()) ||
                                  building->IsGate();
            if (!g_GameMap.Block(x, y).blocked && !walkable)
                faults.push_back("block " + where + " holds a building but is not blocked");
        }
}

void BuildingWorld::CheckFootprints(std::vector<std::string>& faults) const
{
    for (const STrackedBuilding& tracked : m_Tracked)
    {
        if (!tracked.onMap || tracked.building->IsTakenDown())
            continue;
        const CBuilding& building = *tracked.building;
        for (int32_t dx = 0; dx < building.GetWidth(); ++dx)
            for (int32_t dy = 0; dy < building.GetDepth(); ++dy)
                if (building.IsFootprintCell(dx, dy) &&
                    g_GameMap.Block(building.x + dx, building.y + dy).building != &building)
                    faults.push_back(std::string(building.GetName()) + " misses a block of its footprint");
    }
}

// Each placed building adds 1 under its footprint grown by its border.
void BuildingWorld::CheckTiltMap(std::vector<std::string>& faults) const
{
    std::vector<int32_t> expected(MapBlockCount, 0);
    for (const STrackedBuilding& tracked : m_Tracked)
    {
        const CBuilding& building = *tracked.building;
        if (!tracked.onMap || !building.placed || building.IsTakenDown())
            continue;
        const int32_t border = building.GetFootprintBorder();
        for (int32_t x = building.x - border; x < building.x + building.GetWidth() + border; ++x)
            for (int32_t y = building.y - border; y < building.y + building.GetDepth() + border; ++y)
                if (g_GameMap.IsOnMap(x, y))
                    ++expected[x * MapBlockSide + y];
    }
    for (int32_t i = 0; i < MapBlockCount; ++i)
        if (g_GameMap.aiTiltMap[i] != expected[i])
        {
            faults.push_back("AI tilt map differs at block index " + std::to_string(i));
            return;
        }
}

void BuildingWorld::CheckCounters(std::vector<std::string>& faults) const
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const CPlayer& player = g_Players[p];
        int32_t listed = 0;
        for (int32_t cast = 0; cast < BuildCastCount; ++cast)
        {
            int32_t building = 0;
            int32_t finished = 0;
            for (const STrackedBuilding& tracked : m_Tracked)
            {
                if (!tracked.counted || tracked.building->IsTakenDown() || tracked.building->owner != p || tracked.building->GetBuildCast() != cast)
                    continue;
                ++(tracked.finished ? finished : building);
                if (tracked.finished && tracked.building->IsListed())
                    ++listed;
            }
            if (player.buildingsUnderConstruction[cast] != building)
                faults.push_back("player " + std::to_string(p) + " counts " +
                                 std::to_string(player.buildingsUnderConstruction[cast]) +
                                 " unfinished buildings of cast " + std::to_string(cast) + ", expected " +
                                 std::to_string(building));
            if (player.finishedBuildings[cast] != finished)
                faults.push_back("player " + std::to_string(p) + " counts " +
                                 std::to_string(player.finishedBuildings[cast]) +
                                 " finished buildings of cast " + std::to_string(cast) + ", expected " +
                                 std::to_string(finished));
        }
        if (player.buildingCount != listed)
            faults.push_back("player " + std::to_string(p) + " lists " + std::to_string(player.buildingCount) +
                             " buildings, expected " + std::to_string(listed));
    }
}
