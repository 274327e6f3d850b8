// FindPath's search for a one-block mover heading for its goal cell with no
// target and no near or accept distance.  It takes the cells from the heap,
// offers their neighbours and records them exactly as RunRouteSearchWith
// over AddSzomszed does, test for test and in the same order; it leaves out
// only the tests that cannot apply (the footprint is the one cell, no near
// band, no target, the goal does not move) and holds what every step reads
// in locals.

#include "world/C_PathFinder.h"

#include "world/C_GameMap.h"

// What every step of the search reads; none of it changes while it runs.
struct CPathFinder::SPlainSearch
{
    const uint8_t* pathBits;   // the map's, CellRow wide
    SRouteCell* cells;
    uint32_t width;
    uint32_t height;
    uint16_t stamp;
    int32_t goalX;
    int32_t goalY;
    int32_t distanceLimit;
};

CPathFinder::ESearchEnd CPathFinder::RunPlainRouteSearch()
{
    static_assert(MapBlockSide == CellRow, "the map's path bits and the cells share their layout");
    const SPlainSearch search{&m_Map.PathBits(0, 0), m_RouteCells,     uint32_t(m_Map.GetWidth()),
                              uint32_t(m_Map.GetHeight()), m_RouteStamp, m_GoalX,
                              m_GoalY,                     m_DistanceLimit};
    while (m_RouteHeap.Count() > 0 && !m_Overflowed)
    {
        const int32_t index = m_RouteHeap.TopCell();
        m_RouteHeap.PopTop();
        SRouteCell& cell = search.cells[index];
        if (cell.stamp == search.stamp)
        {
            if (cell.expanded)
                continue;
            cell.expanded = 1;
        }
        ++m_ExpandedCells;
        const int64_t cost = cell.stamp == search.stamp ? cell.cost : Unreached;
        const int32_t x = index / CellRow;
        const int32_t y = index % CellRow;
        // ExpansionOrder: straight steps first; the first step that ends the
        // search ends the expansion.
        EStepEnd stepEnd = OfferPlainStep<0>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<2>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<4>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<6>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<1>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<3>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<5>(search, x, y, cost);
        if (stepEnd == EStepEnd::Next)
            stepEnd = OfferPlainStep<7>(search, x, y, cost);
        if (stepEnd == EStepEnd::Found)
            return ESearchEnd::Found;
    }
    return m_Overflowed ? ESearchEnd::Overflowed : ESearchEnd::Exhausted;
}

template <int32_t Direction>
CPathFinder::EStepEnd CPathFinder::OfferPlainStep(const SPlainSearch& search, int32_t x, int32_t y, int64_t cost)
{
    constexpr int32_t dx = DirectionDX[Direction];
    constexpr int32_t dy = DirectionDY[Direction];
    constexpr bool diagonal = dx != 0 && dy != 0;
    const int32_t nextX = x + dx;
    const int32_t nextY = y + dy;
    const int64_t g = cost + (diagonal ? DiagonalStepCost : StraightStepCost);
    if (g < StartCost) [[unlikely]]
    {
        // Only the general expansion reports it.
        const SStep step{x, y, nextX, nextY, cost, diagonal ? DiagonalStepCost : StraightStepCost, Direction};
        if (AddSzomszed(step))
            return EStepEnd::Found;
        return m_Overflowed ? EStepEnd::Overflowed : EStepEnd::Next;
    }
    if (uint32_t(nextX) >= search.width || uint32_t(nextY) >= search.height)
        return EStepEnd::Next;
    const int32_t next = nextX * CellRow + nextY;
    const auto flagsAt = [&](int32_t at, int32_t atX, int32_t atY) {
        const uint8_t flags = m_FlagsOfBits[search.pathBits[at]];
        return (flags & ViewAsksBlock) ? ViewFlags(atX, atY) : flags;
    };
    const uint8_t flags = flagsAt(next, nextX, nextY);
    if (!(flags & ViewStandable))
        return EStepEnd::Next;
    SRouteCell& cell = search.cells[next];
    if (cell.stamp == search.stamp && g >= cell.cost)
        return EStepEnd::Next;
    if constexpr (diagonal)
    {
        // The corner cells lie on the map: both neighbours of two cells on it.
        if ((flags & ViewSolid) || (flagsAt(nextX * CellRow + y, nextX, y) & ViewSolid) ||
            (flagsAt(x * CellRow + nextY, x, nextY) & ViewSolid))
            return EStepEnd::Next;
    }
    cell = SRouteCell{int32_t(g), search.stamp, uint8_t(Direction), 0};
    const int32_t h = GridDistance(nextX, nextY, search.goalX, search.goalY);
    if (search.distanceLimit != 0 && h > search.distanceLimit)
        return EStepEnd::Next;
    if (nextX == search.goalX && nextY == search.goalY)
        return EStepEnd::Found;
    UpdateBest(g, nextX, nextY, h);
    if (!InsertRouteNode(nextX, nextY, g + h) && m_Overflowed)
        return EStepEnd::Overflowed;
    return EStepEnd::Next;
}
