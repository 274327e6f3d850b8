// The A* route search to a goal, and moving a goal to a free cell.

#include "world/C_PathFinder.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"

namespace
{
// Cells beyond the straight-line distance plus this many tenths per block
// of map width are not explored.
constexpr int32_t DistanceSlackPerMapBlock = 3;

int64_t BlocksToTenths(int32_t blocks)
{
    return int64_t(blocks) * CPathFinder::StraightStepCost;
}

// A goal given farther than this many blocks beyond the grid measures as if
// it lay this far: it is then farther from the start than any two blocks of
// the map are apart, however far it really lies, so every comparison of a
// search with its start distance comes out the same, and the sums stay small.
constexpr int32_t FarGoalReach = 4 * MapBlockSide;

// The start distance of a route search: measured to the goal as the caller
// gave it, before offsets, targets and the move to a free cell.  The start's
// priority, the closest distance to beat and the distance limit derive from
// it, so a goal moved nearer the start still leaves the search the room the
// given goal asked for.
int32_t StartDistance(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
{
    const int32_t x = std::clamp(goalX, -FarGoalReach, MapBlockSide + FarGoalReach);
    const int32_t y = std::clamp(goalY, -FarGoalReach, MapBlockSide + FarGoalReach);
    return GlobalFunc::Distance(startX, startY, x, y);
}
} // namespace

void CPathFinder::Init(int32_t owner, CUnit* self)
{
    m_Owner = owner;
    m_Self = self;
    m_AttackRange = 0;
    m_MinAttackRange = 0;
    if (self != nullptr)
    {
        // The range is base plus bonus; the minimum is the type's own.
        int32_t base = 0;
        int32_t bonus = 0;
        m_AttackRange = self->GetAttackRange(&base, &bonus);
        m_MinAttackRange = self->GetMinAttackRange();
    }
}

int32_t CPathFinder::FindPath(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t size,
                              int32_t moveLayer, int32_t nearDistance, int32_t acceptDistance, CUnit* targetUnit,
                              CBuilding* targetBuilding, int32_t offsetX, int32_t offsetY, Route& route, SPoint& end)
{
    ++m_FinishedSearches;
    m_MoveLayer = moveLayer;
    m_Size = size;
    m_TargetUnit = targetUnit;
    m_TargetBuilding = targetBuilding;
    end = {startX, startY};
    if (!IsValidSize(size) || !IsInsideForSize(startX, startY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::FindPath -> start or size outside the map");
        CountFailure();
        return 0;
    }
    PlaceGoal(targetUnit, targetBuilding, goalX, goalY, offsetX, offsetY, nearDistance, acceptDistance, startX,
              startY);

    StartView();
    RecordRoute(startX, startY, 0, StartCost);
    m_NearLimit = BlocksToTenths(nearDistance);
    m_AcceptDistance = BlocksToTenths(acceptDistance);
    const int32_t startDistance = StartDistance(startX, startY, goalX, goalY);
    StartRouteHeap(startX, startY, startDistance);
    m_DistanceLimit = startDistance + DistanceSlackPerMapBlock * m_Map.GetWidth();
    const bool plain = m_Size == 1 && m_NearLimit == 0 && m_AcceptDistance == 0 && targetUnit == nullptr &&
                       targetBuilding == nullptr;
    const ESearchEnd searchEnd =
        plain ? RunPlainRouteSearch() : RunRouteSearchWith([this](const SStep& step) { return OfferRouteStep(step); });
    return FinishRoute(searchEnd, startX, startY, route, end);
}

// The goal of the search.  Without a target and without near and accept
// distances it is clamped into the map and moved to a free cell.  With
// them it stays where it was given, off the grid too: no cell is the goal
// then, and the search ends at the target, within a distance of the goal,
// or at the closest cell it reached.  A goal far beyond the grid lies where
// the start distance measures it.
void CPathFinder::PlaceGoal(CUnit* targetUnit, CBuilding* targetBuilding, int32_t goalX, int32_t goalY,
                            int32_t offsetX, int32_t offsetY, int32_t nearDistance, int32_t acceptDistance,
                            int32_t startX, int32_t startY)
{
    int64_t x = int64_t(goalX) + offsetX;
    int64_t y = int64_t(goalY) + offsetY;
    if (targetUnit != nullptr)
    {
        x = int64_t(targetUnit->GetSize() / 2) + targetUnit->x + offsetX;
        y = int64_t(targetUnit->GetSize() / 2) + targetUnit->y + offsetY;
    }
    else if (targetBuilding != nullptr)
    {
        x = int64_t(targetBuilding->GetWidth() / 2) + targetBuilding->x + offsetX;
        y = int64_t(targetBuilding->GetDepth() / 2) + targetBuilding->y + offsetY;
    }
    else if (nearDistance == 0 && acceptDistance == 0)
    {
        m_GoalX = int32_t(std::clamp<int64_t>(x, 0, m_Map.GetWidth() - m_Size));
        m_GoalY = int32_t(std::clamp<int64_t>(y, 0, m_Map.GetHeight() - m_Size));
        MoveGoalToFreeCell(startX, startY);
        return;
    }
    m_GoalX = int32_t(std::clamp<int64_t>(x, -FarGoalReach, MapBlockSide + FarGoalReach));
    m_GoalY = int32_t(std::clamp<int64_t>(y, -FarGoalReach, MapBlockSide + FarGoalReach));
}

bool CPathFinder::IsTargetOnFootprint(int32_t x, int32_t y) const
{
    if (m_TargetUnit == nullptr && m_TargetBuilding == nullptr)
        return false;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
        {
            const SMapBlock& block = BlockAt(cx, cy);
            if ((m_TargetUnit != nullptr && block.unit == m_TargetUnit) ||
                (m_TargetBuilding != nullptr && block.building == m_TargetBuilding))
                return true;
        }
    return false;
}

bool CPathFinder::AddSzomszed(const SStep& step)
{
    const int64_t g = step.fromCost + step.stepCost;
    if (g < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::AddSzomszed -> minvalue underrun");
    if (!IsInsideForSize(step.x, step.y))
        return false;
    // Without a target or an accept distance a footprint the mover may not
    // stand on is never taken whatever it costs: turn it away before the
    // costlier tests.  (With them, the goal tests below come first.)
    if (m_AcceptDistance == 0 && m_TargetUnit == nullptr && m_TargetBuilding == nullptr &&
        !ViewFootprintFree(step.x, step.y))
        return false;
    if (g >= RouteCostAt(step.x, step.y) || ViewCornerCut(step.fromX, step.fromY, step.direction))
        return false;
    RecordRoute(step.x, step.y, step.direction, g);

    const int32_t h = HeuristicToGoal(step.x, step.y);
    if (m_DistanceLimit != 0 && h > m_DistanceLimit)
        return false;
    if (m_NearLimit != 0 && h < m_NearLimit)
    {
        // Still too close: pass through without a goal test.
        if (ViewFootprintFree(step.x, step.y))
            InsertRouteNode(step.x, step.y, g + h);
        return false;
    }
    if ((m_AcceptDistance != 0 && h <= m_AcceptDistance) || IsTargetOnFootprint(step.x, step.y))
    {
        m_GoalX = step.fromX;
        m_GoalY = step.fromY;
        return true;
    }
    if (!ViewFootprintFree(step.x, step.y))
        return false;
    if (step.x == m_GoalX && step.y == m_GoalY)
        return true;
    UpdateBest(g, step.x, step.y, h);
    InsertRouteNode(step.x, step.y, g + h);
    return false;
}

void CPathFinder::MoveGoalToFreeCell(int32_t fromX, int32_t fromY)
{
    if (!IsValidSize(m_Size))
        return;
    m_GoalX = std::clamp(m_GoalX, 0, m_Map.GetWidth() - m_Size);
    m_GoalY = std::clamp(m_GoalY, 0, m_Map.GetHeight() - m_Size);
    StartView();
    if (ViewFootprintFree(m_GoalX, m_GoalY))
        return;

    // A search from the goal toward the from cell, which the goal fields
    // hold while it runs; the first free footprint becomes the goal.
    const int32_t searchFromX = m_GoalX;
    const int32_t searchFromY = m_GoalY;
    m_GoalX = std::clamp(fromX, 0, m_Map.GetWidth() - 1);
    m_GoalY = std::clamp(fromY, 0, m_Map.GetHeight() - 1);
    RecordRouteCost(searchFromX, searchFromY, StartCost);
    const int32_t distance = GlobalFunc::Distance(m_GoalX, m_GoalY, searchFromX, searchFromY);
    StartRouteHeap(searchFromX, searchFromY, distance);
    if (RunRouteSearchWith([this](const SStep& step) { return AddSzomszedInitEnd(step); }) != ESearchEnd::Found)
    {
        m_GoalX = m_BestX;
        m_GoalY = m_BestY;
    }
    NextRouteGeneration();
}

bool CPathFinder::AddSzomszedInitEnd(const SStep& step)
{
    const int64_t g = step.fromCost + step.stepCost;
    if (g < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::AddSzomszedInitEnd -> minvalue underrun");
    if (!IsInsideForSize(step.x, step.y) || g >= RouteCostAt(step.x, step.y))
        return false;
    if (ViewFootprintFree(step.x, step.y))
    {
        m_GoalX = step.x;
        m_GoalY = step.y;
        return true;
    }
    const int32_t h = GridDistance(step.x, step.y, m_GoalX, m_GoalY);
    RecordRouteCost(step.x, step.y, g);
    UpdateBest(g, step.x, step.y, h);
    InsertRouteNode(step.x, step.y, g + h);
    return false;
}
