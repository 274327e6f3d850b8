// Picking units on the screen: the unit under the mouse and the units inside
// the rubber band, both by the screen rectangle of the first part (group 0)
// of the unit's current model placed at its render position.

#include <cstdint>

#include "media/C_ModelRecord.h"
#include "units/C_Unit.h"

namespace
{
constexpr int32_t PickedGroup = 0;
constexpr float NotHit = -1.0f;

enum class EModelRect
{
    NoModel,   // nothing to place: no model record, or the model lacks the group
    Placed,    // the rectangle is the model's (empty when it is behind the camera)
};

// The model's rectangle (left, top, right, bottom) at the render position.
EModelRect ModelScreenRect(const CUnit& unit, int32_t rect[4])
{
    const CModelRecord* record = unit.GetModelRecord();
    if (record == nullptr || record->GetPartCount() <= PickedGroup)
        return EModelRect::NoModel;
    int32_t topLeft[2];
    int32_t bottomRight[2];
    record->object.GetGroupScreenRect(unit.renderPosition[0], unit.renderPosition[1], unit.renderPosition[2],
                                      PickedGroup, topLeft, bottomRight);
    rect[0] = topLeft[0];
    rect[1] = topLeft[1];
    rect[2] = bottomRight[0];
    rect[3] = bottomRight[1];
    return EModelRect::Placed;
}

bool IsPickable(const CUnit& unit)
{
    return unit.onMap != 0 && unit.IsAlive();
}
} // namespace

float CUnit::HitTestScreenPoint(int32_t sx, int32_t sy)
{
    if (!IsPickable(*this) || ModelScreenRect(*this, screenRect) != EModelRect::Placed)
        return NotHit;
    const bool inside = screenRect[0] <= sx && sx <= screenRect[2] && screenRect[1] <= sy && sy <= screenRect[3];
    return inside ? renderPosition[2] : NotHit;
}

bool CUnit::IsInScreenRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    if (!IsPickable(*this))
        return false;
    int32_t rect[4];
    if (ModelScreenRect(*this, rect) == EModelRect::NoModel)
        for (int i = 0; i < 4; ++i)
            rect[i] = screenRect[i];
    // An empty rectangle (right left of left or bottom above top) meets nothing.
    if (rect[2] < rect[0] || rect[3] < rect[1])
        return false;
    return rect[0] <= right && left <= rect[2] && rect[1] <= bottom && top <= rect[3];
}
