// FindPath's search for a one-block mover heading for its goal cell with no
// target and no near or accept distance.  It takes the cells from the heap,
// offers their neighbours and records them exactly as RunRouteSearchWith
// over AddSzomszed does, test for test and in the same order; it leaves out
// only the tests that cannot apply (the footprint is the one cell, no near
// band, no target, the goal does not move, costs stay far below their
// bounds) and holds what every step reads in locals.
//
// Cells are grid indexes (CGameMap::PathBitsIndex): the map's margin of
// path bits reads as off the map, so a neighbour needs no bounds test, and
// a block's path bits answer the usual case (known, empty and of the
// mover's terrain) without the view.

#include "world/C_PathFinder.h"

#include <climits>
#include <cstdlib>

#include "world/C_GameMap.h"

namespace
{
constexpr int32_t GridSide = CGameMap::PathBitsSide;
} // namespace

// What every step of the search reads; none of it changes while it runs,
// but for the closest cell so far.
struct CPathFinder::SPlainSearch
{
    RouteHeap::SWork heap;
    uint8_t* pathBits;
    RouteWord* records;
    const uint16_t* distances;
    RouteWord key;
    uint8_t standMask;
    // Bits under it other than BitsKnown alone (not read yet, or occupied
    // where occupants matter) are the view's to answer.
    uint8_t askMask;
    int32_t goal;
    int32_t distanceLimit;   // INT32_MAX for none
    int32_t goalX;
    int32_t goalY;
    // The cell being expanded less the goal.
    int32_t towardX;
    int32_t towardY;
    int64_t bestCost;
    int32_t bestDistance;
    int32_t best;
};

template <int32_t Direction>
[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::OfferPlainStep(SPlainSearch& search, int32_t at,
                                                                                  int32_t cost)
{
    constexpr int32_t dx = DirectionDX[Direction];
    constexpr int32_t dy = DirectionDY[Direction];
    constexpr bool diagonal = dx != 0 && dy != 0;
    const int32_t next = at + dx * GridSide + dy;
    const uint8_t bits = search.pathBits[next];
    bool solid = false;
    if ((bits & search.standMask) == BitsKnown) [[likely]]
        solid = (bits & BitsSolid) != 0;
    else if ((bits & search.askMask) == BitsKnown)
        return EStepEnd::Next;   // the bits alone say the mover may not stand there
    else
    {
        const uint8_t flags = ViewFlagsAt(next);
        if (!(flags & ViewStandable))
            return EStepEnd::Next;
        solid = (flags & ViewSolid) != 0;
    }
    const int32_t g = cost + (diagonal ? DiagonalStepCost : StraightStepCost);
    RouteWord& record = search.records[next];
    if (record < RouteReachedBelow(search.key, g))
        return EStepEnd::Next;
    if constexpr (diagonal)
    {
        // The corner cells lie on the map: both neighbours of two cells on it.
        const int32_t besideX = at + dx * GridSide;
        const int32_t besideY = at + dy;
        const uint8_t bitsX = search.pathBits[besideX];
        const uint8_t bitsY = search.pathBits[besideY];
        if (!(bitsX & bitsY & BitsKnown)) [[unlikely]]
        {
            if (solid || (ViewFlagsAt(besideX) & ViewSolid) || (ViewFlagsAt(besideY) & ViewSolid))
                return EStepEnd::Next;
        }
        else if (solid || ((bitsX | bitsY) & BitsSolid))
            return EStepEnd::Next;
    }
    record = RouteRecord(search.key, g, Direction);
    const int32_t h = search.distances[std::abs(search.towardX + dx) * CellRow + std::abs(search.towardY + dy)];
    if (h > search.distanceLimit)
        return EStepEnd::Next;
    if (next == search.goal)
        return EStepEnd::Found;
    if (g > search.bestCost && h < search.bestDistance)
    {
        search.bestCost = g;
        search.best = next;
        search.bestDistance = h;
    }
    if (search.heap.IsFull()) [[unlikely]]
    {
        m_RouteHeap.Keep(search.heap);
        RefuseRouteNode();
        return EStepEnd::Overflowed;
    }
    search.heap.Push(g + h, uint32_t(next));
    return EStepEnd::Next;
}

CPathFinder::ESearchEnd CPathFinder::RunPlainRouteSearch()
{
    SPlainSearch search{m_RouteHeap.Work(),
                        m_Map.PathBitsGrid(),
                        m_RouteRecords,
                        m_DistanceTable,
                        m_RouteKey,
                        m_StandMask,
                        uint8_t(BitsKnown | (m_StandMask & BitsOccupied)),
                        GridIndex(m_GoalX, m_GoalY),
                        m_DistanceLimit != 0 ? m_DistanceLimit : INT32_MAX,
                        m_GoalX,
                        m_GoalY,
                        0,
                        0,
                        m_BestCost,
                        m_BestDistance,
                        GridIndex(m_BestX, m_BestY)};
    int32_t expanded = 0;
    ESearchEnd end = ESearchEnd::Exhausted;
    while (search.heap.count > 0)
    {
        const int32_t at = int32_t(search.heap.TopCell());
        search.heap.PopTop();
        RouteWord& record = search.records[at];
        // A cell taken again at a cost whose neighbours were offered.
        if (record & RouteExpanded)
            continue;
        record |= RouteExpanded;
        ++expanded;
        const int32_t cost = int32_t(RouteCostOf(record));
        search.towardX = at / GridSide - 1 - search.goalX;
        search.towardY = at % GridSide - 1 - search.goalY;
        // The first step that ends the search ends the expansion.
        const EStepEnd stepEnd = OfferInExpansionOrder([&](auto direction) __attribute__((always_inline)) {
            return OfferPlainStep<decltype(direction)::value>(search, at, cost);
        });
        if (stepEnd != EStepEnd::Next)
        {
            end = stepEnd == EStepEnd::Found ? ESearchEnd::Found : ESearchEnd::Overflowed;
            break;
        }
    }
    m_RouteHeap.Keep(search.heap);
    m_ExpandedCells += expanded;
    m_BestCost = search.bestCost;
    m_BestDistance = search.bestDistance;
    m_BestX = search.best / GridSide - 1;
    m_BestY = search.best % GridSide - 1;
    return end;
}
