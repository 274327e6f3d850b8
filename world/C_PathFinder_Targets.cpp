// The breadth-first searches for the workers, the king and the ships: the
// nearest resource, storage, keep, building site, unloading coast and free
// cell.  They spread in rings of steps (straight neighbours first), so the
// first match found is one of the fewest steps away.

#include "world/C_PathFinder.h"

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"

namespace
{
int64_t CostLimitOf(int32_t stepLimit)
{
    return stepLimit == 0 ? 0 : int64_t(stepLimit) * CPathFinder::StraightStepCost;
}
} // namespace

int32_t CPathFinder::RunBuildingSearch(int32_t startX, int32_t startY, int32_t stepLimit, Expansion expand,
                                       Route& route, SPoint& end)
{
    ++m_FinishedSearches;
    m_Size = 1;
    m_MoveLayer = LayerLand;
    m_TargetBuilding = nullptr;
    end = {startX, startY};
    if (!IsValidSize(m_Size) || !IsInsideForSize(startX, startY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::RunBuildingSearch -> start outside the map");
        CountFailure();
        return 0;
    }
    StartSearch(startX, startY);
    ResetQueue(startX, startY);
    m_CostLimit = CostLimitOf(stepLimit);
    if (RunQueueSearch(expand) != ESearchEnd::Found)
    {
        CountFailure();
        m_TargetBuilding = nullptr;
        NextGeneration();
        return 0;
    }
    const int32_t steps = WriteRoute(startX, startY, route, end);
    NextGeneration();
    return steps;
}

int32_t CPathFinder::FindResource(int32_t startX, int32_t startY, int32_t resourceKind, int32_t exploredOnly,
                                  int32_t stepLimit, Route& route, SPoint& end)
{
    m_ResourceKind = resourceKind;
    m_ExploredOnly = exploredOnly;
    return RunBuildingSearch(startX, startY, stepLimit, &CPathFinder::AddSzomszedResource, route, end);
}

int32_t CPathFinder::FindStorage(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, 0, &CPathFinder::AddSzomszedStorage, route, end);
}

int32_t CPathFinder::FindGarrisonKeep(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, 0, &CPathFinder::AddSzomszedGarrisonKeep, route, end);
}

int32_t CPathFinder::FindBuildSite(int32_t startX, int32_t startY, int32_t stepLimit, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, stepLimit, &CPathFinder::AddSzomszedBDToBuild, route, end);
}

// The tests every size-1 expansion makes before it looks at the cell.
bool CPathFinder::OffersCell(const SStep& step, const char* underrunReport)
{
    const int64_t g = step.fromCost + step.stepCost;
    if (g < StartCost)
        DEBUG_REPORT(underrunReport);
    return (m_CostLimit == 0 || g < m_CostLimit) && m_Map.IsOnMap(step.x, step.y) && g < CostAt(step.x, step.y) &&
           !IsCornerCut(step.fromX, step.fromY, step.direction);
}

// The wanted building ends the search beside it; a passable cell is queued.
bool CPathFinder::TakeBuildingOrQueue(const SStep& step, bool wanted)
{
    if (wanted)
    {
        m_GoalX = step.fromX;
        m_GoalY = step.fromY;
        m_TargetBuilding = BlockAt(step.x, step.y).building;
        return true;
    }
    if (IsCellPassable(step.x, step.y))
    {
        Record(step.x, step.y, step.fromX, step.fromY, step.direction, step.fromCost + step.stepCost);
        Enqueue(step.x, step.y);
    }
    return false;
}

bool CPathFinder::IsOwnLivingBuilding(const CBuilding& building) const
{
    return building.IsAlive() && building.owner == m_Owner;
}

bool CPathFinder::AddSzomszedResource(const SStep& step)
{
    if (!OffersCell(step, "#DEBUG: CPathFinder::AddSzomszedResource -> minvalue underrun"))
        return false;
    if (m_ExploredOnly != 0 && m_Players->GetVisibility(m_Owner, step.x, step.y) == 0)
        return false;
    const CBuilding* building = BlockAt(step.x, step.y).building;
    return TakeBuildingOrQueue(step, building != nullptr && building->GetBuildCast() == ResourceSiteCast &&
                                         building->GetResourceKind() == m_ResourceKind);
}

bool CPathFinder::AddSzomszedStorage(const SStep& step)
{
    if (!OffersCell(step, "#DEBUG: CPathFinder::AddSzomszedStorage -> minvalue underrun"))
        return false;
    const CBuilding* building = BlockAt(step.x, step.y).building;
    return TakeBuildingOrQueue(step, building != nullptr && IsOwnLivingBuilding(*building) && building->IsStorage());
}

bool CPathFinder::AddSzomszedGarrisonKeep(const SStep& step)
{
    if (!OffersCell(step, "#DEBUG: CPathFinder::AddSzomszedGarrisonKeep -> minvalue underrun"))
        return false;
    const CBuilding* building = BlockAt(step.x, step.y).building;
    return TakeBuildingOrQueue(step, building != nullptr && IsOwnLivingBuilding(*building) &&
                                         building->GetBuildCast() == KeepCast &&
                                         building->garrisonedUnit == nullptr);
}

bool CPathFinder::AddSzomszedBDToBuild(const SStep& step)
{
    if (!OffersCell(step, "#DEBUG: CPathFinder::AddSzomszedBDToBuild -> minvalue underrun"))
        return false;
    const SMapBlock& block = BlockAt(step.x, step.y);
    const CBuilding* building = block.building;
    return TakeBuildingOrQueue(step, building != nullptr && IsOwnLivingBuilding(*building) &&
                                         building->buildProgress != CBuilding::FinishedProgress &&
                                         block.unit == nullptr);
}

// ---- Ships --------------------------------------------------------------------

int32_t CPathFinder::FindCoastToUngarrison(int32_t startX, int32_t startY, int32_t size, int32_t stepLimit,
                                           Route& route, SPoint& end)
{
    ++m_FinishedSearches;
    m_Size = size;
    m_MoveLayer = LayerWater;
    end = {startX, startY};
    if (!IsValidSize(size) || !IsInsideForSize(startX, startY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::FindCoastToUngarrison -> start outside the map");
        CountFailure();
        return 0;
    }
    StartSearch(startX, startY);
    ResetQueue(startX, startY);
    m_CostLimit = CostLimitOf(stepLimit);
    if (RunQueueSearch(&CPathFinder::AddSzomszedUngarrisonCoast) != ESearchEnd::Found)
    {
        CountFailure();
        NextGeneration();
        return 0;
    }
    const int32_t steps = WriteRoute(startX, startY, route, end);
    NextGeneration();
    return steps;
}

bool CPathFinder::AddSzomszedUngarrisonCoast(const SStep& step)
{
    const int64_t g = step.fromCost + step.stepCost;
    if (g < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::AddSzomszedUngarrisonCoast -> minvalue underrun");
    if ((m_CostLimit != 0 && g >= m_CostLimit) || !IsInsideForSize(step.x, step.y) ||
        g >= CostAt(step.x, step.y) || IsCornerCut(step.fromX, step.fromY, step.direction))
        return false;
    if (IsFootprintFree(step.x, step.y))
    {
        Record(step.x, step.y, step.fromX, step.fromY, step.direction, g);
        Enqueue(step.x, step.y);
        return false;
    }
    if (!HasFreeLandCell(step.x, step.y))
        return false;
    // The ship stays at its last water position.
    m_GoalX = step.fromX;
    m_GoalY = step.fromY;
    return true;
}

int32_t CPathFinder::FindUngarrisonPos(int32_t startX, int32_t startY, int32_t size, int32_t stepLimit, SPoint& end)
{
    ++m_FinishedSearches;
    m_Size = size;
    m_MoveLayer = LayerLand;
    end = {startX, startY};
    if (!IsValidSize(size) || !IsInsideForSize(startX, startY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::FindUngarrisonPos -> start outside the map");
        CountFailure();
        return 0;
    }
    StartSearch(startX, startY);
    ResetQueue(startX, startY);
    m_CostLimit = CostLimitOf(stepLimit);
    const bool found = RunQueueSearch(&CPathFinder::AddSzomszedUngarrUnitPos) == ESearchEnd::Found;
    if (found)
        end = {m_GoalX, m_GoalY};
    else
        CountFailure();
    NextGeneration();
    return found ? 1 : 0;
}

bool CPathFinder::AddSzomszedUngarrUnitPos(const SStep& step)
{
    const int64_t g = step.fromCost + step.stepCost;
    if (g < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::AddSzomszedUngarrUnitPos -> minvalue underrun");
    if ((m_CostLimit != 0 && g >= m_CostLimit) || !IsInsideForSize(step.x, step.y) ||
        g >= CostAt(step.x, step.y) || IsCornerCut(step.fromX, step.fromY, step.direction))
        return false;

    enum class EVerdict { Free, Waypoint, DeadEnd };
    EVerdict verdict = EVerdict::Free;
    int32_t freeCells = 0;
    for (int32_t cx = step.x; cx < step.x + m_Size && verdict == EVerdict::Free; ++cx)
        for (int32_t cy = step.y; cy < step.y + m_Size; ++cy)
        {
            const SMapBlock& block = BlockAt(cx, cy);
            const bool foreignUnit = block.unit != nullptr && block.unit->player != m_Owner;
            if (m_Self != nullptr && block.unit == m_Self)
                verdict = EVerdict::Waypoint;
            else if (block.blocked || block.waterLevel > ShoreWaterLevel || foreignUnit)
                verdict = freeCells == 0 ? EVerdict::DeadEnd : EVerdict::Waypoint;
            else if (block.unit != nullptr)
                verdict = EVerdict::Waypoint;
            else
            {
                ++freeCells;
                continue;
            }
            break;
        }

    if (verdict == EVerdict::Free)
    {
        m_GoalX = step.x;
        m_GoalY = step.y;
        return true;
    }
    if (verdict == EVerdict::Waypoint)
    {
        // Its cost is kept, so that no cheaper-or-equal step queues it again.
        RecordCost(step.x, step.y, g);
        Enqueue(step.x, step.y);
    }
    return false;
}
