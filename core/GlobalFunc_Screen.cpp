// Projection onto the virtual screen, minimap coordinates, the mouse test
// and the filling of triangles into cell grids.

#include <algorithm>
#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/GlobalFunc.h"

namespace
{
constexpr float ProjectionScaleX = 1.4f;
constexpr float ProjectionScaleY = 1.6f;
constexpr float VirtualHalfWidth = 512.0f;
constexpr float VirtualHalfHeight = 384.0f;

// The minimap diamond: top, right, bottom and left corner pixels.
struct SMinimapCorner
{
    float x, y;
};
constexpr SMinimapCorner MinimapCorners[4] = {{129, 60}, {258, 135}, {129, 210}, {0, 135}};

// Per quarter turn of the camera: the corners of the map origin, of the end
// of its x axis and of the end of its y axis.
struct SMinimapAxes
{
    int origin, xEnd, yEnd;
};
constexpr SMinimapAxes MinimapAxesByQuarter[4] = {{0, 1, 3}, {3, 0, 2}, {2, 3, 1}, {1, 2, 0}};

int MinimapQuarter(float rotation)
{
    if (rotation >= 45.0f && rotation < 135.0f)
        return 1;
    if (rotation >= 135.0f && rotation < 225.0f)
        return 2;
    if (rotation >= 225.0f && rotation < 315.0f)
        return 3;
    return 0;
}

constexpr int FixedPointBits = 10;

// One edge of a triangle stepped row by row in fixed point.  The position of
// a row is computed as start + rows x step, which equals stepping from the
// start row by row but lets rows above the grid be skipped.
struct SEdge
{
    int64_t startX;
    int startY;
    int64_t step;

    int64_t XAt(int row) const { return startX + (static_cast<int64_t>(row) - startY) * step; }
};

SEdge MakeEdge(int fromX, int fromY, int toX, int toY)
{
    SEdge edge{static_cast<int64_t>(fromX) * (1 << FixedPointBits), fromY, 0};
    const int64_t rows = static_cast<int64_t>(toY) - fromY;
    if (rows > 0)
        edge.step = (static_cast<int64_t>(toX) - fromX) * (1 << FixedPointBits) / rows;
    return edge;
}

struct SCorner
{
    int x, y;
};
} // namespace

namespace GlobalFunc
{
void ProjectToScreen(float x, float y, float z, int32_t out[2])
{
    if (!(z > 0.0f))
        return;
    out[0] = static_cast<int32_t>((ProjectionScaleX * x / z + 1.0f) * VirtualHalfWidth);
    out[1] = static_cast<int32_t>((1.0f - ProjectionScaleY * y / z) * VirtualHalfHeight);
}

void MapToMinimap(float blockX, float blockY, float rotation, int mapWidth, int mapHeight,
                  float out[2])
{
    const SMinimapAxes& axes = MinimapAxesByQuarter[MinimapQuarter(rotation)];
    const SMinimapCorner& origin = MinimapCorners[axes.origin];
    const SMinimapCorner& xEnd = MinimapCorners[axes.xEnd];
    const SMinimapCorner& yEnd = MinimapCorners[axes.yEnd];
    // A map has at least 32 blocks a side; a size of 0 must still not divide by 0.
    const float width = static_cast<float>(std::max(mapWidth, 1));
    const float height = static_cast<float>(std::max(mapHeight, 1));
    out[0] = origin.x + blockX * (xEnd.x - origin.x) / width + blockY * (yEnd.x - origin.x) / height;
    out[1] = origin.y + blockX * (xEnd.y - origin.y) / width + blockY * (yEnd.y - origin.y) / height;
}

bool IsMouseInRect(int x, int y, int w, int h)
{
    return VirtualMouseX >= x && VirtualMouseX < x + w && VirtualMouseY >= y &&
           VirtualMouseY < y + h;
}

void FillRow(uint32_t* cells, int rowLength, int rowCount, int row, int fromX, int toX,
             uint32_t value)
{
    if (cells == nullptr || row < 0 || row >= rowCount || rowLength <= 0)
        return;
    const int first = std::max(fromX, 0);
    const int last = std::min(toX, rowLength - 1);
    uint32_t* rowCells = cells + static_cast<int64_t>(row) * rowLength;
    for (int x = first; x <= last; ++x)
        rowCells[x] = value;
}

void FillTriangle(uint32_t* cells, int rowLength, int rowCount, int x0, int y0, int x1, int y1,
                  int x2, int y2, uint32_t value)
{
    // Differences of 32-bit corners need 33 bits, their products 66.
    __extension__ using Wide = __int128;
    const Wide cross = static_cast<Wide>(static_cast<int64_t>(x1) - x0) * (static_cast<int64_t>(y2) - y0) -
                       static_cast<Wide>(static_cast<int64_t>(y1) - y0) * (static_cast<int64_t>(x2) - x0);
    if (cross > 0)
        return;

    SCorner corners[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
    std::stable_sort(corners, corners + 3,
                     [](const SCorner& a, const SCorner& b) { return a.y < b.y; });
    const SCorner& top = corners[0];
    const SCorner& middle = corners[1];
    const SCorner& bottom = corners[2];

    const SEdge longEdge = MakeEdge(top.x, top.y, bottom.x, bottom.y);
    const SEdge upperEdge = MakeEdge(top.x, top.y, middle.x, middle.y);
    const SEdge lowerEdge = MakeEdge(middle.x, middle.y, bottom.x, bottom.y);
    const int firstRow = std::max(top.y, 0);
    const int endRow = std::min(bottom.y, rowCount);
    for (int row = firstRow; row < endRow; ++row)
    {
        const int64_t longX = longEdge.XAt(row);
        const int64_t shortX = row < middle.y ? upperEdge.XAt(row) : lowerEdge.XAt(row);
        const int64_t left = std::min(longX, shortX) >> FixedPointBits;
        const int64_t right = std::max(longX, shortX) >> FixedPointBits;
        const int from = static_cast<int>(std::max<int64_t>(left, -1));
        const int to = static_cast<int>(std::min<int64_t>(right, rowLength));
        FillRow(cells, rowLength, rowCount, row, from, to, value);
    }
}

} // namespace GlobalFunc
