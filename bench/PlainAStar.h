#pragma once
// The yardstick of the game's path finder: a grid A* as good practice writes
// it, with the finder's cost model and search rules for one-block land
// movers, so that both do the same work.
//
// Good practice: a grid padded by one blocked cell all round (no bounds
// tests), one byte of flags per cell, 32-bit costs and keys, cells stamped
// with the search's generation instead of cleared, a binary heap of
// {key, cell} that knows where each cell sits in it (an improved cell moves
// up in place: no stale entries), the smaller child picked without a
// branch, nothing allocated per search.
//
// The cost model and rules: neighbours in the finder's order, steps of 10
// and 14, no diagonal step past a blocked corner (a water corner may be
// cut), the heuristic GlobalFunc::Distance to the goal read from a table,
// the goal tested when a cell is reached rather than when it is taken, and
// no cell queued beyond the start's distance plus three tenths per block of
// map width.  A cell improved after it was expanded is expanded again.
//
// Two variants of the same code serve the benchmark's checks:
// SearchWithStaleEntries keeps the game finder's heap discipline instead of
// moving an improved cell up (it pushes the cell again and passes over the
// older entry when that is taken, equal keys leaving in the finder's order),
// which measures what that discipline costs; CheapestCost is Dijkstra's
// search (no heuristic, no limit, the goal tested when taken), against which
// the route costs are checked.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "bench/PaddedGrid.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"

class PlainAStar : SPaddedGrid
{
public:

    explicit PlainAStar(const CGameMap& map)
        : m_Width(map.GetWidth()), m_Height(map.GetHeight()), m_Flags(std::make_unique<uint8_t[]>(CellCount)),
          m_Nodes(std::make_unique<SNode[]>(CellCount)), m_HeapIndex(std::make_unique<int32_t[]>(CellCount)),
          m_Direction(std::make_unique<uint8_t[]>(CellCount)), m_Heap(std::make_unique<SEntry[]>(HeapCapacity + 1)),
          m_Distance(std::make_unique<uint16_t[]>(size_t(Side * Side)))
    {
        for (int32_t x = 0; x < m_Width; ++x)
            for (int32_t y = 0; y < m_Height; ++y)
            {
                const SMapBlock& block = map.Block(x, y);
                m_Flags[size_t(Cell(x, y))] = uint8_t((!block.blocked && block.waterLevel <= 7 ? Open : 0) |
                                                      (block.blocked ? Solid : 0));
            }
        for (int32_t dx = 0; dx < Side; ++dx)
            for (int32_t dy = 0; dy < Side; ++dy)
                m_Distance[size_t(dx * Side + dy)] = uint16_t(GlobalFunc::Distance(0, 0, dx, dy));
    }

    // The route's cost in tenths, or -1 when the goal was not reached.
    int32_t Search(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
    {
        return Run<EMode::AStar>(startX, startY, goalX, goalY);
    }
    int32_t SearchWithStaleEntries(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
    {
        return Run<EMode::StaleEntries>(startX, startY, goalX, goalY);
    }
    int32_t CheapestCost(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
    {
        return Run<EMode::Dijkstra>(startX, startY, goalX, goalY);
    }
    // After a search that reached its goal: the cost of the route its
    // parents give, walked back and checked step by step (-1 when a step is
    // not one the rules allow).
    int32_t WalkedCost(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY) const
    {
        int32_t cost = 0;
        for (int32_t cell = Cell(goalX, goalY), steps = 0; cell != Cell(startX, startY); ++steps)
        {
            if (m_Nodes[size_t(cell)].generation != m_Generation || steps > Side * Side)
                return -1;
            const int32_t direction = m_Direction[size_t(cell)];
            const int32_t from = cell - Offset(direction);
            if (!(m_Flags[size_t(cell)] & Open) || !(m_Flags[size_t(from)] & Open) || CutsCorner(from, direction))
                return -1;
            cost += IsDiagonal(direction) ? DiagonalCost : StraightCost;
            cell = from;
        }
        return cost;
    }

    int32_t GetExpandedCells() const { return m_Expanded; }
    // Entries taken from the heap by the last search: the expanded cells
    // and, with stale entries, the older entries passed over.
    int32_t GetTakenEntries() const { return m_Taken; }

private:
    enum class EMode
    {
        AStar,
        StaleEntries,
        Dijkstra,
    };

    // Room for every cell queued twice over: far more than the game
    // finder's 20,000 entries.
    static constexpr int32_t HeapCapacity = 2 * CellCount;
    static constexpr uint8_t Open = 1;    // a one-block land mover may stand there
    static constexpr uint8_t Solid = 2;   // a diagonal step may not pass it
    static constexpr int32_t NotQueued = -1;
    static constexpr int32_t Expanded = -2;   // with stale entries: taken at its present cost
    static constexpr int32_t MissingKey = std::numeric_limits<int32_t>::max();
    struct SNode
    {
        uint32_t generation;   // the search that reached it; older: unreached
        int32_t g;
    };
    struct SEntry
    {
        int32_t key;
        int32_t cell;
    };

    bool CutsCorner(int32_t from, int32_t direction) const
    {
        return IsDiagonal(direction) &&
               ((m_Flags[size_t(from + DX[direction] * Stride)] | m_Flags[size_t(from + DY[direction])]) & Solid);
    }
    int32_t HeuristicFrom(int32_t x, int32_t y, int32_t goalX, int32_t goalY) const
    {
        const int32_t dx = x > goalX ? x - goalX : goalX - x;
        const int32_t dy = y > goalY ? y - goalY : goalY - y;
        return m_Distance[size_t(dx * Side + dy)];
    }

    template <EMode Mode> int32_t Run(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
    {
        constexpr bool AStar = Mode != EMode::Dijkstra;
        ++m_Generation;
        m_Expanded = 0;
        m_Taken = 0;
        m_Count = 0;
        const int32_t start = Cell(startX, startY);
        const int32_t goal = Cell(goalX, goalY);
        const int32_t startDistance = HeuristicFrom(startX, startY, goalX, goalY);
        const int32_t limit = startDistance + 3 * m_Width;
        m_Nodes[size_t(start)] = SNode{m_Generation, 0};
        m_HeapIndex[size_t(start)] = NotQueued;
        Queue<Mode>(start, AStar ? startDistance : 0);
        while (m_Count > 0)
        {
            const int32_t cell = Mode == EMode::StaleEntries ? PopTopKeepingTies() : PopTop();
            ++m_Taken;
            if constexpr (Mode == EMode::StaleEntries)
            {
                if (m_HeapIndex[size_t(cell)] == Expanded)
                    continue;
                m_HeapIndex[size_t(cell)] = Expanded;
            }
            if (Mode == EMode::Dijkstra && cell == goal)
                return m_Nodes[size_t(cell)].g;
            ++m_Expanded;
            const int32_t g = m_Nodes[size_t(cell)].g;
            const int32_t x = cell / Stride - 1;
            const int32_t y = cell % Stride - 1;
            for (const int32_t direction : Order)
            {
                const int32_t next = cell + Offset(direction);
                if (!(m_Flags[size_t(next)] & Open))
                    continue;
                const int32_t nextG = g + (IsDiagonal(direction) ? DiagonalCost : StraightCost);
                SNode& node = m_Nodes[size_t(next)];
                const bool reached = node.generation == m_Generation;
                if (reached && nextG >= node.g)
                    continue;
                if (CutsCorner(cell, direction))
                    continue;
                const int32_t h = AStar ? HeuristicFrom(x + DX[direction], y + DY[direction], goalX, goalY) : 0;
                if (!reached)
                    m_HeapIndex[size_t(next)] = NotQueued;
                node.generation = m_Generation;
                node.g = nextG;
                m_Direction[size_t(next)] = uint8_t(direction);
                if (AStar && h > limit)
                    continue;
                if (AStar && next == goal)
                    return nextG;
                if (m_Count >= HeapCapacity)
                    return -1;
                Queue<Mode>(next, nextG + h);
            }
        }
        return -1;
    }

    template <EMode Mode> void Queue(int32_t cell, int32_t key)
    {
        if constexpr (Mode == EMode::StaleEntries)
        {
            m_HeapIndex[size_t(cell)] = NotQueued;
            PushKeepingTies(SEntry{key, cell});
        }
        else if (m_HeapIndex[size_t(cell)] == NotQueued)
            SiftUp(m_Count++, SEntry{key, cell});
        else
            SiftUp(m_HeapIndex[size_t(cell)], SEntry{key, cell});
    }

    // ---- The heap that knows where each cell sits in it ----
    void Place(int32_t index, SEntry entry)
    {
        m_Heap[size_t(index)] = entry;
        m_HeapIndex[size_t(entry.cell)] = index;
    }
    void SiftUp(int32_t index, SEntry entry)
    {
        while (index > 0)
        {
            const int32_t parent = (index - 1) / 2;
            if (m_Heap[size_t(parent)].key <= entry.key)
                break;
            Place(index, m_Heap[size_t(parent)]);
            index = parent;
        }
        Place(index, entry);
    }
    int32_t PopTop()
    {
        const int32_t top = m_Heap[0].cell;
        m_HeapIndex[size_t(top)] = NotQueued;
        const SEntry last = m_Heap[size_t(--m_Count)];
        if (m_Count == 0)
            return top;
        int32_t index = 0;
        for (;;)
        {
            int32_t child = 2 * index + 1;
            if (child >= m_Count)
                break;
            child += int32_t(child + 1 < m_Count) & int32_t(m_Heap[size_t(child + 1)].key < m_Heap[size_t(child)].key);
            if (last.key <= m_Heap[size_t(child)].key)
                break;
            Place(index, m_Heap[size_t(child)]);
            index = child;
        }
        Place(index, last);
        return top;
    }

    // ---- The game finder's discipline: entries pushed again, ties as its
    // heap breaks them (a new entry rises while strictly below its parent,
    // a sinking one passes the smaller child while strictly above it, the
    // right child on equal children) ----
    void PushKeepingTies(SEntry entry)
    {
        int32_t index = m_Count++;
        while (index > 0)
        {
            const int32_t parent = (index - 1) / 2;
            if (!(entry.key < m_Heap[size_t(parent)].key))
                break;
            m_Heap[size_t(index)] = m_Heap[size_t(parent)];
            index = parent;
        }
        m_Heap[size_t(index)] = entry;
    }
    int32_t PopTopKeepingTies()
    {
        const int32_t top = m_Heap[0].cell;
        const SEntry last = m_Heap[size_t(--m_Count)];
        m_Heap[size_t(m_Count)].key = MissingKey;   // a missing right child never wins
        int32_t index = 0;
        for (int32_t child = 1; child < m_Count; child = 2 * index + 1)
        {
            child += int32_t(m_Heap[size_t(child + 1)].key <= m_Heap[size_t(child)].key);
            if (!(m_Heap[size_t(child)].key < last.key))
                break;
            m_Heap[size_t(index)] = m_Heap[size_t(child)];
            index = child;
        }
        m_Heap[size_t(index)] = last;
        return top;
    }

    int32_t m_Width;
    int32_t m_Height;
    std::unique_ptr<uint8_t[]> m_Flags;
    std::unique_ptr<SNode[]> m_Nodes;
    std::unique_ptr<int32_t[]> m_HeapIndex;   // NotQueued once taken or when never queued (or Expanded)
    std::unique_ptr<uint8_t[]> m_Direction;   // of the step into the cell
    std::unique_ptr<SEntry[]> m_Heap;
    std::unique_ptr<uint16_t[]> m_Distance;   // GlobalFunc::Distance by |dx| * Side + |dy|
    int32_t m_Count = 0;
    uint32_t m_Generation = 0;
    int32_t m_Expanded = 0;
    int32_t m_Taken = 0;
};
