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
//
// When the path bits of all eight neighbours answer without the view, the
// tests that refuse a neighbour (the mover may not stand there, a corner is
// cut, the cell was reached as cheaply) are made for all eight at once,
// without a branch, into a mask with a bit a neighbour in expansion order;
// the neighbours left are recorded and queued in that order.  The tests
// read nothing a neighbour's recording writes, so the results are those of
// testing the neighbours one by one; in tight country, where half the
// neighbours are walls at random, the branches they save are the ones the
// processor guesses wrong.

#include "world/C_PathFinder.h"

#include <bit>
#include <climits>
#include <cstdlib>

#include "world/C_GameMap.h"

namespace
{
constexpr int32_t GridSide = CGameMap::PathBitsSide;

// Eight bytes, one a lane, in a 64-bit word.
constexpr uint64_t EachLane = 0x0101010101010101;
constexpr uint64_t LaneHighBits = EachLane * 0x80;

// The lanes whose byte holds 1 in its lowest bit (every other bit clear),
// gathered into a mask of one bit a lane: the multiplication moves lane i's
// bit to bit 56 + i, and no two of its terms meet.
constexpr uint32_t GatherLanes(uint64_t lowBits)
{
    return uint32_t((lowBits * 0x0102040810204080) >> 56);
}
static_assert(GatherLanes(0x0100000000000001) == 0x81 && GatherLanes(0x0001010000010000) == 0x64);

// Lanes whose byte has some bit of the mask set; the mask must leave the
// top bit of a byte clear, so that adding 0x7F carries into it alone.
constexpr uint32_t LanesWithAny(uint64_t word, uint8_t mask)
{
    return GatherLanes((((word & (EachLane * mask)) + EachLane * 0x7F) & LaneHighBits) >> 7);
}
static_assert(LanesWithAny(0x0000000000000400, 0x06) == 0x02 && LanesWithAny(0x7E00000000000001, 0x7F) == 0x81);
} // namespace

// What every step of the search reads; none of it changes while it runs,
// but for the closest cell so far.
struct CPathFinder::SPlainSearch
{
    // The neighbours as lanes: lane i is the neighbour in direction
    // ExpansionOrder[i], so that the lowest lane comes first.  The straight
    // neighbours are lanes 0 to 3; diagonal lane 4 + i lies between straight
    // lanes i and (i + 1) % 4, the cells whose corners it passes.
    static constexpr int32_t LaneCount = 8;
    static constexpr uint32_t AllLanes = (1u << LaneCount) - 1;
    static constexpr uint32_t StraightLanes = 0x0F;
    static constexpr int32_t DiagonalLaneShift = 4;
    static constexpr int32_t LaneDirection(int32_t lane) { return ExpansionOrder[lane]; }
    static constexpr int32_t LaneDX(int32_t lane) { return DirectionDX[LaneDirection(lane)]; }
    static constexpr int32_t LaneDY(int32_t lane) { return DirectionDY[LaneDirection(lane)]; }
    static constexpr int32_t LaneOffset(int32_t lane) { return LaneDX(lane) * GridSide + LaneDY(lane); }
    static constexpr bool LanesAsSaid()
    {
        for (int32_t lane = 0; lane < DiagonalLaneShift; ++lane)
        {
            const int32_t next = (lane + 1) % DiagonalLaneShift;
            const int32_t diagonal = DiagonalLaneShift + lane;
            if ((LaneDX(lane) != 0 && LaneDY(lane) != 0) || LaneDX(diagonal) != LaneDX(lane) + LaneDX(next) ||
                LaneDY(diagonal) != LaneDY(lane) + LaneDY(next))
                return false;
        }
        return true;
    }

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

// The neighbours of the cell `at` to record and queue, a bit a lane; false
// when the bits of some neighbour are the view's to answer (not read yet,
// or occupied where occupants matter).
[[gnu::always_inline]] inline bool CPathFinder::OpenLanes(const SPlainSearch& search, int32_t at, int32_t cost,
                                                           uint32_t& lanes)
{
    using Lanes = SPlainSearch;
    static_assert(Lanes::LanesAsSaid());
    const uint8_t* const bitsAround = search.pathBits + at;
    uint64_t bits = 0;
    for (int32_t lane = 0; lane < Lanes::LaneCount; ++lane)
        bits |= uint64_t(bitsAround[Lanes::LaneOffset(lane)]) << (8 * lane);
    const uint8_t occupiedAsks = search.askMask & ~BitsKnown;
    if (((~bits & EachLane * BitsKnown) | (bits & EachLane * occupiedAsks)) != 0) [[unlikely]]
        return false;
    // Every byte is known, so the mover may stand where no other bit of
    // the stand mask is set.
    static_assert((BitsKnown | BitsOffMap | BitsBlocked | BitsOccupied | BitsAboveShore | BitsBelowShore) < 0x80);
    const uint32_t unstandable = LanesWithAny(bits, search.standMask & ~BitsKnown);
    const uint32_t solid = GatherLanes((bits >> std::countr_zero(BitsSolid)) & EachLane);
    // Diagonal lane 4 + i passes the corners of straight lanes i and
    // (i + 1) % 4; bit i of the turned mask is lane (i + 1) % 4.
    const uint32_t straightSolid = solid & Lanes::StraightLanes;
    const uint32_t nextStraightSolid = (straightSolid >> 1 | straightSolid << 3) & Lanes::StraightLanes;
    const uint32_t cornerCut = (straightSolid | nextStraightSolid) << Lanes::DiagonalLaneShift;
    const RouteWord straightBelow = RouteReachedBelow(search.key, cost + StraightStepCost);
    const RouteWord diagonalBelow = RouteReachedBelow(search.key, cost + DiagonalStepCost);
    const RouteWord* const recordsAround = search.records + at;
    uint32_t reached = 0;
    for (int32_t lane = 0; lane < Lanes::LaneCount; ++lane)
    {
        const RouteWord below = lane < Lanes::DiagonalLaneShift ? straightBelow : diagonalBelow;
        reached |= uint32_t(recordsAround[Lanes::LaneOffset(lane)] < below) << lane;
    }
    lanes = ~(unstandable | (solid & ~Lanes::StraightLanes) | cornerCut | reached) & Lanes::AllLanes;
    return true;
}

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
    const RouteWord record = search.records[next];
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
    return QueuePlainCell(search, next, g, dx, dy, Direction);
}

[[gnu::always_inline]] inline CPathFinder::EStepEnd CPathFinder::QueuePlainCell(SPlainSearch& search, int32_t next,
                                                                                  int32_t g, int32_t dx, int32_t dy,
                                                                                  int32_t direction)
{
    search.records[next] = RouteRecord(search.key, g, direction);
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

// Out of line: the blocks it asks the view about are few (read once a map,
// or occupied), and the registers of the search loop are better spent on
// the usual case.
[[gnu::noinline]] CPathFinder::EStepEnd CPathFinder::OfferPlainSteps(SPlainSearch& search, int32_t at, int32_t cost)
{
    return OfferInExpansionOrder([&](auto direction) __attribute__((always_inline)) {
        return OfferPlainStep<decltype(direction)::value>(search, at, cost);
    });
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
        EStepEnd stepEnd = EStepEnd::Next;
        uint32_t lanes = 0;
        if (OpenLanes(search, at, cost, lanes)) [[likely]]
        {
            for (; lanes != 0 && stepEnd == EStepEnd::Next; lanes &= lanes - 1)
            {
                using Lanes = SPlainSearch;
                const int32_t lane = std::countr_zero(lanes);
                stepEnd = QueuePlainCell(search, at + Lanes::LaneOffset(lane),
                                         cost + StepCostOf(Lanes::LaneDirection(lane)), Lanes::LaneDX(lane),
                                         Lanes::LaneDY(lane), Lanes::LaneDirection(lane));
            }
        }
        else
            stepEnd = OfferPlainSteps(search, at, cost);
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
