#pragma once
// The yardstick of the game finder's breadth-first searches: a plain
// breadth-first search of the same rules, as good practice writes it.
//
// Good practice: a grid padded by one cell all round (no bounds tests), one
// byte of flags per cell (or per footprint position of a ship) worked out
// once from the map, cells stamped with the search's generation, a ring
// queue of cell indexes, nothing allocated per search.
//
// The rules: the cells are taken in the order they were queued and offer
// their neighbours in the finder's order (straight ones first) at steps of
// 10 and 14; a neighbour is passed over beyond the cost limit, when it was
// reached at no more, or when the step cuts a corner (a blocked block that
// is not a tree, for a ship anywhere in its footprint); a neighbour holding
// what is searched for ends the search at the cell it was offered from;
// otherwise a neighbour the mover may enter is recorded and queued.  A cell
// taken again at a cost whose neighbours were offered is passed over.
//
// Searches for a one-block land mover (FindBuilding: the wanted buildings'
// blocks are marked by the caller) and for a ship of a given size looking
// for the last water position beside free land (FindCoast).

#include <cstdint>
#include <memory>

#include "bench/PaddedGrid.h"
#include "buildings/C_Building.h"
#include "world/C_GameMap.h"

class PlainBreadthFirst : SPaddedGrid
{
public:

    explicit PlainBreadthFirst(const CGameMap& map)
        : m_Map(map), m_Flags(std::make_unique<uint8_t[]>(CellCount)),
          m_Nodes(std::make_unique<SNode[]>(CellCount)), m_Queue(std::make_unique<int32_t[]>(CellCount))
    {
    }

    // Flags of a one-block land mover: a block it may enter (land below the
    // shore level, not blocked, empty) and a block a diagonal step may not
    // pass; no block is wanted.
    void ReadLandBlocks()
    {
        Reset();
        for (int32_t x = 0; x < m_Map.GetWidth(); ++x)
            for (int32_t y = 0; y < m_Map.GetHeight(); ++y)
            {
                const SMapBlock& block = m_Map.Block(x, y);
                m_Flags[size_t(Cell(x, y))] =
                    uint8_t((block.waterLevel < ShoreLevel && !block.blocked && block.unit == nullptr ? Enter : 0) |
                            (IsSolid(block) ? Solid : 0));
            }
    }
    void MarkWanted(int32_t x, int32_t y) { m_Flags[size_t(Cell(x, y))] |= Wanted; }

    // Flags of a ship's footprint positions: free water it may enter, a
    // position whose footprint holds free land (wanted), and a footprint a
    // diagonal step may not pass.  Positions whose footprint leaves the map
    // have none.
    void ReadShipPositions(int32_t size)
    {
        Reset();
        for (int32_t x = 0; x + size <= m_Map.GetWidth(); ++x)
            for (int32_t y = 0; y + size <= m_Map.GetHeight(); ++y)
            {
                bool water = true;
                bool land = false;
                bool solid = false;
                for (int32_t cx = x; cx < x + size; ++cx)
                    for (int32_t cy = y; cy < y + size; ++cy)
                    {
                        const SMapBlock& block = m_Map.Block(cx, cy);
                        water = water && block.waterLevel >= ShoreLevel && !block.blocked && block.unit == nullptr;
                        land = land || (block.waterLevel < ShoreLevel && !block.blocked && block.unit == nullptr);
                        solid = solid || IsSolid(block);
                    }
                m_Flags[size_t(Cell(x, y))] =
                    uint8_t((water ? Enter : (land ? Wanted : 0)) | (solid ? Solid : 0) | OnMap);
            }
    }

    // The route's step count to the cell beside what was found (its end in
    // endX, endY), or -1 when nothing was found.  A step limit of 0 means
    // none.
    int32_t Find(int32_t startX, int32_t startY, int32_t stepLimit, int32_t* endX, int32_t* endY)
    {
        ++m_Generation;
        m_Expanded = 0;
        const int32_t costLimit = stepLimit == 0 ? NoLimit : stepLimit * StraightCost;
        const int32_t start = Cell(startX, startY);
        m_Nodes[size_t(start)] = SNode{m_Generation, 0, 0, 0};
        int32_t head = 0;
        int32_t tail = 0;
        m_Queue[size_t(tail++)] = start;
        while (head != tail)
        {
            const int32_t cell = m_Queue[size_t(head)];
            head = head + 1 == CellCount ? 0 : head + 1;
            SNode& taken = m_Nodes[size_t(cell)];
            if (taken.expanded)
                continue;
            taken.expanded = 1;
            ++m_Expanded;
            for (const int32_t direction : Order)
            {
                const int32_t next = cell + Offset(direction);
                const int32_t g = taken.cost + (IsDiagonal(direction) ? DiagonalCost : StraightCost);
                const uint8_t flags = m_Flags[size_t(next)];
                SNode& node = m_Nodes[size_t(next)];
                if (g >= costLimit || !(flags & (Enter | Wanted)) ||
                    (node.generation == m_Generation && g >= node.cost))
                    continue;
                if (IsDiagonal(direction) &&
                    ((flags | m_Flags[size_t(cell + DX[direction] * Stride)] | m_Flags[size_t(cell + DY[direction])]) &
                     Solid))
                    continue;
                if (flags & Wanted)
                    return RouteTo(start, cell, endX, endY);
                node = SNode{m_Generation, g, uint8_t(direction), 0};
                m_Queue[size_t(tail)] = next;
                tail = tail + 1 == CellCount ? 0 : tail + 1;
            }
        }
        return -1;
    }

    int32_t GetExpandedCells() const { return m_Expanded; }

private:
    static constexpr int32_t NoLimit = 0x7FFFFFFF;
    static constexpr uint16_t ShoreLevel = 7;
    static constexpr int32_t TreeResource = 2;
    static constexpr uint8_t Enter = 1;    // the mover may be recorded and queued there
    static constexpr uint8_t Solid = 2;    // a diagonal step may not pass it
    static constexpr uint8_t Wanted = 4;   // the search ends beside it
    static constexpr uint8_t OnMap = 8;
    struct SNode
    {
        uint32_t generation;   // the search that reached it; older: unreached
        int32_t cost;
        uint8_t direction;     // of the step into it
        uint8_t expanded;      // its neighbours were offered at this cost
    };

    static bool IsSolid(const SMapBlock& block)
    {
        return block.blocked && (block.building == nullptr || block.building->GetResourceKind() != TreeResource);
    }
    void Reset()
    {
        for (int32_t i = 0; i < CellCount; ++i)
            m_Flags[size_t(i)] = 0;
    }
    int32_t RouteTo(int32_t start, int32_t end, int32_t* endX, int32_t* endY) const
    {
        *endX = end / Stride - 1;
        *endY = end % Stride - 1;
        int32_t steps = 0;
        for (int32_t cell = end; cell != start; ++steps)
            cell -= Offset(m_Nodes[size_t(cell)].direction);
        return steps;
    }

    const CGameMap& m_Map;
    std::unique_ptr<uint8_t[]> m_Flags;
    std::unique_ptr<SNode[]> m_Nodes;
    std::unique_ptr<int32_t[]> m_Queue;
    uint32_t m_Generation = 0;
    int32_t m_Expanded = 0;
};
