#pragma once
// The one grid path finder of the game.  It finds routes for units over the
// block grid of a map with an A* search over the eight neighbours of a cell,
// and runs the targeted breadth-first searches (nearest resource, storage,
// keep, building site, unloading coast, free cell, building place), the
// computer opponent's weighted route search and the island flood fills, all
// on the same cost grid and node pool.
//
// Units of measure: positions and sizes in blocks, distances and costs in
// tenths of a block (a straight step costs 10, a diagonal one 14).  A route
// is one direction code per step, the first byte being the LAST step; a
// route never holds more than RouteCapacity steps: a longer one is cut after
// its first RouteCapacity steps from the start, and its end is the cell it
// was cut at, so the unit searches again from there.
//
// The heap and the ring queue hold NodePoolSize entries; a search whose
// frontier outgrows them stops there (one check report) and ends as one
// that did not reach its goal.  Each search stamps the cells it reaches, so
// no search ever reads the costs of an earlier one.
//
// Every search runs to its end inside one call; nothing of it survives but
// the cell stamps and the two counters.  Main thread only; the unit and
// building operations a search calls must not search.  The object is large
// (about 2 MB): a static or heap object, never a local.

#include <cstdint>
#include <type_traits>
#include <utility>

#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/T_PathHeap.h"

class CBuilding;
class CPathFinderPlayers;

class CPathFinder
{
public:
    // Entries of the heap (A* searches) or ring queue (breadth-first ones).
    static constexpr int32_t NodePoolSize = 20000;
    static constexpr int32_t RouteCapacity = CUnit::RouteCapacity;
    using Route = uint8_t[RouteCapacity];

    // Move layers; any other value tests neither terrain nor occupants.
    static constexpr int32_t LayerLand = 1;
    static constexpr int32_t LayerWater = 2;

    static constexpr int32_t StraightStepCost = 10;
    static constexpr int32_t DiagonalStepCost = 14;

    // A weight of the computer opponent's search that forbids its terrain.
    static constexpr int32_t ForbiddingWeight = -1;

    // Heap entry (children 2i + 1 and 2i + 2, parent (i - 1) / 2), or an
    // entry of the ring queue.
    struct SNode
    {
        int64_t priority;
        uint8_t x;
        uint8_t y;
    };

    struct SPoint
    {
        int32_t x;
        int32_t y;
    };

    // Searches the given map (its size and blocks are read at every search).
    explicit CPathFinder(CGameMap& map);
    CPathFinder(const CPathFinder&) = delete;
    CPathFinder& operator=(const CPathFinder&) = delete;

    // The player answers the searches use; null restores the default.  The
    // object must outlive its use.
    void SetPlayers(const CPathFinderPlayers* players);

    // ---- A* search (C_PathFinder.cpp) ---------------------------------------
    // Precedes every search made for a player or a unit: the owner's index
    // and the moving unit (or null), whose attack ranges the search keeps.
    void Init(int32_t owner, CUnit* self);
    // Route of a mover of size x size blocks on the layer from the start to
    // the goal.  With a target unit (or building) the goal is its centre,
    // and the route ends beside it.  Without near and accept distances a
    // goal whose footprint is not free is first moved to the nearest free
    // cell toward the start.  Between near and accept distance (blocks) from
    // the goal, the route ends at the last cell before that band.  Offsets
    // shift the goal.  Cells farther from the goal than the start is from
    // the goal as given (goalX, goalY: before offsets, targets and moving),
    // plus 3 tenths a block of map width, are not explored, and a cell
    // must come closer than that start distance to count as closest.
    // Returns the step count and writes the end cell; when the goal is not
    // reached the route leads to the cell that came closest (0 steps: the
    // start), and the failure is counted.  A start off the
    // map, a goal off the map (with distances or a target) or a size below 1
    // or larger than the map gives 0 steps ending at the start.
    int32_t FindPath(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t size, int32_t moveLayer,
                     int32_t nearDistance, int32_t acceptDistance, CUnit* targetUnit, CBuilding* targetBuilding,
                     int32_t offsetX, int32_t offsetY, Route& route, SPoint& end);
    // Clamps the goal into the map and, when the mover's footprint is not
    // free there, moves it to the nearest free cell found searching from it
    // toward the from cell (the cell that came closest when none is free).
    void MoveGoalToFreeCell(int32_t fromX, int32_t fromY);

    // ---- Search stamps and node pool (C_PathFinder_Nodes.cpp) -----------------
    // Closes a search: the next one finds every cell unreached.
    void NextGeneration();
    // Marks every cell unreached and starts the stamps anew.
    void ResetVisitGrid();
    void InitNodePool();
    // Heap: false, with a check report, when the pool is full (the entry is
    // not stored).
    bool InsertNode(int32_t x, int32_t y, int64_t priority);
    void RemoveNode(int32_t index);

    // ---- Cell tests (C_PathFinder_Cells.cpp), for the current size, layer,
    // owner, self and target; positions off the map fail. ---------------------
    // Some footprint cell is blocked by anything but a tree.
    bool IsFootprintBlocked(int32_t x, int32_t y) const;
    // The diagonal step from (x, y) in the direction passes a blocked corner.
    bool IsCornerCut(int32_t fromX, int32_t fromY, int32_t direction) const;
    // The mover may stand on the footprint at (x, y) on its layer.
    bool IsFootprintFree(int32_t x, int32_t y) const;
    // One land cell a breadth-first search may step on.
    bool IsCellPassable(int32_t x, int32_t y) const;
    // Some footprint cell is free land.
    bool HasFreeLandCell(int32_t x, int32_t y) const;

    // ---- Targeted searches (C_PathFinder_Targets.cpp) --------------------------
    // Breadth-first over land from the start to the nearest cell beside the
    // wanted object; the route and end as FindPath, the object found in the
    // target building (null when nothing was found; then 0).  A found object
    // beside the start gives 0 steps with the target building set.  A step
    // limit of 0 means none.
    // Resource site of the TENUMRESOURCE kind; with exploredOnly only over
    // blocks the owner has explored.
    int32_t FindResource(int32_t startX, int32_t startY, int32_t resourceKind, int32_t exploredOnly,
                         int32_t stepLimit, Route& route, SPoint& end);
    // Living storage building of the owner; no step limit.
    int32_t FindStorage(int32_t startX, int32_t startY, Route& route, SPoint& end);
    // Living, empty keep of the owner; no step limit.
    int32_t FindGarrisonKeep(int32_t startX, int32_t startY, Route& route, SPoint& end);
    // Living, unfinished building of the owner with no unit on the cell.
    int32_t FindBuildSite(int32_t startX, int32_t startY, int32_t stepLimit, Route& route, SPoint& end);
    // A ship of the size: route over free water to the last water position
    // whose footprint touches free land.
    int32_t FindCoastToUngarrison(int32_t startX, int32_t startY, int32_t size, int32_t stepLimit, Route& route,
                                  SPoint& end);
    // 1 and the position when some footprint of the size near the start is
    // wholly free land; no route.
    int32_t FindUngarrisonPos(int32_t startX, int32_t startY, int32_t size, int32_t stepLimit, SPoint& end);

    // ---- Computer opponent's searches (C_PathFinder_AI.cpp) -----------------
    // A place on the start's island (any island for docks) where the probe
    // building passes its placement test (owner, placement, 1, 1), spreading
    // through the owner's town and around areas attacked in the last minute;
    // the probe's x and y are left at the last position tried.
    bool FindBuildingPlace(int32_t startX, int32_t startY, CBuilding* probe, int32_t nearSteps, int32_t stepLimit,
                           int32_t placement, SPoint& end);
    // A* with costs weighted by terrain (land, water), foreign walls and the
    // danger player's sight (-1: none); a land, water or wall weight of -1
    // forbids that terrain, other negative weights count as 0.  Costs are
    // 64-bit and saturate, so no weight overflows them.
    int32_t SmartAI_FindPath(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t dangerPlayer,
                             int32_t size, int32_t landWeight, int32_t waterWeight, int32_t dangerWeight,
                             int32_t wallWeight, Route& route, SPoint& end);
    // Moves the first point to a free cell toward the second and the second
    // toward the first (as MoveGoalToFreeCell).  Returns 0.
    int32_t FindPathAI(int32_t firstX, int32_t firstY, int32_t secondX, int32_t secondY, int32_t size,
                       int32_t moveLayer, SPoint& firstOut, SPoint& secondOut);

    // ---- Island numbering (C_PathFinder_Flood.cpp) ----------------------------
    // Relabels the 8-connected land (water level below 7) or water (7 and
    // above) cells of id oldId reached from the start with newId; the start
    // itself is the caller's to relabel.
    void FloodFillLand(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId);
    void FloodFillWater(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId);

    // ---- Results and counters ------------------------------------------------
    CBuilding* GetTargetBuilding() const { return m_TargetBuilding; }
    int32_t GetFinishedSearches() const { return m_FinishedSearches; }
    int32_t GetFailedSearches() const { return m_FailedSearches; }
    // Cells taken from the heap or queue by the last search (for measuring).
    int32_t GetExpandedCells() const { return m_ExpandedCells; }
    // Blocks read from the map because their path bits were not known
    // (never read, or forgotten when the block was handed out for writing),
    // since the finder was made (for measuring).
    int64_t GetBlocksRead() const { return m_BlocksRead; }
    int32_t GetNodeCount() const { return m_Count; }
    const SNode& GetNode(int32_t index) const { return m_Nodes[index]; }

private:
    // Per cell: the best cost of the search that stamped it last, and how
    // it was reached.  A cell stamped by an earlier search is unreached.
    struct SCell
    {
        int64_t cost;
        uint32_t stamp;
        uint8_t parentX;
        uint8_t parentY;
        uint8_t direction;
        uint8_t expanded;   // its neighbours were offered at this cost
    };

    // One neighbour offered to an expansion: the popped cell's cost and the
    // cost of the step.
    struct SStep
    {
        int32_t fromX;
        int32_t fromY;
        int32_t x;
        int32_t y;
        int64_t fromCost;
        int32_t stepCost;
        int32_t direction;
    };

    // The route searches' own cell records, one 32-bit word a cell on the
    // grid of the map's path bits (CGameMap::PathBitsIndex): from the top,
    // the search's generation key (8 bits), the cost (RouteCostBits: below
    // RoutePriorityBound), the expanded mark and the direction of the step
    // into the cell (its parent is the cell that step came from).  The keys
    // fall from search to search, so a record of an earlier search compares
    // above every record of the running one, and "reached at no more than
    // g" is one comparison (RouteReachedBelow).  The records are cleared
    // when the generations run out.
    using RouteWord = uint32_t;
    static constexpr int32_t RouteCostShift = 4;
    static constexpr int32_t RouteCostBits = 20;
    static constexpr int32_t RouteKeyShift = RouteCostShift + RouteCostBits;
    static constexpr uint32_t RouteGenerationLimit = 0xFF;
    static constexpr RouteWord RouteExpanded = 8;   // its neighbours were offered at this cost
    static constexpr RouteWord RouteDirectionMask = 7;
    static constexpr RouteWord RouteUnreached = ~RouteWord(0);
    static RouteWord RouteKeyOf(uint32_t generation)
    {
        return RouteWord(RouteGenerationLimit - generation) << RouteKeyShift;
    }
    static RouteWord RouteRecord(RouteWord key, int64_t cost, int32_t direction)
    {
        return key | RouteWord(cost) << RouteCostShift | RouteWord(direction);
    }
    // Records below this bound were made by the running search at a cost
    // of at most g.
    static RouteWord RouteReachedBelow(RouteWord key, int64_t g) { return key | RouteWord(g + 1) << RouteCostShift; }
    static int64_t RouteCostOf(RouteWord record)
    {
        return int64_t((record >> RouteCostShift) & ((RouteWord(1) << RouteCostBits) - 1));
    }

    using Expansion = bool (CPathFinder::*)(const SStep& step);
    using RouteHeap = T_PathHeap<int32_t, NodePoolSize>;

    enum class ESearchEnd
    {
        Found,
        Exhausted,   // nothing left to expand
        Overflowed,  // the node pool was full
    };

    // ---- Search frame (C_PathFinder_Nodes.cpp) --------------------------------
    // The footprint of the current size at (x, y) lies on the map.
    bool IsInsideForSize(int32_t x, int32_t y) const
    {
        return x >= 0 && y >= 0 && x <= m_Map.GetWidth() - m_Size && y <= m_Map.GetHeight() - m_Size;
    }
    bool IsValidSize(int32_t size) const;
    // Reading through the const map keeps the map's path bits.
    const SMapBlock& BlockAt(int32_t x, int32_t y) const { return std::as_const(m_Map).Block(x, y); }
    SCell& CellAt(int32_t x, int32_t y) { return m_Cells[x * CellRow + y]; }
    const SCell& CellAt(int32_t x, int32_t y) const { return m_Cells[x * CellRow + y]; }
    // The cell's cost in the current search; Unreached when not stamped.
    int64_t CostAt(int32_t x, int32_t y) const
    {
        const SCell& cell = CellAt(x, y);
        return cell.stamp == m_Stamp ? cell.cost : Unreached;
    }
    static int32_t GridIndex(int32_t x, int32_t y) { return CGameMap::PathBitsIndex(x, y); }
    RouteWord& RouteRecordAt(int32_t x, int32_t y) { return m_RouteRecords[GridIndex(x, y)]; }
    bool IsRouteReached(RouteWord record) const { return (record >> RouteKeyShift) == (m_RouteKey >> RouteKeyShift); }
    int64_t RouteCostAt(int32_t x, int32_t y) const
    {
        const RouteWord record = m_RouteRecords[GridIndex(x, y)];
        return IsRouteReached(record) ? RouteCostOf(record) : Unreached;
    }
    void RecordRoute(int32_t x, int32_t y, int32_t direction, int64_t cost)
    {
        RouteRecordAt(x, y) = RouteRecord(m_RouteKey, cost, direction);
    }
    void RecordRouteCost(int32_t x, int32_t y, int64_t cost)
    {
        RouteWord& record = RouteRecordAt(x, y);
        record = RouteRecord(m_RouteKey, cost, int32_t(record & RouteDirectionMask));
    }
    void NextRouteGeneration();
    void ForgetRouteRecords();
    void Record(int32_t x, int32_t y, int32_t fromX, int32_t fromY, int32_t direction, int64_t cost)
    {
        CellAt(x, y) = SCell{cost, m_Stamp, uint8_t(fromX), uint8_t(fromY), uint8_t(direction), 0};
    }
    void RecordCost(int32_t x, int32_t y, int64_t cost);
    void StartSearch(int32_t startX, int32_t startY);
    void ResetHeap(int32_t x, int32_t y, int64_t priority);
    void ResetQueue(int32_t x, int32_t y);
    bool Enqueue(int32_t x, int32_t y);
    // Offers the popped cell's eight neighbours, straight ones first.  A
    // cell taken again at a cost whose neighbours were offered already is
    // passed over: offering them again would change nothing.
    bool ExpandNeighbours(int32_t x, int32_t y, Expansion expand);
    // The same over an expansion the compiler can see into, and the heap
    // search over one, for the route searches that run most.
    template <class Offer> bool ExpandNeighboursWith(int32_t x, int32_t y, Offer offer);
    // The eight neighbours of a cell reached at `cost`, in expansion order;
    // true once the offer ends the search.
    template <class Offer> bool OfferNeighbours(int32_t x, int32_t y, int64_t cost, Offer offer);
    template <class Offer> ESearchEnd RunHeapSearchWith(Offer offer);
    // Puts the first cell on the heap and makes it the closest cell so far.
    void StartHeapSearch(int32_t x, int32_t y, int32_t distance);
    // Runs the heap search; when it misses the goal the route ends at the
    // closest cell reached instead.  Returns the route's step count.
    template <class Offer>
    int32_t SearchRouteToGoal(Offer offer, int32_t startX, int32_t startY, Route& route, SPoint& end);
    // The route to the goal, or to the closest cell when the search ended
    // without it; closes the search.
    int32_t FinishRoute(ESearchEnd searchEnd, int32_t startX, int32_t startY, Route& route, SPoint& end);
    // The route searches (FindPath and MoveGoalToFreeCell) keep their
    // frontier on a heap of small entries; the computer opponent's weighted
    // search needs the node pool's 64-bit priorities.  Same order, same
    // limit, same report when full.
    void StartRouteHeap(int32_t x, int32_t y, int32_t distance);
    bool InsertRouteNode(int32_t x, int32_t y, int64_t priority)
    {
        if (m_RouteHeap.IsFull() || priority < -RoutePriorityBound || priority > RoutePriorityBound)
            return RefuseRouteNode();
        m_RouteHeap.Push(int32_t(priority), uint32_t(GridIndex(x, y)));
        return true;
    }
    bool RefuseRouteNode();
    template <class Offer> ESearchEnd RunRouteSearchWith(Offer offer);
    template <class Offer> bool ExpandRouteNeighboursWith(int32_t x, int32_t y, Offer offer);
    // WriteRoute over the route cells.
    int32_t WriteRouteSteps(int32_t startX, int32_t startY, Route& route, SPoint& end);
    // One cell's step back along a chain, for WriteChain.
    struct SLink
    {
        bool reached;
        uint8_t direction;
        int32_t fromX;
        int32_t fromY;
    };
    template <class Link> int32_t WriteChain(int32_t startX, int32_t startY, Route& route, SPoint& end, Link link);
    // A step of the chain WriteChain walks, and the cell it leads into.
    struct SRingStep
    {
        uint8_t direction;
        uint8_t x;
        uint8_t y;
    };
    ESearchEnd RunQueueSearch(Expansion expand);
    void CountFailure();
    // Writes the route from the start to the goal (cut to RouteCapacity
    // steps, the goal then moved to the cut) and returns its step count.
    int32_t WriteRoute(int32_t startX, int32_t startY, Route& route, SPoint& end);
    // Distance in tenths from the footprint centre at (x, y) to the goal.
    int32_t HeuristicToGoal(int32_t x, int32_t y) const
    {
        const int32_t half = m_Size / 2;
        return GridDistance(x + half, y + half, m_GoalX, m_GoalY) - half * StraightStepCost;
    }
    // GlobalFunc::Distance, read from a table of its values for the offsets
    // within the grid.
    int32_t GridDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
    {
        const uint32_t dx = uint32_t(x1 > x2 ? x1 - x2 : x2 - x1);
        const uint32_t dy = uint32_t(y1 > y2 ? y1 - y2 : y2 - y1);
        if ((dx | dy) < uint32_t(CellRow))
            return m_DistanceTable[dx * CellRow + dy];
        return FarDistance(x1, y1, x2, y2);
    }
    static int32_t FarDistance(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void UpdateBest(int64_t cost, int32_t x, int32_t y, int32_t distance)
    {
        if (cost > m_BestCost && distance < m_BestDistance)
        {
            m_BestCost = cost;
            m_BestX = x;
            m_BestY = y;
            m_BestDistance = distance;
        }
    }

    // ---- The view of the blocks for the running route search
    // (C_PathFinder_Cells.cpp).  What the route searches ask of a block
    // (does it stop a diagonal step, may the mover stand there) is read from
    // the map the first time a search asks and kept for the rest of it:
    // nothing a search depends on changes while it runs, and the next search
    // reads the map afresh, so no change of the map can leave it stale.
    static constexpr uint8_t ViewSolid = 1;
    static constexpr uint8_t ViewStandable = 2;
    // A view entry is its stamp (1 to 255) above its flags; the entries are
    // cleared whenever the stamps run out, so that the view stays small
    // enough to sit in the cache.
    static constexpr uint32_t ViewStampLimit = 0xFF;
    // Starts a new view; the searches' size, layer, owner, self and target
    // must be set before.
    void StartView();
    // A block whose path bits answer for every mover on the layer is read
    // from them through m_FlagsOfBits; the rest (not yet read, or occupied)
    // through the view.  `at` is the block's grid index (GridIndex), which
    // may lie in the margin round the map.
    uint8_t ViewFlagsAt(int32_t at)
    {
        const uint8_t flags = m_FlagsOfBits[m_Map.PathBitsGrid()[at]];
        if (!(flags & ViewAsksBlock))
            return flags;
        return AskView(at);
    }
    uint8_t ViewFlags(int32_t x, int32_t y) { return ViewFlagsAt(GridIndex(x, y)); }
    static constexpr uint8_t ViewAsksBlock = 0x80;
    uint8_t AskView(int32_t at);
    uint8_t ReadViewFlags(int32_t x, int32_t y) const;
    // What every search asks of a block whoever moves, kept in the map's
    // path bits between searches until the block is handed out for
    // writing: solid for a diagonal step, blocked, occupied, which side of
    // the shore its water lies, and off the map (the margin, and the blocks
    // beyond the map's width and height).
    static constexpr uint8_t BitsKnown = 1;
    static constexpr uint8_t BitsSolid = 2;
    static constexpr uint8_t BitsBlocked = 4;
    static constexpr uint8_t BitsOccupied = 8;
    static constexpr uint8_t BitsAboveShore = 16;
    static constexpr uint8_t BitsBelowShore = 32;
    static constexpr uint8_t BitsOffMap = 64;
    static constexpr uint8_t BitsBuilding = 128;   // a building stands there
    uint8_t BlockBits(int32_t x, int32_t y) const
    {
        uint8_t& bits = m_Map.PathBits(x, y);
        if (bits == 0)
        {
            ++m_BlocksRead;
            bits = m_Map.IsOnMap(x, y) ? ReadBlockBits(BlockAt(x, y)) : uint8_t(BitsKnown | BitsSolid | BitsOffMap);
        }
        return bits;
    }
    static uint8_t ReadBlockBits(const SMapBlock& block);
    // One block of a footprint the mover may stand on (IsFootprintFree's
    // test of each block).
    bool IsBlockStandable(const SMapBlock& block) const;
    // IsFootprintFree, IsFootprintBlocked and IsCornerCut through the view.
    bool ViewFootprintFree(int32_t x, int32_t y)
    {
        if (m_Size == 1)
            return IsInsideForSize(x, y) && (ViewFlags(x, y) & ViewStandable);
        return ViewWideFootprintFree(x, y);
    }
    bool ViewFootprintBlocked(int32_t x, int32_t y)
    {
        if (m_Size == 1)
            return !IsInsideForSize(x, y) || (ViewFlags(x, y) & ViewSolid);
        return ViewWideFootprintBlocked(x, y);
    }
    bool ViewWideFootprintFree(int32_t x, int32_t y)
    {
        return IsInsideForSize(x, y) && (FootprintViewFlags(GridIndex(x, y)) & ViewStandable);
    }
    bool ViewWideFootprintBlocked(int32_t x, int32_t y)
    {
        return !IsInsideForSize(x, y) || (FootprintViewFlags(GridIndex(x, y)) & ViewSolid);
    }
    // A wider mover's footprint at a position inside the map (`at` its grid
    // index): its view flags, read once a view (m_FootprintView).
    uint8_t FootprintViewFlags(int32_t at)
    {
        const uint16_t entry = m_FootprintView[at];
        return (entry >> 8) == m_ViewStamp ? uint8_t(entry) : ReadFootprintViewFlags(at);
    }
    uint8_t ReadFootprintViewFlags(int32_t at);
    bool ViewCornerCut(int32_t fromX, int32_t fromY, int32_t direction)
    {
        const int32_t dx = DirectionDX[direction & 7];
        const int32_t dy = DirectionDY[direction & 7];
        if (dx == 0 || dy == 0)
            return false;
        return ViewFootprintBlocked(fromX + dx, fromY + dy) || ViewFootprintBlocked(fromX + dx, fromY) ||
               ViewFootprintBlocked(fromX, fromY + dy);
    }

    // ---- A* expansions (C_PathFinder.cpp) -------------------------------------
    void PlaceGoal(CUnit* targetUnit, CBuilding* targetBuilding, int32_t goalX, int32_t goalY, int32_t offsetX,
                   int32_t offsetY, int32_t nearDistance, int32_t acceptDistance, int32_t startX, int32_t startY);
    bool AddSzomszed(const SStep& step);
    // AddSzomszed's first refusal, where the compiler can see it: most
    // neighbours in tight country are footprints the mover cannot stand on.
    bool OfferRouteStep(const SStep& step)
    {
        if (m_AcceptDistance == 0 && m_TargetUnit == nullptr && m_TargetBuilding == nullptr &&
            step.fromCost + step.stepCost >= StartCost &&
            (!IsInsideForSize(step.x, step.y) || !ViewFootprintFree(step.x, step.y)))
            return false;
        return AddSzomszed(step);
    }
    // FindPath's search for a one-block mover heading for its goal cell
    // with no target and no near or accept distance, the searches that run
    // most: RunRouteSearchWith over AddSzomszed, less the tests that cannot
    // apply there, with the eight steps written out over the grid indexes
    // and what they read held in locals (C_PathFinder_Plain.cpp).
    struct SPlainSearch;
    enum class EStepEnd
    {
        Next,
        Found,
        Overflowed,
    };
    ESearchEnd RunPlainRouteSearch();
    // Calls offer(direction) with each direction of ExpansionOrder as a
    // compile-time constant (a std::integral_constant) until a step ends
    // the expansion; the result of the last step offered.
    template <class Offer> [[gnu::always_inline]] static EStepEnd OfferInExpansionOrder(Offer offer)
    {
        EStepEnd end = offer(std::integral_constant<int32_t, 0>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 2>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 4>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 6>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 1>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 3>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 5>());
        if (end == EStepEnd::Next)
            end = offer(std::integral_constant<int32_t, 7>());
        return end;
    }
    template <int32_t Direction> EStepEnd OfferPlainStep(SPlainSearch& search, int32_t at, int32_t cost);
    // The eight steps one by one, for a cell with a neighbour the view must
    // answer.
    EStepEnd OfferPlainSteps(SPlainSearch& search, int32_t at, int32_t cost);
    // The neighbours of the cell `at` (reached at `cost`) to record, a bit
    // each in expansion order, found without a branch; false when the view
    // must answer for one of them.
    static bool OpenLanes(const SPlainSearch& search, int32_t at, int32_t cost, uint32_t& lanes);
    // Records the neighbour `next` (dx, dy from the cell expanded) reached at
    // g, and queues it unless it lies beyond the distance limit or is the
    // goal (found).
    EStepEnd QueuePlainCell(SPlainSearch& search, int32_t next, int32_t g, int32_t dx, int32_t dy,
                            int32_t direction);
    bool AddSzomszedInitEnd(const SStep& step);
    bool IsTargetOnFootprint(int32_t x, int32_t y) const;
    bool IsOccupantPassable(const CUnit& occupant, bool meleeChase) const;

    // ---- Breadth-first searches (C_PathFinder_Targets.cpp) --------------------
    // The frame of the searches for a building beside a one-block land
    // mover's route and of the ships' search for a coast: a ring queue of
    // grid indexes over the route records, each search's expansion
    // (AddSzomszed...) offered the eight neighbours of every cell taken.
    struct SQueueSearch;
    template <class Expand>
    ESearchEnd RunQueueSearchWith(int32_t startX, int32_t startY, int32_t stepLimit, Expand expand);
    template <class Expand>
    int32_t RunBuildingSearch(int32_t startX, int32_t startY, int32_t stepLimit, Expand expand, Route& route,
                              SPoint& end);
    // The step of the four building searches: the building wanted ends the
    // search beside it; a cell a one-block land mover may enter is queued.
    template <int32_t Direction, class Wanted>
    EStepEnd OfferBuildingStep(SQueueSearch& search, int32_t at, int32_t cost, const char* underrunReport,
                               Wanted wanted);
    template <int32_t Direction, bool ExploredOnly>
    EStepEnd AddSzomszedResource(SQueueSearch& search, int32_t at, int32_t cost);
    template <int32_t Direction> EStepEnd AddSzomszedStorage(SQueueSearch& search, int32_t at, int32_t cost);
    template <int32_t Direction> EStepEnd AddSzomszedGarrisonKeep(SQueueSearch& search, int32_t at, int32_t cost);
    template <int32_t Direction> EStepEnd AddSzomszedBDToBuild(SQueueSearch& search, int32_t at, int32_t cost);
    template <int32_t Direction>
    EStepEnd AddSzomszedUngarrisonCoast(SQueueSearch& search, int32_t at, int32_t cost);
    bool QueueCell(SQueueSearch& search, int32_t at);
    bool AddSzomszedUngarrUnitPos(const SStep& step);
    bool IsOwnLivingBuilding(const CBuilding& building) const;

    // ---- Computer opponent's expansions (C_PathFinder_AI.cpp) -----------------
    bool SmartAI_AddSzomszedBuildingPlace(const SStep& step);
    bool TryPlaceProbe(int32_t x, int32_t y);
    bool SmartAI_AddSzomszed(const SStep& step);
    bool CountFootprintTerrain(int32_t x, int32_t y, int32_t& land, int32_t& water) const;
    // The cost of stepping onto the position; refused is set for a wall
    // that may not be crossed.
    int64_t WeightedCost(int32_t x, int32_t y, int64_t g, int32_t stepCost, int32_t land, int32_t water,
                         bool& refused) const;

    // ---- Flood fills (C_PathFinder_Flood.cpp) ---------------------------------
    using FloodStep = void (CPathFinder::*)(int32_t x, int32_t y, uint16_t oldId, uint16_t newId);
    void FloodFill(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId, FloodStep step);
    void FloodLandStep(int32_t x, int32_t y, uint16_t oldId, uint16_t newId);
    void FloodWaterStep(int32_t x, int32_t y, uint16_t oldId, uint16_t newId);
    void Relabel(int32_t x, int32_t y, uint16_t newId);

    static constexpr int32_t CellRow = 256;
    static constexpr int32_t CellCount = CellRow * CellRow;
    static constexpr int64_t StartCost = 0;
    static constexpr int64_t Unreached = INT64_MAX;
    // A route search's cost is the cost of a walk that never visits a cell
    // twice (a cell's cost only falls, and each is recorded from a cell
    // recorded before it at a lower cost), so it stays below a diagonal step
    // per cell of the grid; its heuristic is below two straight steps per
    // grid row.  Their sum fits the route heap's 32-bit priorities.
    static constexpr int64_t RoutePriorityBound =
        int64_t(DiagonalStepCost) * CellCount + int64_t(2) * StraightStepCost * CellRow;
    static_assert(RoutePriorityBound <= INT32_MAX, "route priorities must fit 32 bits");
    static_assert(RoutePriorityBound < (int64_t(1) << RouteCostBits) - 1, "route costs must fit their records");
    // Below this water level a block is land, above it water; the level
    // itself counts differently per test.
    static constexpr int32_t ShoreWaterLevel = 7;
    static constexpr int32_t DirectionDX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t DirectionDY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int32_t StepCostOf(int32_t direction)
    {
        return (direction & 1) != 0 ? DiagonalStepCost : StraightStepCost;
    }
    // Neighbours are offered straight ones first, then the diagonal ones.
    static constexpr int32_t ExpansionOrder[8] = {0, 2, 4, 6, 1, 3, 5, 7};
    // TENUMBUILDCAST values the searches look for.
    static constexpr int32_t WallCast = 9;
    static constexpr int32_t ResourceSiteCast = 10;
    static constexpr int32_t KeepCast = 11;
    static constexpr int32_t DocksCast = 13;

    CGameMap& m_Map;
    const CPathFinderPlayers* m_Players;

    int32_t m_Owner;
    uint32_t m_Stamp;   // of the current search; 0 marks no search
    SCell m_Cells[CellCount];
    uint32_t m_RouteGeneration;   // of the current route search, from 1
    RouteWord m_RouteKey;         // RouteKeyOf(m_RouteGeneration)
    RouteWord m_RouteRecords[CGameMap::PathBitsCount];
    uint32_t m_ViewStamp;   // of the current view, 1 to ViewStampLimit
    uint16_t m_View[CGameMap::PathBitsCount];   // view stamp << 8 | view flags, by grid index
    uint16_t m_FootprintView[CGameMap::PathBitsCount];   // the same of a wider mover's footprint there
    uint8_t m_FlagsOfBits[256];   // view flags by path bits, for the view's mover
    // Path bits the view's mover may stand on without asking the view are
    // those whose bits under this mask are BitsKnown alone.
    uint8_t m_StandMask;
    // The map's size when its path bits were last checked: the blocks
    // beyond it are off the map, so a new size forgets them.
    int32_t m_BitsWidth;
    int32_t m_BitsHeight;
    int32_t m_GoalX;
    int32_t m_GoalY;
    int32_t m_MoveLayer;
    int64_t m_BestCost;
    int64_t m_CostLimit;   // breadth-first searches; 0 = none
    int32_t m_BestX;
    int32_t m_BestY;
    int32_t m_BestDistance;
    int32_t m_Placement;   // the building-place search's placement argument
    int32_t m_Size;
    int32_t m_DistanceLimit;   // 0 = none
    SNode m_Nodes[NodePoolSize];
    uint32_t m_QueueCells[NodePoolSize];   // the queue searches' ring of grid indexes
    RouteHeap m_RouteHeap;
    const uint16_t* m_DistanceTable;   // CellRow x CellRow, by |dx|, |dy|
    SRingStep m_RouteRing[RouteCapacity];   // WriteChain's last steps walked
    int32_t m_Count;
    int32_t m_Head;
    int32_t m_Tail;
    bool m_Overflowed;
    CUnit* m_TargetUnit;
    CBuilding* m_TargetBuilding;
    int32_t m_ResourceKind;
    CUnit* m_Self;
    int32_t m_AttackRange;
    int32_t m_MinAttackRange;
    int32_t m_ExploredOnly;
    int32_t m_IslandId;
    int64_t m_NearLimit;
    int64_t m_AcceptDistance;
    int64_t m_LandWeight;
    int64_t m_WaterWeight;
    int64_t m_DangerWeight;
    int64_t m_WallWeight;
    int32_t m_DangerPlayer;
    int32_t m_FinishedSearches;
    int32_t m_FailedSearches;
    int32_t m_ExpandedCells;
    mutable int64_t m_BlocksRead;
};

// The path finder of the game (over g_GameMap).
extern CPathFinder g_PathFinder;

// ---- The search loops, over any expansion -----------------------------------

template <class Offer> bool CPathFinder::OfferNeighbours(int32_t x, int32_t y, int64_t cost, Offer offer)
{
    for (const int32_t direction : ExpansionOrder)
    {
        const bool straight = DirectionDX[direction] == 0 || DirectionDY[direction] == 0;
        const SStep step{x, y, x + DirectionDX[direction], y + DirectionDY[direction], cost,
                         straight ? StraightStepCost : DiagonalStepCost, direction};
        if (offer(step))
            return true;
        if (m_Overflowed)
            return false;
    }
    return false;
}

template <class Offer> bool CPathFinder::ExpandNeighboursWith(int32_t x, int32_t y, Offer offer)
{
    SCell& cell = CellAt(x, y);
    if (cell.stamp == m_Stamp)
    {
        if (cell.expanded)
            return false;
        cell.expanded = 1;
    }
    ++m_ExpandedCells;
    return OfferNeighbours(x, y, CostAt(x, y), offer);
}

template <class Offer> CPathFinder::ESearchEnd CPathFinder::RunHeapSearchWith(Offer offer)
{
    while (m_Count > 0 && !m_Overflowed)
    {
        const int32_t x = m_Nodes[0].x;
        const int32_t y = m_Nodes[0].y;
        RemoveNode(0);
        if (ExpandNeighboursWith(x, y, offer))
            return ESearchEnd::Found;
    }
    return m_Overflowed ? ESearchEnd::Overflowed : ESearchEnd::Exhausted;
}

template <class Offer> bool CPathFinder::ExpandRouteNeighboursWith(int32_t x, int32_t y, Offer offer)
{
    RouteWord& record = RouteRecordAt(x, y);
    if (IsRouteReached(record))
    {
        if (record & RouteExpanded)
            return false;
        record |= RouteExpanded;
    }
    ++m_ExpandedCells;
    return OfferNeighbours(x, y, RouteCostAt(x, y), offer);
}

template <class Offer> CPathFinder::ESearchEnd CPathFinder::RunRouteSearchWith(Offer offer)
{
    while (m_RouteHeap.Count() > 0 && !m_Overflowed)
    {
        const int32_t at = int32_t(m_RouteHeap.TopCell());
        m_RouteHeap.PopTop();
        if (ExpandRouteNeighboursWith(at / CGameMap::PathBitsSide - 1, at % CGameMap::PathBitsSide - 1, offer))
            return ESearchEnd::Found;
    }
    return m_Overflowed ? ESearchEnd::Overflowed : ESearchEnd::Exhausted;
}

template <class Offer>
int32_t CPathFinder::SearchRouteToGoal(Offer offer, int32_t startX, int32_t startY, Route& route, SPoint& end)
{
    if (RunHeapSearchWith(offer) != ESearchEnd::Found)
    {
        m_GoalX = m_BestX;
        m_GoalY = m_BestY;
        CountFailure();
    }
    const int32_t steps = WriteRoute(startX, startY, route, end);
    NextGeneration();
    return steps;
}
