// The hit tests missiles use: a point in the building's part boxes, and the
// first point of a segment that comes near them.

#include <cmath>
#include <cstdint>

#include "buildings/C_Building.h"
#include "media/C_ModelRecord.h"
#include "world/C_GameMap.h"

namespace
{
constexpr float ModelUnitsPerBlock = 32.0f;
constexpr float SegmentMargin = 5.0f;

bool InBox(const float point[3], const float boxMin[3], const float boxMax[3], float margin)
{
    for (int32_t axis = 0; axis < 3; ++axis)
        if (point[axis] < boxMin[axis] - margin || point[axis] > boxMax[axis] + margin)
            return false;
    return true;
}
}  // namespace

bool CBuilding::IsInModelBoxes(float px, float height, float py, float margin) const
{
    const CModelRecord* record = GetTypeInfo();
    if (record == nullptr)
        return false;
    const float ground =
        g_GameMap.IsOnMap(x, y) ? g_GameMap.GetHeight(static_cast<float>(x), static_cast<float>(y)) : 0.0f;
    const float point[3] = {(px - static_cast<float>(x)) * ModelUnitsPerBlock, height - ground,
                            (py - static_cast<float>(y)) * -ModelUnitsPerBlock};
    for (int32_t part = 0; part < record->GetPartCount(); ++part)
    {
        float boxMin[3];
        float boxMax[3];
        if (record->GetPartBox(part, boxMin, boxMax) && InBox(point, boxMin, boxMax, margin))
            return true;
    }
    return false;
}

bool CBuilding::IsPointInside(float px, float height, float py) const
{
    return IsInModelBoxes(px, height, py, 0.0f);
}

bool CBuilding::IntersectSegment(const float from[3], const float to[3], float out[3]) const
{
    const CModelRecord* record = GetTypeInfo();
    if (record == nullptr || record->GetPartCount() <= 0 || takenDown || health <= 0.0f)
        return false;
    const float dx = to[0] - from[0];
    const float dy = to[2] - from[2];
    // The horizontal length in model units, one test per unit.
    auto steps = static_cast<int32_t>(std::sqrt(static_cast<float>(static_cast<int32_t>(1024.0f * (dx * dx + dy * dy)))));
    if (steps == 0)
        steps = 1;
    float step[3];
    for (int32_t axis = 0; axis < 3; ++axis)
    {
        step[axis] = (to[axis] - from[axis]) / static_cast<float>(steps + 1);
        out[axis] = from[axis] + step[axis];
    }
    for (int32_t i = 0; i < steps; ++i)
    {
        if (IsInModelBoxes(out[0], out[1], out[2], SegmentMargin))
            return true;
        for (int32_t axis = 0; axis < 3; ++axis)
            out[axis] += step[axis];
    }
    return false;
}
