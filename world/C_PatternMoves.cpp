#include "world/C_PatternMoves.h"

#include <algorithm>
#include <cstdlib>

#include "world/C_RangeTable.h"

CPatternMoves::CPatternMoves(const CRangeTable& pattern, int32_t rowLength)
    : m_Entries(pattern.entries), m_Count(pattern.count), m_Reach(0)
{
    m_GridOffsets.reserve(size_t(std::max(pattern.count, 0)));
    for (int32_t i = 0; i < pattern.count; ++i)
        m_GridOffsets.push_back(int32_t(pattern.entries[i].dx) * rowLength + pattern.entries[i].dy);
    for (int32_t i = 0; i < pattern.count; ++i)
        m_Reach = std::max({m_Reach, std::abs(int32_t(pattern.entries[i].dx)), std::abs(int32_t(pattern.entries[i].dy))});
    const int32_t reach = m_Reach;
    // How many times each offset lies in the pattern, on a square one block
    // wider than the pattern on every side so that a step stays inside.
    const int32_t half = reach + 1;
    const int32_t side = 2 * half + 1;
    std::vector<int32_t> times(size_t(side * side), 0);
    auto timesAt = [&](int32_t dx, int32_t dy) -> int32_t& { return times[size_t((dx + half) * side + dy + half)]; };
    for (int32_t i = 0; i < pattern.count; ++i)
        ++timesAt(pattern.entries[i].dx, pattern.entries[i].dy);

    for (int32_t stepX = -1; stepX <= 1; ++stepX)
        for (int32_t stepY = -1; stepY <= 1; ++stepY)
        {
            if (stepX == 0 && stepY == 0)
                continue;
            std::vector<SChange>& changes = m_Changes[StepSlot(stepX, stepY)];
            // A block at offset o from the old centre lies at o - step from
            // the new one.
            for (int32_t dx = -half; dx <= half; ++dx)
                for (int32_t dy = -half; dy <= half; ++dy)
                {
                    const int32_t nx = dx - stepX;
                    const int32_t ny = dy - stepY;
                    const int32_t after = std::abs(nx) <= half && std::abs(ny) <= half ? timesAt(nx, ny) : 0;
                    const int32_t delta = after - timesAt(dx, dy);
                    if (delta != 0)
                        changes.push_back({int16_t(dx), int16_t(dy), delta});
                }
        }
}

bool CPatternMoves::IsFor(const CRangeTable& pattern) const
{
    return m_Entries == pattern.entries && m_Count == pattern.count;
}

int32_t CPatternMoves::StepSlot(int32_t stepX, int32_t stepY)
{
    return (stepX + 1) * 3 + (stepY + 1);
}

const CPatternMoves::SChange* CPatternMoves::Changes(int32_t stepX, int32_t stepY, int32_t* count) const
{
    if (stepX < -1 || stepX > 1 || stepY < -1 || stepY > 1 || (stepX == 0 && stepY == 0))
    {
        *count = 0;
        return nullptr;
    }
    const std::vector<SChange>& changes = m_Changes[StepSlot(stepX, stepY)];
    *count = int32_t(changes.size());
    return changes.data();
}
