#pragma once
// A plain grid A* of the usual good practice, kept beside the game's path
// finder as its yardstick: one byte of passability per block, integer
// costs, cells stamped per search, an array binary heap with stale entries
// skipped when popped, nothing allocated per search.  It follows the game
// finder's cost model for one-block land movers: the same neighbour order,
// step costs of 10 and 14, no diagonal step past a blocked corner (water
// corners may be cut), the
// same heuristic (GlobalFunc::Distance to the goal) and the same distance
// limit, so both expand about the same cells and find routes of equal cost.

#include <cstdint>
#include <vector>

#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"

class PlainAStar
{
public:
    static constexpr int32_t Side = MapBlockSide;

    explicit PlainAStar(const CGameMap& map) : m_Width(map.GetWidth()), m_Height(map.GetHeight())
    {
        m_Open.assign(size_t(Side * Side), 0);
        m_Solid.assign(size_t(Side * Side), 0);
        for (int32_t x = 0; x < m_Width; ++x)
            for (int32_t y = 0; y < m_Height; ++y)
            {
                const SMapBlock& block = map.Block(x, y);
                m_Open[size_t(x * Side + y)] = !block.blocked && block.waterLevel <= 7 ? 1 : 0;
                m_Solid[size_t(x * Side + y)] = block.blocked ? 1 : 0;
            }
        m_Cost.assign(size_t(Side * Side), 0);
        m_Stamp.assign(size_t(Side * Side), 0);
        m_Parent.assign(size_t(Side * Side), 0);
        m_Heap.reserve(size_t(Side * Side * 2));
    }

    // The route's cost in tenths, or -1 when the goal was not reached.
    int32_t Search(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY)
    {
        ++m_Search;
        m_Expanded = 0;
        m_Heap.clear();
        const int32_t start = startX * Side + startY;
        const int32_t goal = goalX * Side + goalY;
        const int32_t startDistance = GlobalFunc::Distance(startX, startY, goalX, goalY);
        const int32_t limit = startDistance + 3 * m_Width;
        Reach(start, start, 0);
        Push({startDistance, 0, start});
        while (!m_Heap.empty())
        {
            const SEntry top = Pop();
            if (top.g != m_Cost[size_t(top.cell)])
                continue;   // a cheaper entry of the cell came first
            ++m_Expanded;
            const int32_t x = top.cell / Side;
            const int32_t y = top.cell % Side;
            for (const int32_t direction : Order)
            {
                const int32_t nx = x + DX[direction];
                const int32_t ny = y + DY[direction];
                if (nx < 0 || ny < 0 || nx >= m_Width || ny >= m_Height)
                    continue;
                const int32_t next = nx * Side + ny;
                const int32_t g = top.g + (DX[direction] != 0 && DY[direction] != 0 ? 14 : 10);
                if (!m_Open[size_t(next)] || (m_Stamp[size_t(next)] == m_Search && g >= m_Cost[size_t(next)]))
                    continue;
                if (DX[direction] != 0 && DY[direction] != 0 &&
                    (m_Solid[size_t(nx * Side + y)] || m_Solid[size_t(x * Side + ny)]))
                    continue;
                const int32_t h = GlobalFunc::Distance(nx, ny, goalX, goalY);
                if (h > limit)
                    continue;
                Reach(next, top.cell, g);
                if (next == goal)
                    return g;
                Push({g + h, g, next});
            }
        }
        return -1;
    }

    int32_t GetExpandedCells() const { return m_Expanded; }

private:
    struct SEntry
    {
        int32_t priority;
        int32_t g;
        int32_t cell;
    };

    static constexpr int32_t DX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t DY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int32_t Order[8] = {0, 2, 4, 6, 1, 3, 5, 7};

    void Reach(int32_t cell, int32_t parent, int32_t g)
    {
        m_Stamp[size_t(cell)] = m_Search;
        m_Cost[size_t(cell)] = g;
        m_Parent[size_t(cell)] = parent;
    }

    void Push(SEntry entry)
    {
        size_t index = m_Heap.size();
        m_Heap.push_back(entry);
        while (index > 0)
        {
            const size_t parent = (index - 1) / 2;
            if (m_Heap[parent].priority <= entry.priority)
                break;
            m_Heap[index] = m_Heap[parent];
            index = parent;
        }
        m_Heap[index] = entry;
    }

    SEntry Pop()
    {
        const SEntry top = m_Heap[0];
        const SEntry last = m_Heap.back();
        m_Heap.pop_back();
        const size_t count = m_Heap.size();
        size_t index = 0;
        for (;;)
        {
            size_t child = 2 * index + 1;
            if (child >= count)
                break;
            if (child + 1 < count && m_Heap[child + 1].priority < m_Heap[child].priority)
                ++child;
            if (last.priority <= m_Heap[child].priority)
                break;
            m_Heap[index] = m_Heap[child];
            index = child;
        }
        if (count > 0)
            m_Heap[index] = last;
        return top;
    }

    int32_t m_Width;
    int32_t m_Height;
    std::vector<uint8_t> m_Open;    // a one-block land mover may stand there
    std::vector<uint8_t> m_Solid;   // a diagonal step may not pass its corner
    std::vector<int32_t> m_Cost;
    std::vector<uint32_t> m_Stamp;
    std::vector<int32_t> m_Parent;
    std::vector<SEntry> m_Heap;
    uint32_t m_Search = 0;
    int32_t m_Expanded = 0;
};
