// Screen rectangles and mouse hit tests of a model and its groups.  They work
// on the points of the last transform, placed at (x, y, z) in camera space
// and projected onto the virtual 1024 x 768 screen as the game's view
// projects them.  A point at or behind the camera plane has no screen
// point, so the rectangle is empty and the hit test false.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/C_Config.h"
#include "media/C_3DObject.h"

namespace
{
constexpr float ProjectionScaleX = 1.4f;
constexpr float ProjectionScaleY = 1.6f;
constexpr int32_t VirtualHalfWidth = 512;
constexpr int32_t VirtualHalfHeight = 384;
// Points near the camera plane project far off the screen; they are held
// here so that the side test's products stay well inside 64 bits.
constexpr float FarOffScreen = float(1 << 29);
constexpr int32_t BoxCorners = 8;

struct SScreenPoint
{
    int64_t x, y;
};

int64_t ToScreen(float value)
{
    return static_cast<int64_t>(std::clamp(value, -FarOffScreen, FarOffScreen));
}

bool Project(const C3DObject::SVector& p, float x, float y, float z, SScreenPoint& out)
{
    const float px = p.x + x;
    const float py = p.y + y;
    const float pz = p.z + z;
    if (!(pz > 0.0f))
        return false;
    const float sx = (ProjectionScaleX * px / pz + 1.0f) * VirtualHalfWidth;
    const float sy = (1.0f - ProjectionScaleY * py / pz) * VirtualHalfHeight;
    if (std::isnan(sx) || std::isnan(sy))
        return false;
    out = {ToScreen(sx), ToScreen(sy)};
    return true;
}

// The corners of a group on the screen; false when the model lacks the group
// or a corner has no screen point.
bool ProjectGroup(const C3DObject& model, float x, float y, float z, int32_t group, SScreenPoint (&out)[BoxCorners])
{
    if (group < 0 || group >= model.groupCount || size_t(group) >= model.groups.size())
        return false;
    const int32_t first = model.groups[size_t(group)].corners[0];
    for (int32_t k = 0; k < BoxCorners; ++k)
        if (!Project(model.transformed[size_t(first + k)], x, y, z, out[k]))
            return false;
    return true;
}

// Passes when p2 lies on the inner side of p0 -> p1 for a face turned toward
// the viewer (clockwise on the screen).
bool SideTest(const SScreenPoint& p0, const SScreenPoint& p1, const SScreenPoint& p2)
{
    return (p1.y - p0.y) * (p2.x - p0.x) - (p2.y - p0.y) * (p1.x - p0.x) <= 0;
}

// The smallest rectangle round screen points, widened one point at a time;
// empty (overlapping nothing) until the first point and after a point
// without a screen place.
class CScreenBounds
{
public:
    bool Add(const C3DObject::SVector& p, float x, float y, float z)
    {
        SScreenPoint point;
        if (!Project(p, x, y, z, point))
        {
            m_Placed = false;
            return false;
        }
        if (m_Empty)
        {
            m_Low[0] = m_High[0] = point.x;
            m_Low[1] = m_High[1] = point.y;
            m_Empty = false;
        }
        m_Low[0] = std::min(m_Low[0], point.x);
        m_Low[1] = std::min(m_Low[1], point.y);
        m_High[0] = std::max(m_High[0], point.x);
        m_High[1] = std::max(m_High[1], point.y);
        return true;
    }

    bool Write(int32_t topLeft[2], int32_t bottomRight[2]) const
    {
        if (m_Empty || !m_Placed)
        {
            topLeft[0] = topLeft[1] = std::numeric_limits<int32_t>::max();
            bottomRight[0] = bottomRight[1] = std::numeric_limits<int32_t>::min();
            return false;
        }
        for (int axis = 0; axis < 2; ++axis)
        {
            topLeft[axis] = static_cast<int32_t>(m_Low[axis]);
            bottomRight[axis] = static_cast<int32_t>(m_High[axis]);
        }
        return true;
    }

private:
    int64_t m_Low[2] = {};
    int64_t m_High[2] = {};
    bool m_Empty = true;
    bool m_Placed = true;
};

} // namespace

bool C3DObject::GetGroupScreenRect(float x, float y, float z, int32_t group, int32_t topLeft[2],
                                   int32_t bottomRight[2]) const
{
    CScreenBounds bounds;
    if (group >= 0 && group < groupCount && size_t(group) < groups.size())
        for (int32_t k = 0; k < BoxCorners; ++k)
            if (!bounds.Add(transformed[size_t(groups[size_t(group)].corners[0] + k)], x, y, z))
                break;
    return bounds.Write(topLeft, bottomRight);
}

bool C3DObject::GetScreenRect(float x, float y, float z, int32_t topLeft[2], int32_t bottomRight[2]) const
{
    CScreenBounds bounds;
    const size_t groupsKept = std::min(size_t(std::max(groupCount, 0)), groups.size());
    for (size_t g = 0; g < groupsKept; ++g)
        for (int32_t k = 0; k < BoxCorners; ++k)
            if (!bounds.Add(transformed[size_t(groups[g].corners[0] + k)], x, y, z))
                return bounds.Write(topLeft, bottomRight);
    return bounds.Write(topLeft, bottomRight);
}

bool C3DObject::GetScreenRectEx(float x, float y, float z, int32_t topLeft[2], int32_t bottomRight[2]) const
{
    // With hardware transform the CPU moved only the group corners.
    if (g_Config.hardwareTnL != 0)
        return GetScreenRect(x, y, z, topLeft, bottomRight);
    CScreenBounds bounds;
    for (int32_t i = 0; i < vertexCount && size_t(i) < transformed.size(); ++i)
        if (!bounds.Add(transformed[size_t(i)], x, y, z))
            break;
    return bounds.Write(topLeft, bottomRight);
}

bool C3DObject::HitTestGroup(float x, float y, float z, int32_t group, int32_t mouseX, int32_t mouseY) const
{
    SScreenPoint corners[BoxCorners];
    if (!ProjectGroup(*this, x, y, z, group, corners))
        return false;
    const SGroup& box = groups[size_t(group)];
    const SScreenPoint mouse = {mouseX, mouseY};
    for (const auto& quad : box.quads)
    {
        const SScreenPoint& q0 = corners[quad[0] - box.corners[0]];
        const SScreenPoint& q1 = corners[quad[1] - box.corners[0]];
        const SScreenPoint& q2 = corners[quad[2] - box.corners[0]];
        const SScreenPoint& q3 = corners[quad[3] - box.corners[0]];
        if (SideTest(q0, q1, q2) && SideTest(q0, q1, mouse) && SideTest(q1, q2, mouse) && SideTest(q2, q3, mouse)
            && SideTest(q3, q0, mouse))
            return true;
    }
    return false;
}
