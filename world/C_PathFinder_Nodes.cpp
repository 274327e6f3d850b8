// The search frame shared by every search: cell stamps, the node pool as a
// heap or a ring queue, the neighbour order, and writing the route.

#include "world/C_PathFinder.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"

namespace
{
// A missing heap child compares above every stored priority.
constexpr int64_t MissingChildPriority = INT64_MAX;

// GlobalFunc::Distance(0, 0, dx, dy) for every offset within the grid,
// built once.
const uint16_t* GridDistanceTable(int32_t side)
{
    static const std::vector<uint16_t> table = [side] {
        std::vector<uint16_t> values(size_t(side) * size_t(side));
        for (int32_t dx = 0; dx < side; ++dx)
            for (int32_t dy = 0; dy < side; ++dy)
                values[size_t(dx * side + dy)] = uint16_t(GlobalFunc::Distance(0, 0, dx, dy));
        return values;
    }();
    return table.data();
}

} // namespace

CPathFinder::CPathFinder(CGameMap& map)
    : m_Map(map), m_Players(&CPathFinderPlayers::Default()), m_Owner(0), m_Stamp(0), m_RouteGeneration(0), m_RouteKey(0), m_ViewStamp(0), m_StandMask(0), m_BitsWidth(-1), m_BitsHeight(-1), m_GoalX(0), m_GoalY(0),
      m_MoveLayer(LayerLand), m_BestCost(0), m_CostLimit(0), m_BestX(0), m_BestY(0), m_BestDistance(0),
      m_Placement(0), m_Size(1), m_DistanceLimit(0), m_Count(0), m_Head(-1), m_Tail(0), m_Overflowed(false),
      m_TargetUnit(nullptr), m_TargetBuilding(nullptr), m_ResourceKind(0), m_Self(nullptr), m_AttackRange(0),
      m_MinAttackRange(0), m_ExploredOnly(0), m_IslandId(0), m_NearLimit(0), m_AcceptDistance(0),
      m_LandWeight(0), m_WaterWeight(0), m_DangerWeight(0), m_WallWeight(0), m_DangerPlayer(-1),
      m_FinishedSearches(0), m_FailedSearches(0), m_ExpandedCells(0), m_BlocksRead(0)
{
    m_DistanceTable = GridDistanceTable(CellRow);
    std::memset(m_View, 0, sizeof(m_View));
    std::memset(m_FootprintView, 0, sizeof(m_FootprintView));
    std::memset(m_FlagsOfBits, ViewAsksBlock, sizeof(m_FlagsOfBits));
    ResetVisitGrid();
    InitNodePool();
}

void CPathFinder::SetPlayers(const CPathFinderPlayers* players)
{
    m_Players = players != nullptr ? players : &CPathFinderPlayers::Default();
}

// ---- Stamps -----------------------------------------------------------------

void CPathFinder::NextGeneration()
{
    ++m_Stamp;
    if (m_Stamp == 0)
        ResetVisitGrid();
}

void CPathFinder::ResetVisitGrid()
{
    for (SCell& cell : m_Cells)
    {
        cell.cost = Unreached;
        cell.stamp = 0;
        cell.parentX = 0;
        cell.parentY = 0;
        cell.direction = 0;
        cell.expanded = 0;
    }
    m_Stamp = 1;
    ForgetRouteRecords();
}

void CPathFinder::ForgetRouteRecords()
{
    std::fill(std::begin(m_RouteRecords), std::end(m_RouteRecords), RouteUnreached);
    m_RouteGeneration = 1;
    m_RouteKey = RouteKeyOf(m_RouteGeneration);
}

void CPathFinder::NextRouteGeneration()
{
    if (++m_RouteGeneration > RouteGenerationLimit)
        ForgetRouteRecords();
    m_RouteKey = RouteKeyOf(m_RouteGeneration);
}

void CPathFinder::RecordCost(int32_t x, int32_t y, int64_t cost)
{
    SCell& cell = CellAt(x, y);
    cell.cost = cost;
    cell.stamp = m_Stamp;
    cell.expanded = 0;
}

void CPathFinder::StartSearch(int32_t startX, int32_t startY)
{
    Record(startX, startY, 0, 0, 0, StartCost);
}

// ---- Heap -------------------------------------------------------------------

void CPathFinder::InitNodePool()
{
    std::memset(m_Nodes, 0, sizeof(m_Nodes));
    m_Count = 0;
}

// The sifts move a hole instead of swapping entries; they compare exactly as
// swapping would, so equal priorities come out in the same order.
bool CPathFinder::InsertNode(int32_t x, int32_t y, int64_t priority)
{
    if (m_Count >= NodePoolSize)
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow");
        m_Overflowed = true;
        return false;
    }
    int32_t index = m_Count++;
    while (index > 0)
    {
        const int32_t parent = (index - 1) / 2;
        if (!(priority < m_Nodes[parent].priority))
            break;
        m_Nodes[index] = m_Nodes[parent];
        index = parent;
    }
    m_Nodes[index] = SNode{priority, uint8_t(x), uint8_t(y)};
    return true;
}

void CPathFinder::RemoveNode(int32_t index)
{
    if (index < 0 || index >= m_Count)
        return;
    if (m_Count == 1)
    {
        m_Count = 0;
        return;
    }
    --m_Count;
    // The last entry moves into the hole and sinks: it goes below the
    // smaller child while that child is smaller, the right one on a tie.
    const SNode moving = m_Nodes[m_Count];
    m_Nodes[m_Count] = m_Nodes[index];
    for (;;)
    {
        const int32_t left = 2 * index + 1;
        const int32_t right = left + 1;
        const int64_t leftPriority = left < m_Count ? m_Nodes[left].priority : MissingChildPriority;
        const int64_t rightPriority = right < m_Count ? m_Nodes[right].priority : MissingChildPriority;
        const bool leftSmaller = leftPriority < moving.priority;
        const bool rightSmaller = rightPriority < moving.priority;
        if (!leftSmaller && !rightSmaller)
            break;
        const int32_t child = rightSmaller && (!leftSmaller || rightPriority <= leftPriority) ? right : left;
        m_Nodes[index] = m_Nodes[child];
        index = child;
    }
    m_Nodes[index] = moving;
}

bool CPathFinder::RefuseRouteNode()
{
    if (m_RouteHeap.IsFull())
    {
        DEBUG_REPORT("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow");
        m_Overflowed = true;
        return false;
    }
    // Cannot happen (see RoutePriorityBound; a wide mover's heuristic may
    // be below 0): refused rather than stored out of order.
    DEBUG_REPORT("#DEBUG: CPathFinder::InsertRouteNode -> priority out of range");
    return false;
}

void CPathFinder::StartRouteHeap(int32_t x, int32_t y, int32_t distance)
{
    m_RouteHeap.Clear();
    m_Overflowed = false;
    m_ExpandedCells = 0;
    InsertRouteNode(x, y, distance);
    m_BestCost = 0;
    m_BestX = x;
    m_BestY = y;
    m_BestDistance = distance;
}

void CPathFinder::ResetHeap(int32_t x, int32_t y, int64_t priority)
{
    m_Count = 0;
    m_Overflowed = false;
    m_ExpandedCells = 0;
    InsertNode(x, y, priority);
}

// ---- Ring queue ---------------------------------------------------------------

void CPathFinder::ResetQueue(int32_t x, int32_t y)
{
    m_Nodes[0].x = uint8_t(x);
    m_Nodes[0].y = uint8_t(y);
    m_Count = 1;
    m_Head = -1;
    m_Tail = 0;
    m_Overflowed = false;
    m_ExpandedCells = 0;
}

bool CPathFinder::Enqueue(int32_t x, int32_t y)
{
    if (m_Count >= NodePoolSize)
    {
        // Overwriting a waiting entry would corrupt the search: refuse it.
        if (!m_Overflowed)
            DEBUG_REPORT("#DEBUG: CPathFinder::Enqueue -> Ring-queue overflow");
        m_Overflowed = true;
        return false;
    }
    m_Tail = (m_Tail + 1) % NodePoolSize;
    m_Nodes[m_Tail].x = uint8_t(x);
    m_Nodes[m_Tail].y = uint8_t(y);
    ++m_Count;
    return true;
}

// ---- Running a search -----------------------------------------------------------

bool CPathFinder::IsValidSize(int32_t size) const
{
    return size >= 1 && size <= m_Map.GetWidth() && size <= m_Map.GetHeight();
}

bool CPathFinder::ExpandNeighbours(int32_t x, int32_t y, Expansion expand)
{
    return ExpandNeighboursWith(x, y, [this, expand](const SStep& step) { return (this->*expand)(step); });
}

CPathFinder::ESearchEnd CPathFinder::RunQueueSearch(Expansion expand)
{
    while (m_Count > 0 && !m_Overflowed)
    {
        m_Head = (m_Head + 1) % NodePoolSize;
        --m_Count;
        if (ExpandNeighbours(m_Nodes[m_Head].x, m_Nodes[m_Head].y, expand))
            return ESearchEnd::Found;
    }
    return m_Overflowed ? ESearchEnd::Overflowed : ESearchEnd::Exhausted;
}

void CPathFinder::CountFailure()
{
    --m_FinishedSearches;
    ++m_FailedSearches;
}

int32_t CPathFinder::FarDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return GlobalFunc::Distance(x1, y1, x2, y2);
}

void CPathFinder::StartHeapSearch(int32_t x, int32_t y, int32_t distance)
{
    ResetHeap(x, y, distance);
    m_BestCost = 0;
    m_BestX = x;
    m_BestY = y;
    m_BestDistance = distance;
}

int32_t CPathFinder::FinishRoute(ESearchEnd searchEnd, int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    if (searchEnd != ESearchEnd::Found)
    {
        m_GoalX = m_BestX;
        m_GoalY = m_BestY;
        CountFailure();
    }
    const int32_t steps = WriteRouteSteps(startX, startY, route, end);
    NextRouteGeneration();
    return steps;
}

// Every cell of the chain was reached in this search, each at a lower cost
// than the one after it, so the chain ends at the start; the bound only
// guards against a broken grid.  `link` gives a cell's step: whether this
// search reached it, the direction it came in and the cell it came from.
//
// The chain is walked once, from the goal back to the start: its steps come
// in the route's order (the last step first).  A route longer than the
// buffer keeps its first RouteCapacity steps from the start, which are the
// last ones walked: the walk writes round a ring of that many steps, and a
// cut route is read from the ring beginning with the first step kept.
template <class Link>
int32_t CPathFinder::WriteChain(int32_t startX, int32_t startY, Route& route, SPoint& end, Link link)
{
    static_assert((RouteCapacity & (RouteCapacity - 1)) == 0, "the ring index is a mask");
    constexpr int32_t RingMask = RouteCapacity - 1;
    int32_t steps = 0;
    for (int32_t x = m_GoalX, y = m_GoalY; x != startX || y != startY; ++steps)
    {
        const SLink step = link(x, y);
        if (!step.reached || steps >= CellCount)
        {
            DEBUG_REPORT("#DEBUG: CPathFinder::WriteRoute -> broken route");
            m_GoalX = startX;
            m_GoalY = startY;
            end = {startX, startY};
            return 0;
        }
        m_RouteRing[steps & RingMask] = SRingStep{step.direction, uint8_t(x), uint8_t(y)};
        x = step.fromX;
        y = step.fromY;
    }
    const int32_t kept = std::min(steps, RouteCapacity);
    const int32_t cut = steps - kept;
    for (int32_t i = 0; i < kept; ++i)
        route[i] = m_RouteRing[(cut + i) & RingMask].direction;
    if (cut > 0)
    {
        // The route now ends where the steps cut off began.
        m_GoalX = m_RouteRing[cut & RingMask].x;
        m_GoalY = m_RouteRing[cut & RingMask].y;
    }
    end = {m_GoalX, m_GoalY};
    return kept;
}

// A route cell's parent is the cell its direction came from.
int32_t CPathFinder::WriteRouteSteps(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return WriteChain(startX, startY, route, end, [this](int32_t x, int32_t y) {
        const RouteWord record = RouteRecordAt(x, y);
        const int32_t direction = int32_t(record & RouteDirectionMask);
        return SLink{IsRouteReached(record), uint8_t(direction), uint8_t(x - DirectionDX[direction]),
                     uint8_t(y - DirectionDY[direction])};
    });
}

int32_t CPathFinder::WriteRoute(int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    return WriteChain(startX, startY, route, end, [this](int32_t x, int32_t y) {
        const SCell& cell = CellAt(x, y);
        return SLink{cell.stamp == m_Stamp, cell.direction, cell.parentX, cell.parentY};
    });
}
