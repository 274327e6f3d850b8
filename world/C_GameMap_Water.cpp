// The water animation of the world map.

#include "world/C_GameMap.h"

namespace
{
constexpr float WaterOffsetStep = 0.0025f;
}

// The two water layers scroll together, half a texture apart; the timer's
// periods reach here on the main thread, so the drawing never sees a half
// written step.
void CGameMap::AnimateWater(int32_t steps)
{
    waterAccumulator += steps;
    for (float& offset : waterOffsets)
    {
        offset += WaterOffsetStep;
        if (offset >= 1.0f)
            offset -= 1.0f;
    }
}
