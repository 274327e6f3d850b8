// The breadth-first searches for the workers, the king and the ships: the
// nearest resource, storage, keep, building site, unloading coast and free
// cell.  They spread in rings of steps (straight neighbours first), so the
// first match found is one of the fewest steps away.

#include "world/C_PathFinder.h"

#include <climits>
#include <type_traits>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"

namespace
{
int64_t StepCostLimitOf(int32_t stepLimit)
{
    return stepLimit == 0 ? 0 : int64_t(stepLimit) * CPathFinder::StraightStepCost;
}
} // namespace

// What every step of a queue search reads; none of it changes while it
// runs.  The queue is a ring of NodePoolSize grid indexes: `head` the next
// to take, `count` waiting.
struct CPathFinder::SQueueSearch
{
    uint8_t* pathBits;
    RouteWord* records;
    uint32_t* queue;
    RouteWord key;
    int32_t costLimit;   // INT32_MAX for none
    int32_t head;
    int32_t count;
    // The cell being expanded.
    int32_t x;
    int32_t y;
};

namespace
{
constexpr int32_t GridSide = CGameMap::PathBitsSide;

int32_t CostLimitOf(int32_t stepLimit)
{
    return stepLimit == 0 ? INT32_MAX : stepLimit * CPathFinder::StraightStepCost;
}
} // namespace

bool CPathFinder::QueueCell(SQueueSearch& search, int32_t at)
{
    if (search.count >= NodePoolSize)
    {
        // Overwriting a waiting entry would corrupt the search: refuse it.
        if (!m_Overflowed)
            DEBUG_REPORT("#DEBUG: CPathFinder::Enqueue -> Ring-queue overflow");
        m_Overflowed = true;
        return false;
    }
    const int32_t tail = search.head + search.count;
    search.queue[tail < NodePoolSize ? tail : tail - NodePoolSize] = uint32_t(at);
    ++search.count;
    return true;
}

// The cells leave the queue in the order they joined it; a cell taken again
// at a cost whose neighbours were offered is passed over.  Every search
// closes with NextRouteGeneration (the caller's, after writing the route).
template <class Expand>
CPathFinder::ESearchEnd CPathFinder::RunQueueSearchWith(int32_t startX, int32_t startY, int32_t stepLimit,
                                                        Expand expand)
{
    m_Overflowed = false;
    m_ExpandedCells = 0;
    SQueueSearch search{m_Map.PathBitsGrid(), m_RouteRecords, m_QueueCells, m_RouteKey, CostLimitOf(stepLimit), 0,
                        0, 0, 0};
    const int32_t start = GridIndex(startX, startY);
    search.records[start] = RouteRecord(search.key, StartCost, 0);
    QueueCell(search, start);
    while (search.count > 0)
    {
        const int32_t at = int32_t(search.queue[search.head]);
        search.head = search.head + 1 < NodePoolSize ? search.head + 1 : 0;
        --search.count;
        RouteWord& record = search.records[at];
        if (record & RouteExpanded)
            continue;
        record |= RouteExpanded;
        ++m_ExpandedCells;
        const int32_t cost = int32_t(RouteCostOf(record));
        search.x = at / GridSide - 1;
        search.y = at % GridSide - 1;
        // ExpansionOrder: straight steps first; the first step that ends the
        // search ends the expansion.  Written out rather than through
        // OfferInExpansionOrder: the compiler lays this loop out better so.
        EStepEnd stepEnd = expand(std::integral_constant<int32_t, 0>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 2>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 4>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 6>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 1>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 3>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 5>(), search, at, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = expand(std::integral_constant<int32_t, 7>(), search, at, cost);
        if (stepEnd == EStepEnd::Found)
            return ESearchEnd::Found;
        if (m_Overflowed)
            return ESearchEnd::Overflowed;
    }
    return ESearchEnd::Exhausted;
}

template <class Expand>
int32_t CPathFinder::RunBuildingSearch(int32_t startX, int32_t startY, int32_t stepLimit, Expand expand,
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
    StartView();
    if (RunQueueSearchWith(startX, startY, stepLimit, expand) != ESearchEnd::Found)
    {
        CountFailure();
        m_TargetBuilding = nullptr;
        NextRouteGeneration();
        return 0;
    }
    const int32_t steps = WriteRouteSteps(startX, startY, route, end);
    NextRouteGeneration();
    return steps;
}

template <int32_t Direction, class Wanted>
[[gnu::always_inline]] inline CPathFinder::EStepEnd
CPathFinder::OfferBuildingStep(SQueueSearch& search, int32_t at, int32_t cost, const char* underrunReport,
                               Wanted wanted)
{
    constexpr int32_t dx = DirectionDX[Direction];
    constexpr int32_t dy = DirectionDY[Direction];
    constexpr bool diagonal = dx != 0 && dy != 0;
    const int32_t g = cost + (diagonal ? DiagonalStepCost : StraightStepCost);
    if (g < StartCost) [[unlikely]]
        DEBUG_REPORT(underrunReport);
    if (g >= search.costLimit)
        return EStepEnd::Next;
    const int32_t next = at + dx * GridSide + dy;
    const int32_t x = search.x + dx;
    const int32_t y = search.y + dy;
    uint8_t bits = search.pathBits[next];
    if (bits == 0) [[unlikely]]
        bits = BlockBits(x, y);
    // The usual cell: empty land a one-block mover may enter, no building.
    const bool emptyLand =
        (bits & (BitsBuilding | BitsOccupied | BitsBlocked | BitsBelowShore | BitsOffMap)) == BitsBelowShore;
    // Off the map, or no building to find and no way in.
    if (!emptyLand && ((bits & BitsOffMap) || !(bits & (BitsBuilding | BitsOccupied))))
        return EStepEnd::Next;
    RouteWord& record = search.records[next];
    if (record < RouteReachedBelow(search.key, g) || !wanted.IsVisible(x, y))
        return EStepEnd::Next;
    if constexpr (diagonal)
    {
        // The corner cells lie on the map: both neighbours of two cells on it.
        const uint8_t besideX = search.pathBits[at + dx * GridSide];
        const uint8_t besideY = search.pathBits[at + dy];
        if ((bits & BitsSolid) ||
            (!(besideX & besideY & BitsKnown)
                 ? (BlockBits(x, search.y) & BitsSolid) || (BlockBits(search.x, y) & BitsSolid)
                 : ((besideX | besideY) & BitsSolid) != 0))
            return EStepEnd::Next;
    }
    if (!emptyLand)
    {
        if (bits & BitsBuilding)
        {
            const SMapBlock& block = BlockAt(x, y);
            if (wanted(*block.building, block))
            {
                m_GoalX = search.x;
                m_GoalY = search.y;
                m_TargetBuilding = block.building;
                return EStepEnd::Found;
            }
        }
        // IsCellPassable, from the bits where no occupant asks more.
        if ((bits & BitsOccupied) ? !IsCellPassable(x, y) : (bits & (BitsBlocked | BitsBelowShore)) != BitsBelowShore)
            return EStepEnd::Next;
    }
    record = RouteRecord(search.key, g, Direction);
    QueueCell(search, next);
    return EStepEnd::Next;
}

namespace
{
// Every cell may be entered, or only those the owner has explored.
struct SAnyCell
{
    bool IsVisible(int32_t, int32_t) const { return true; }
};
} // namespace

template <int32_t Direction, bool ExploredOnly>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::AddSzomszedResource(SQueueSearch& search, int32_t at,
                                                                                       int32_t cost)
{
    struct SResourceSite
    {
        const CPathFinder& finder;
        bool operator()(const CBuilding& building, const SMapBlock&) const
        {
            return building.GetBuildCast() == ResourceSiteCast && building.GetResourceKind() == finder.m_ResourceKind;
        }
        bool IsVisible(int32_t x, int32_t y) const
        {
            return !ExploredOnly || finder.m_Players->GetVisibility(finder.m_Owner, x, y) != 0;
        }
    };
    return OfferBuildingStep<Direction>(search, at, cost,
                                        "#DEBUG: CPathFinder::AddSzomszedResource -> minvalue underrun",
                                        SResourceSite{*this});
}

template <int32_t Direction>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::AddSzomszedStorage(SQueueSearch& search, int32_t at, int32_t cost)
{
    struct SStorage : SAnyCell
    {
        const CPathFinder& finder;
        bool operator()(const CBuilding& building, const SMapBlock&) const
        {
            return finder.IsOwnLivingBuilding(building) && building.IsStorage();
        }
    };
    return OfferBuildingStep<Direction>(search, at, cost,
                                        "#DEBUG: CPathFinder::AddSzomszedStorage -> minvalue underrun",
                                        SStorage{{}, *this});
}

template <int32_t Direction>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::AddSzomszedGarrisonKeep(SQueueSearch& search, int32_t at, int32_t cost)
{
    struct SEmptyKeep : SAnyCell
    {
        const CPathFinder& finder;
        bool operator()(const CBuilding& building, const SMapBlock&) const
        {
            return finder.IsOwnLivingBuilding(building) && building.GetBuildCast() == KeepCast &&
                   building.garrisonedUnit == nullptr;
        }
    };
    return OfferBuildingStep<Direction>(search, at, cost,
                                        "#DEBUG: CPathFinder::AddSzomszedGarrisonKeep -> minvalue underrun",
                                        SEmptyKeep{{}, *this});
}

template <int32_t Direction>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::AddSzomszedBDToBuild(SQueueSearch& search, int32_t at, int32_t cost)
{
    struct SBuildSite : SAnyCell
    {
        const CPathFinder& finder;
        bool operator()(const CBuilding& building, const SMapBlock& block) const
        {
            return finder.IsOwnLivingBuilding(building) && building.buildProgress != CBuilding::FinishedProgress &&
                   block.unit == nullptr;
        }
    };
    return OfferBuildingStep<Direction>(search, at, cost,
                                        "#DEBUG: CPathFinder::AddSzomszedBDToBuild -> minvalue underrun",
                                        SBuildSite{{}, *this});
}

int32_t CPathFinder::FindResource(int32_t startX, int32_t startY, int32_t resourceKind, int32_t exploredOnly,
                                  int32_t stepLimit, Route& route, SPoint& end)
{
    m_ResourceKind = resourceKind;
    m_ExploredOnly = exploredOnly;
    // Two searches, so that the usual one asks nothing of the players.
    if (exploredOnly != 0)
        return RunBuildingSearch(startX, startY, stepLimit,
                                 [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
                                     return AddSzomszedResource<decltype(direction)::value, true>(search, at, cost);
                                 },
                                 route, end);
    return RunBuildingSearch(startX, startY, stepLimit,
                             [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
                                 return AddSzomszedResource<decltype(direction)::value, false>(search, at, cost);
                             },
                             route, end);
}

int32_t CPathFinder::FindStorage(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, 0,
                             [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
                                 return AddSzomszedStorage<decltype(direction)::value>(search, at, cost);
                             },
                             route, end);
}

int32_t CPathFinder::FindGarrisonKeep(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, 0,
                             [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
                                 return AddSzomszedGarrisonKeep<decltype(direction)::value>(search, at, cost);
                             },
                             route, end);
}

int32_t CPathFinder::FindBuildSite(int32_t startX, int32_t startY, int32_t stepLimit, Route& route, SPoint& end)
{
    return RunBuildingSearch(startX, startY, stepLimit,
                             [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
                                 return AddSzomszedBDToBuild<decltype(direction)::value>(search, at, cost);
                             },
                             route, end);
}

bool CPathFinder::IsOwnLivingBuilding(const CBuilding& building) const
{
    return building.IsAlive() && building.owner == m_Owner;
}

// ---- Ships --------------------------------------------------------------------

template <int32_t Direction>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::AddSzomszedUngarrisonCoast(SQueueSearch& search, int32_t at,
                                                                                              int32_t cost)
{
    const int32_t g = cost + StepCostOf(Direction);
    if (g < StartCost)
        DEBUG_REPORT("#DEBUG: CPathFinder::AddSzomszedUngarrisonCoast -> minvalue underrun");
    const int32_t x = search.x + DirectionDX[Direction];
    const int32_t y = search.y + DirectionDY[Direction];
    const int32_t next = at + DirectionDX[Direction] * GridSide + DirectionDY[Direction];
    RouteWord& record = search.records[next];
    if (g >= search.costLimit || !IsInsideForSize(x, y) || record < RouteReachedBelow(search.key, g) ||
        ViewCornerCut(search.x, search.y, Direction))
        return EStepEnd::Next;
    if (ViewFootprintFree(x, y))
    {
        record = RouteRecord(search.key, g, Direction);
        QueueCell(search, next);
        return EStepEnd::Next;
    }
    if (!HasFreeLandCell(x, y))
        return EStepEnd::Next;
    // The ship stays at its last water position.
    m_GoalX = search.x;
    m_GoalY = search.y;
    return EStepEnd::Found;
}

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
    StartView();
    const ESearchEnd searchEnd = RunQueueSearchWith(
        startX, startY, stepLimit, [this](auto direction, SQueueSearch& search, int32_t at, int32_t cost) {
            return AddSzomszedUngarrisonCoast<decltype(direction)::value>(search, at, cost);
        });
    if (searchEnd != ESearchEnd::Found)
    {
        CountFailure();
        NextRouteGeneration();
        return 0;
    }
    const int32_t steps = WriteRouteSteps(startX, startY, route, end);
    NextRouteGeneration();
    return steps;
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
    m_CostLimit = StepCostLimitOf(stepLimit);
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
