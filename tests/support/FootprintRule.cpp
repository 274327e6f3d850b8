#include "tests/support/FootprintRule.h"

#include "buildings/C_Building.h"

namespace
{
// Trees block a block but leave its corners open to diagonal steps.
constexpr int32_t TreeResourceKind = 2;
} // namespace

bool CFootprintRule::IsInside(int32_t x, int32_t y) const
{
    return x >= 0 && y >= 0 && x <= m_Map.width - m_Size && y <= m_Map.height - m_Size;
}

bool CFootprintRule::HasSolidBlock(int32_t x, int32_t y) const
{
    if (!IsInside(x, y))
        return true;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
        {
            const SMapBlock& block = m_Map.Block(cx, cy);
            if (block.blocked && !(block.building != nullptr && block.building->GetResourceKind() == TreeResourceKind))
                return true;
        }
    return false;
}

bool CFootprintRule::CutsNoCorner(int32_t x, int32_t y, int32_t direction) const
{
    if (StepDX[direction] == 0 || StepDY[direction] == 0)
        return true;
    const int32_t nx = x + StepDX[direction];
    const int32_t ny = y + StepDY[direction];
    return !HasSolidBlock(nx, ny) && !HasSolidBlock(nx, y) && !HasSolidBlock(x, ny);
}
