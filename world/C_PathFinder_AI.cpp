// The computer opponent's searches: a place for a new building, the
// weighted route of its armies, and relocating both ends of a route.

#include "world/C_PathFinder.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"

namespace
{
// A step near an area attacked in the last minute costs this much more.
constexpr int32_t AttackedStepFactor = 10;
// Building sight counts weigh a quarter of unit sight counts as danger.
constexpr int32_t BuildingSightDivisor = 4;
// Weighted costs stop growing here: far below the 64-bit limit, so that
// adding a distance to them cannot overflow either.
constexpr int64_t CostCeiling = INT64_MAX / 4;

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum) || sum > CostCeiling)
        return CostCeiling;
    return sum;
}

int64_t SaturatingMultiply(int64_t a, int64_t b)
{
    int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product) || product > CostCeiling)
        return CostCeiling;
    return product;
}

// A weight that adds to a cost: forbidding weights add nothing themselves.
int64_t CostWeight(int64_t weight)
{
    return std::max<int64_t>(weight, 0);
}
} // namespace

// ---- Building place -----------------------------------------------------------

bool CPathFinder::FindBuildingPlace(int32_t startX, int32_t startY, CBuilding* probe, int32_t nearSteps,
                                    int32_t stepLimit, int32_t placement, SPoint& end)
{
    m_Size = 1;
    ++m_FinishedSearches;
    end = {startX, startY};
    if (probe == nullptr || !IsValidSize(m_Size) || !IsInsideForSize(startX, startY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::FindBuildingPlace -> no probe or start outside the map");
        CountFailure();
        return false;
    }
    m_IslandId = BlockAt(startX, startY).regionId;
    StartSearch(startX, startY);
    ResetQueue(startX, startY);
    m_CostLimit = stepLimit == 0 ? 0 : int64_t(stepLimit) * StraightStepCost;
    m_NearLimit = nearSteps == 0 ? 0 : int64_t(nearSteps) * StraightStepCost;
    m_TargetBuilding = probe;
    m_Placement = placement;
    const bool found = RunQueueSearch(&CPathFinder::SmartAI_AddSzomszedBuildingPlace) == ESearchEnd::Found;
    if (found)
        end = {m_GoalX, m_GoalY};
    else
        CountFailure();
    NextGeneration();
    return found;
}

bool CPathFinder::SmartAI_AddSzomszedBuildingPlace(const SStep& step)
{
    if (step.fromCost < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::SmartAI_AddSzomszedBuildingPlace -> minvalue underrun");
    if ((m_CostLimit != 0 && step.fromCost >= m_CostLimit) || !m_Map.IsOnMap(step.x, step.y))
        return false;
    int64_t stepCost = step.stepCost;
    bool penalised = false;
    if ((m_NearLimit == 0 || step.fromCost >= m_NearLimit) && m_Players->WasAttackedNear(m_Owner, step.x, step.y))
    {
        stepCost *= AttackedStepFactor;
        penalised = true;
    }
    const int64_t g = step.fromCost + stepCost;
    const SMapBlock& block = BlockAt(step.x, step.y);
    const CBuilding& probe = *m_TargetBuilding;
    const bool docks = probe.GetBuildCast() == DocksCast;
    if (!(g < CostAt(step.x, step.y)) || (!docks && block.regionId != m_IslandId))
        return false;

    const bool pastEdge =
        step.x > m_Map.GetWidth() - probe.GetWidth() || step.y > m_Map.GetHeight() - probe.GetDepth();
    const bool ownBuilding = block.building != nullptr && block.building->owner == m_Owner;
    if (!pastEdge && !ownBuilding)
    {
        if (IsCornerCut(step.fromX, step.fromY, step.direction) || !IsCellPassable(step.x, step.y))
            return false;
        if (!penalised && !(m_NearLimit != 0 && g < m_NearLimit) && TryPlaceProbe(step.x, step.y))
            return true;
    }
    RecordCost(step.x, step.y, g);
    Enqueue(step.x, step.y);
    return false;
}

// Docks stand beside the water they serve: they are tried at the eight
// positions up to a footprint up and left of the cell, never at the cell.
bool CPathFinder::TryPlaceProbe(int32_t x, int32_t y)
{
    CBuilding& probe = *m_TargetBuilding;
    const int32_t width = probe.GetWidth();
    const int32_t depth = probe.GetDepth();
    const bool docks = probe.GetBuildCast() == DocksCast;
    const int32_t firstShift = docks ? -2 : 0;
    for (int32_t i = firstShift; i <= 0; ++i)
        for (int32_t j = firstShift; j <= 0; ++j)
        {
            if (docks && i == 0 && j == 0)
                continue;
            const int32_t px = x + i * (width / 2);
            const int32_t py = y + j * (depth / 2);
            if (docks && (px < 0 || py < 0 || px > m_Map.GetWidth() - width || py > m_Map.GetHeight() - depth))
                continue;
            probe.x = px;
            probe.y = py;
            if (probe.CanPlaceAt(m_Owner, m_Placement, 1, 1))
            {
                m_GoalX = px;
                m_GoalY = py;
                return true;
            }
        }
    return false;
}

// ---- Weighted route -----------------------------------------------------------

int32_t CPathFinder::SmartAI_FindPath(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY,
                                      int32_t dangerPlayer, int32_t size, int32_t landWeight, int32_t waterWeight,
                                      int32_t dangerWeight, int32_t wallWeight, Route& route, SPoint& end)
{
    auto allowed = [](int32_t weight) { return weight < ForbiddingWeight ? 0 : weight; };
    if (landWeight < ForbiddingWeight || waterWeight < ForbiddingWeight || wallWeight < ForbiddingWeight ||
        dangerWeight < 0)
        g_Log.Write("CPathFinder::SmartAI_FindPath: a negative weight other than -1 counts as 0");
    m_GoalX = goalX;
    m_GoalY = goalY;
    m_Size = size;
    m_LandWeight = allowed(landWeight);
    m_WaterWeight = allowed(waterWeight);
    m_WallWeight = allowed(wallWeight);
    m_DangerWeight = std::max(dangerWeight, 0);
    m_DangerPlayer = dangerPlayer;
    m_TargetUnit = nullptr;
    ++m_FinishedSearches;
    end = {startX, startY};
    if (!IsValidSize(size) || !IsInsideForSize(startX, startY) || !m_Map.IsOnMap(goalX, goalY))
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::SmartAI_FindPath -> start or goal outside the map");
        CountFailure();
        return 0;
    }

    StartSearch(startX, startY);
    const int32_t startDistance = GlobalFunc::Distance(startX, startY, goalX, goalY);
    StartHeapSearch(startX, startY, startDistance);
    m_DistanceLimit = 0;
    m_NearLimit = 0;
    m_AcceptDistance = 0;
    return SearchRouteToGoal([this](const SStep& step) { return SmartAI_AddSzomszed(step); }, startX, startY, route,
                             end);
}

// True when the footprint refuses the position: a blocked cell (but a
// foreign wall the army may break through) or a foreign unit.  Otherwise the
// land (below the shore level) and water (above it) cells are counted.
bool CPathFinder::CountFootprintTerrain(int32_t x, int32_t y, int32_t& land, int32_t& water) const
{
    land = 0;
    water = 0;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
        {
            const SMapBlock& block = BlockAt(cx, cy);
            const CBuilding* building = block.building;
            const bool breakableWall = building != nullptr && building->GetBuildCast() == WallCast &&
                                       building->owner != m_Owner && m_WallWeight != ForbiddingWeight;
            if ((block.blocked && !breakableWall) || (block.unit != nullptr && block.unit->player != m_Owner))
            {
                land = 0;
                water = 0;
                return true;
            }
            if (block.waterLevel < ShoreWaterLevel)
                ++land;
            else if (block.waterLevel > ShoreWaterLevel)
                ++water;
        }
    return false;
}

int64_t CPathFinder::WeightedCost(int32_t x, int32_t y, int64_t g, int32_t stepCost, int32_t land, int32_t water,
                                  bool& refused) const
{
    // Shore cells count as the cheaper kind that is allowed.
    const int32_t shore = m_Size * m_Size - land - water;
    const bool shoreAsWater = m_WaterWeight < m_LandWeight ? m_WaterWeight != ForbiddingWeight
                                                           : m_LandWeight == ForbiddingWeight;
    (shoreAsWater ? water : land) += shore;

    const int64_t area = int64_t(m_Size) * m_Size;
    const int64_t terrain = SaturatingAdd(SaturatingMultiply(CostWeight(m_LandWeight), land),
                                          SaturatingMultiply(CostWeight(m_WaterWeight), water));
    g = SaturatingAdd(g, SaturatingMultiply(terrain, stepCost));

    const CBuilding* building = BlockAt(x, y).building;
    if (building != nullptr && building->GetBuildCast() == WallCast)
    {
        if (m_WallWeight == ForbiddingWeight)
            refused = true;
        else if (!m_Players->IsBuildingFriendTo(*building, m_Owner))
            g = SaturatingAdd(g, SaturatingMultiply(SaturatingMultiply(m_WallWeight, area), stepCost));
    }
    if (m_DangerPlayer != -1)
    {
        const int64_t sight = m_Players->GetBuildingSightCount(m_DangerPlayer, x, y) / BuildingSightDivisor +
                              m_Players->GetUnitSightCount(m_DangerPlayer, x, y);
        const int64_t danger = SaturatingMultiply(SaturatingMultiply(sight, m_DangerWeight), area);
        g = SaturatingAdd(g, SaturatingMultiply(danger, stepCost));
    }
    return g;
}

bool CPathFinder::SmartAI_AddSzomszed(const SStep& step)
{
    if (!IsInsideForSize(step.x, step.y))
        return false;
    int32_t land = 0;
    int32_t water = 0;
    bool refused = CountFootprintTerrain(step.x, step.y, land, water);
    if ((land > 0 && m_LandWeight == ForbiddingWeight) || (water > 0 && m_WaterWeight == ForbiddingWeight))
        return false;
    const int64_t g = WeightedCost(step.x, step.y, SaturatingAdd(step.fromCost, step.stepCost), step.stepCost, land,
                                   water, refused);
    if (!(g < CostAt(step.x, step.y)) || IsCornerCut(step.fromX, step.fromY, step.direction))
        return false;
    Record(step.x, step.y, step.fromX, step.fromY, step.direction, g);
    if (refused)
        return false;
    if (step.x == m_GoalX && step.y == m_GoalY)
        return true;
    // Measured from the cell stepped from: a weaker guide, kept as the
    // routes of the computer opponent were tuned with it.
    const int32_t h = GlobalFunc::Distance(step.fromX, step.fromY, m_GoalX, m_GoalY);
    UpdateBest(g, step.x, step.y, h);
    InsertNode(step.x, step.y, g + h);
    return false;
}

// ---- Route ends ---------------------------------------------------------------

int32_t CPathFinder::FindPathAI(int32_t firstX, int32_t firstY, int32_t secondX, int32_t secondY, int32_t size,
                                int32_t moveLayer, SPoint& firstOut, SPoint& secondOut)
{
    m_Size = size;
    m_MoveLayer = moveLayer;
    m_TargetUnit = nullptr;
    firstOut = {firstX, firstY};
    secondOut = {secondX, secondY};
    if (!IsValidSize(size))
        return 0;
    m_GoalX = std::clamp(firstX, 0, m_Map.GetWidth() - size);
    m_GoalY = std::clamp(firstY, 0, m_Map.GetHeight() - size);
    MoveGoalToFreeCell(secondX, secondY);
    firstOut = {m_GoalX, m_GoalY};
    m_GoalX = std::clamp(secondX, 0, m_Map.GetWidth() - size);
    m_GoalY = std::clamp(secondY, 0, m_Map.GetHeight() - size);
    MoveGoalToFreeCell(firstX, firstY);
    secondOut = {m_GoalX, m_GoalY};
    return 0;
}
