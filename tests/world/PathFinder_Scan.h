#pragma once
// Breadth-first scans written plainly from the movement rules, to check the
// path finder's targeted searches against.

#include <cstdint>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

#include "tests/support/FootprintRule.h"

inline constexpr int32_t Unreached = std::numeric_limits<int32_t>::max();

// Positions of a footprint of one size on a map, and the step rule.
class Footprints : public CFootprintRule
{
public:
    Footprints(const CGameMap& map, int32_t size) : CFootprintRule(map, size) {}

    bool CanStep(int32_t x, int32_t y, int32_t direction) const
    {
        return IsInside(x + StepDX[direction], y + StepDY[direction]) && CutsNoCorner(x, y, direction);
    }
    template <typename Test>
    bool All(int32_t x, int32_t y, Test test) const
    {
        for (int32_t cx = x; cx < x + Size(); ++cx)
            for (int32_t cy = y; cy < y + Size(); ++cy)
                if (!test(Map().Block(cx, cy)))
                    return false;
        return true;
    }
    template <typename Test>
    bool Any(int32_t x, int32_t y, Test test) const
    {
        return !All(x, y, [&](const SMapBlock& block) { return !test(block); });
    }

    // Fewest steps to each position through positions `through` admits, and
    // the fewest steps onto a position `goal` admits (Unreached: none).
    template <typename Through, typename Goal>
    int32_t Scan(int32_t startX, int32_t startY, Through through, Goal goal, std::vector<int32_t>& steps) const
    {
        steps.assign(size_t(MapBlockCount), Unreached);
        std::queue<std::pair<int32_t, int32_t>> open;
        steps[size_t(startX * MapBlockSide + startY)] = 0;
        open.push({startX, startY});
        int32_t best = Unreached;
        while (!open.empty())
        {
            const auto [x, y] = open.front();
            open.pop();
            const int32_t here = steps[size_t(x * MapBlockSide + y)];
            for (int32_t direction = 0; direction < 8; ++direction)
            {
                if (!CanStep(x, y, direction))
                    continue;
                const int32_t nx = x + StepDX[direction];
                const int32_t ny = y + StepDY[direction];
                if (steps[size_t(nx * MapBlockSide + ny)] != Unreached)
                    continue;
                if (goal(nx, ny))
                    best = std::min(best, here + 1);
                else if (through(nx, ny))
                {
                    steps[size_t(nx * MapBlockSide + ny)] = here + 1;
                    open.push({nx, ny});
                }
            }
        }
        return best;
    }
};
