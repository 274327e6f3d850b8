// Terrain queries and the area update of the world map.

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"
#include "buildings/C_Building.h"
#include "world/C_Player.h"
#include "world/C_RangeTable.h"

namespace
{
// Corner light: a flat corner is lit 220, slopes lighten or darken it.
constexpr double FlatLight = 220.0;
constexpr double SouthSlopeWeight = 2.5;
constexpr int32_t DarkestLight = 150;
constexpr int32_t BrightestLight = 255;
constexpr int32_t TreeShadowLight = 0x60;
constexpr int32_t LightShadowLight = 0x80;
constexpr float WallShadowProgress = 60.0f;

// TENUMBUILDCAST and TENUMRESOURCE values the shadows look at.
constexpr int32_t CastWall = 9;
constexpr int32_t CastDecoration = 18;
constexpr int32_t ResourceTree = 2;
constexpr int32_t ResourceRock = 3;

// Water: a corner's depth in levels is -height / 3; below -20 the water
// darkens with depth.
constexpr int32_t WaterLevelDivisor = 3;
constexpr int32_t DeepTintHeight = -20;
constexpr int32_t DeepTintScale = 1024;
constexpr int32_t ShallowWaterLevel = 6;   // below: the water a shore looks at
constexpr int32_t ShipWaterLevel = 8;      // from here on: deep water
constexpr int32_t RegionWaterLevel = 7;
constexpr int32_t AreaLandMaxLevel = 7;
constexpr int32_t AreaWaterMinLevel = 7;
constexpr int32_t SteepestStep = 32;
constexpr int32_t ShoreSmoothingPasses = 10;
constexpr float HeightEdgeMargin = 0.01f;

uint32_t Grey(int32_t light)
{
    return uint32_t(light) * 0x010101u;
}

// The 3 x 3 sight disc of radius 2, whose order the shore direction walks.
const CRangeTable& ShoreDisc()
{
    static const CRangeTable* disc = []
    {
        auto* table = new CRangeTable;
        table->InitRing(0, 2, 0);
        return table;
    }();
    return *disc;
}

float LimitCoordinate(float value, int32_t size)
{
    if (std::isnan(value))
        return 0.0f;
    value = std::min(value, float(size) - HeightEdgeMargin);
    return std::max(value, 0.0f);
}

int32_t WholeDegrees(double degrees)
{
    int32_t whole = int32_t(std::lround(degrees)) % 360;
    return whole < 0 ? whole + 360 : whole;
}
} // namespace

float CGameMap::GetHeightRaw(float x, float y) const
{
    x = LimitCoordinate(x, width);
    y = LimitCoordinate(y, height);
    const int32_t i = int32_t(x);
    const int32_t j = int32_t(y);
    const float fx = x - float(i);
    const float fy = y - float(j);
    const float h00 = float(CornerHeight(i, j));
    const float h10 = float(CornerHeight(i + 1, j));
    const float h01 = float(CornerHeight(i, j + 1));
    const float h11 = float(CornerHeight(i + 1, j + 1));
    const float a = h00 + (h10 - h00) * fx;
    const float b = h01 + (h11 - h01) * fx;
    return a + (b - a) * fy;
}

float CGameMap::GetHeight(float x, float y) const
{
    return std::max(GetHeightRaw(x, y), 0.0f);
}

void CGameMap::ProjectToScreen(float x, float y, float lift, float out[3]) const
{
    ProjectToScreenAtHeight(x, y, GetHeightRaw(x, y) + lift, out);
}

void CGameMap::ProjectToScreenAtHeight(float x, float y, float atHeight, float out[3]) const
{
    float turned[3];
    GlobalFunc::TransformVector((x - cameraTargetX) * 32.0f, atHeight, (y - cameraTargetY) * -32.0f, viewMatrix,
                                turned);
    GlobalFunc::VectorAdd(out, turned, viewTranslation);
}

void CGameMap::UpdateArea(int32_t x0, int32_t y0, int32_t w, int32_t h)
{
    const bool wholeMap = w == -1 && h == -1;
    if (w == -1)
    {
        x0 = 0;
        w = width;
    }
    if (h == -1)
    {
        y0 = 0;
        h = height;
    }
    const int32_t bx0 = std::max(x0, 0);
    const int32_t by0 = std::max(y0, 0);
    const int32_t bx1 = int32_t(std::min<int64_t>(width, int64_t(x0) + w));
    const int32_t by1 = int32_t(std::min<int64_t>(height, int64_t(y0) + h));
    if (bx1 <= bx0 || by1 <= by0)
        return;

    ComputeCornerLight(bx0, by0, bx1, by1);
    ComputeWaterLevels(bx0, by0, bx1, by1);
    TintDeepWater(bx0, by0, bx1, by1);
    MarkShores(bx0, by0, bx1, by1);
    for (int32_t x = bx0; x < bx1; ++x)
        for (int32_t y = by0; y < by1; ++y)
            if (std::as_const(*this).Block(x, y).shoreDirection != NoShore)
                Block(x, y).shoreDirection = ComputeShoreDirection(x, y);
    SplitTriangles(bx0, by0, bx1, by1);
    ComputeDrawnColours(bx0, by0, bx1, by1);
    ComputePassability(bx0, by0, bx1, by1);
    if (wholeMap)
        SmoothShoreDirections();
}

// Light from the slopes toward the four diagonal neighbours, then the
// shadows of objects, as a grey colour.  Corners of the blocks [bx0, bx1)
// run from bx0 to bx1 inclusive.
void CGameMap::ComputeCornerLight(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    const bool shadows = g_Config.buildingShadows != 0;
    for (int32_t cx = bx0; cx <= bx1; ++cx)
        for (int32_t cy = by0; cy <= by1; ++cy)
        {
            int64_t a = 0;
            int64_t b = 0;
            for (int32_t nx = cx - 1; nx <= cx + 1; nx += 2)
                for (int32_t ny = cy - 1; ny <= cy + 1; ny += 2)
                {
                    if (nx < 0 || ny < 0 || nx > width || ny > height)
                        continue;
                    const int64_t drop = int64_t(CornerHeight(cx, cy)) - CornerHeight(nx, ny);
                    a += (nx - cx) * drop;
                    b += (ny - cy) * drop;
                }
            const double lit = SouthSlopeWeight * double(b) - double(a) + FlatLight;
            int32_t light = int32_t(std::clamp(lit, double(DarkestLight), double(BrightestLight)));
            if (shadows)
                light = std::min(light, ShadowLimit(cx, cy));
            cornerColours[cx * MapCornerSide + cy] = int32_t(Grey(light));
        }
}

// The darkest light that the objects near a corner allow.
int32_t CGameMap::ShadowLimit(int32_t x, int32_t y) const
{
    auto buildingAt = [&](int32_t bx, int32_t by) -> const CBuilding*
    { return IsOnMap(bx, by) ? Block(bx, by).building : nullptr; };
    auto isHarvestableTree = [](const CBuilding* b)
    { return b != nullptr && b->GetResourceKind() == ResourceTree && b->CanBeMined(); };
    auto isTallBuilding = [](const CBuilding* b)
    {
        if (b == nullptr)
            return false;
        const int32_t cast = b->GetBuildCast();
        return (cast == CastWall && b->buildProgress > WallShadowProgress) ||
               (cast == CastDecoration && b->CastsShadow() == 1);
    };

    int32_t limit = BrightestLight;
    if (isHarvestableTree(buildingAt(x, y)))
        limit = std::min(limit, TreeShadowLight);
    if (const CBuilding* west = buildingAt(x - 1, y))
    {
        const int32_t kind = west->GetResourceKind();
        if (kind == ResourceTree || kind == ResourceRock || isTallBuilding(west))
            limit = std::min(limit, TreeShadowLight);
    }
    if (isHarvestableTree(buildingAt(x - 1, y + 1)))
        limit = std::min(limit, LightShadowLight);
    const CBuilding* farther = buildingAt(x - 2, y + 1);
    if (isHarvestableTree(farther))
        limit = std::min(limit, LightShadowLight);
    if (isTallBuilding(farther))
        limit = std::min(limit, TreeShadowLight);
    return limit;
}

void CGameMap::ComputeWaterLevels(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    for (int32_t x = bx0; x < bx1; ++x)
        for (int32_t y = by0; y < by1; ++y)
        {
            const int32_t lowest = std::min({0, CornerHeight(x, y), CornerHeight(x + 1, y), CornerHeight(x, y + 1),
                                             CornerHeight(x + 1, y + 1)});
            const int64_t level = -int64_t(lowest) / WaterLevelDivisor;
            Block(x, y).waterLevel = uint16_t(std::min<int64_t>(level, 0xFFFF));
        }
}

void CGameMap::TintDeepWater(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    for (int32_t cx = bx0; cx <= bx1; ++cx)
        for (int32_t cy = by0; cy <= by1; ++cy)
        {
            const int32_t corner = CornerHeight(cx, cy);
            if (corner >= DeepTintHeight)
                continue;
            const int64_t depth = -(int64_t(corner) - DeepTintHeight) / WaterLevelDivisor;
            if (depth == 0)
                continue;
            const int32_t factor = int32_t(std::min<int64_t>(BrightestLight, DeepTintScale / depth));
            int32_t& colour = cornerColours[cx * MapCornerSide + cy];
            colour = int32_t(GlobalFunc::ScaleColor(uint32_t(colour), factor));
        }
}

// Shore blocks are water blocks (level 6 and more) inside the border with
// at least one edge neighbour of shallow water or land; they get 0 here and
// their direction next.
void CGameMap::MarkShores(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    auto deep = [&](int32_t x, int32_t y) { return std::as_const(*this).Block(x, y).waterLevel >= ShallowWaterLevel; };
    for (int32_t x = bx0; x < bx1; ++x)
        for (int32_t y = by0; y < by1; ++y)
        {
            SMapBlock& block = Block(x, y);
            const bool border = x < 1 || y < 1 || x >= width - 1 || y >= height - 1;
            if (border || !deep(x, y) || (deep(x - 1, y) && deep(x + 1, y) && deep(x, y - 1) && deep(x, y + 1)))
                block.shoreDirection = NoShore;
            else
                block.shoreDirection = 0;
        }
}

// The mean, over the neighbouring shore blocks, of each one's mean step
// toward its shallow edge neighbours, as an angle.
uint16_t CGameMap::ComputeShoreDirection(int32_t x, int32_t y) const
{
    auto shallow = [&](int32_t bx, int32_t by) { return Block(bx, by).waterLevel < ShallowWaterLevel; };
    const CRangeTable& disc = ShoreDisc();
    float sumX = 0.0f;
    float sumY = 0.0f;
    int32_t contributions = 0;
    for (int32_t i = 0; i < disc.count; ++i)
    {
        const SRangeEntry& offset = disc.entries[i];
        const int32_t nx = x + offset.dx;
        const int32_t ny = y + offset.dy;
        if (offset.distance == 0 || nx < 1 || ny < 1 || nx >= width - 1 || ny >= height - 1)
            continue;
        if (Block(nx, ny).shoreDirection == NoShore)
            continue;
        static const int32_t EdgeSteps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        float stepX = 0.0f;
        float stepY = 0.0f;
        int32_t steps = 0;
        for (const auto& step : EdgeSteps)
            if (shallow(nx + step[0], ny + step[1]))
            {
                stepX += float(step[0]);
                stepY += float(step[1]);
                ++steps;
            }
        if (steps == 0)
            continue;
        sumX += stepX / float(steps);
        sumY += stepY / float(steps);
        ++contributions;
    }
    if (contributions == 0)
        return NoShore;
    const float meanX = sumX / float(contributions);
    const float meanY = sumY / float(contributions);
    return uint16_t(WholeDegrees(GlobalFunc::GetAngle(meanX, meanY, 0.0f, 0.0f)));
}

void CGameMap::SplitTriangles(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    for (int32_t x = bx0; x < bx1; ++x)
        for (int32_t y = by0; y < by1; ++y)
        {
            const int64_t rising = std::llabs(int64_t(CornerHeight(x + 1, y)) - CornerHeight(x, y + 1));
            const int64_t falling = std::llabs(int64_t(CornerHeight(x, y)) - CornerHeight(x + 1, y + 1));
            Block(x, y).triangleSplit = rising < falling ? 1 : 0;
        }
}

void CGameMap::ComputeDrawnColours(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    const CPlayer* local =
        (g_Players != nullptr && g_LocalPlayer >= 0 && g_LocalPlayer < MaxPlayers) ? &g_Players[g_LocalPlayer] : nullptr;
    for (int32_t cx = bx0; cx <= bx1; ++cx)
        for (int32_t cy = by0; cy <= by1; ++cy)
        {
            const int32_t corner = cx * MapCornerSide + cy;
            const int32_t visibility = local != nullptr ? local->GetVisibility(cx, cy) : BrightestLight;
            drawnColours[corner] = int32_t(GlobalFunc::ScaleColor(uint32_t(cornerColours[corner]), visibility));
        }
}

// Gentle blocks are open unless a building stands there; steep ones are
// closed unless a unit stands there, except deep water that lies wholly
// below the surface; a block marked impassable is always closed.
void CGameMap::ComputePassability(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1)
{
    for (int32_t x = bx0; x < bx1; ++x)
        for (int32_t y = by0; y < by1; ++y)
        {
            SMapBlock& block = Block(x, y);
            const int32_t corners[4] = {CornerHeight(x, y), CornerHeight(x + 1, y), CornerHeight(x, y + 1),
                                        CornerHeight(x + 1, y + 1)};
            const int32_t top = *std::max_element(corners, corners + 4);
            const bool gentle =
                std::all_of(corners, corners + 4, [&](int32_t c) { return int64_t(top) - c <= SteepestStep; });
            const bool submerged = std::all_of(corners, corners + 4, [](int32_t c) { return c < 1; });
            if (gentle)
            {
                if (block.building == nullptr)
                    block.blocked = 0;
            }
            else if (block.waterLevel >= ShipWaterLevel && submerged)
                block.blocked = 0;
            else if (block.unit == nullptr)
                block.blocked = 1;
            if (block.impassable)
                block.blocked = 1;
        }
}

// Ten passes of averaging each shore block's direction with those of its
// shore neighbours, as unit vectors, so that shore lines turn smoothly.
void CGameMap::SmoothShoreDirections()
{
    constexpr double Radians = 3.14159265358979323846 / 180.0;
    std::vector<float> current(size_t(MapBlockCount) * 2, 0.0f);
    std::vector<float> next(size_t(MapBlockCount) * 2, 0.0f);
    auto isShore = [&](int32_t x, int32_t y) { return IsOnMap(x, y) && std::as_const(*this).Block(x, y).shoreDirection != NoShore; };

    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            if (isShore(x, y))
            {
                const double angle = std::as_const(*this).Block(x, y).shoreDirection * Radians;
                current[size_t(x * MapBlockSide + y) * 2] = float(std::sin(angle));
                current[size_t(x * MapBlockSide + y) * 2 + 1] = float(std::cos(angle));
            }
    for (int32_t pass = 0; pass < ShoreSmoothingPasses; ++pass)
    {
        for (int32_t x = 0; x < width; ++x)
            for (int32_t y = 0; y < height; ++y)
            {
                if (!isShore(x, y))
                    continue;
                float sumX = 0.0f;
                float sumY = 0.0f;
                int32_t count = 0;
                for (int32_t nx = x - 1; nx <= x + 1; ++nx)
                    for (int32_t ny = y - 1; ny <= y + 1; ++ny)
                        if (isShore(nx, ny))
                        {
                            sumX += current[size_t(nx * MapBlockSide + ny) * 2];
                            sumY += current[size_t(nx * MapBlockSide + ny) * 2 + 1];
                            ++count;
                        }
                next[size_t(x * MapBlockSide + y) * 2] = sumX / float(count);
                next[size_t(x * MapBlockSide + y) * 2 + 1] = sumY / float(count);
            }
        current.swap(next);
    }
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            if (isShore(x, y))
            {
                const double sine = current[size_t(x * MapBlockSide + y) * 2];
                const double cosine = current[size_t(x * MapBlockSide + y) * 2 + 1];
                Block(x, y).shoreDirection = uint16_t(WholeDegrees(std::atan2(sine, cosine) / Radians));
            }
}

// Every block gets the number of its 8-connected region of land (water
// level below 7) or water.  The first block of a region is numbered too, so
// a lone block has an island of its own.
void CGameMap::AssignRegionIds()
{
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
            Block(x, y).regionId = NoRegion;
    std::unique_ptr<int32_t[]> queue(new int32_t[MapBlockCount]);
    uint16_t next = 0;
    for (int32_t x = 0; x < width; ++x)
        for (int32_t y = 0; y < height; ++y)
        {
            SMapBlock& block = Block(x, y);
            if (block.regionId != NoRegion || next == NoRegion)
                continue;
            block.regionId = next;
            FloodRegion(x, y, next, block.waterLevel >= RegionWaterLevel, queue);
            ++next;
        }
}

void CGameMap::FloodRegion(int32_t x, int32_t y, uint16_t id, bool water, std::unique_ptr<int32_t[]>& queue)
{
    int32_t head = 0;
    int32_t tail = 0;
    queue[tail++] = x * MapBlockSide + y;
    while (head < tail)
    {
        const int32_t cell = queue[head++];
        const int32_t cx = cell / MapBlockSide;
        const int32_t cy = cell % MapBlockSide;
        for (int32_t nx = cx - 1; nx <= cx + 1; ++nx)
            for (int32_t ny = cy - 1; ny <= cy + 1; ++ny)
            {
                if (!IsOnMap(nx, ny))
                    continue;
                SMapBlock& neighbour = Block(nx, ny);
                if (neighbour.regionId != NoRegion || (neighbour.waterLevel >= RegionWaterLevel) != water)
                    continue;
                neighbour.regionId = id;
                queue[tail++] = nx * MapBlockSide + ny;
            }
    }
}

void CGameMap::PlaceBuildingFootprint(const CBuilding& building, int32_t x, int32_t y, int32_t margin, int8_t amount)
{
    const int64_t grow = int64_t(building.GetClearance()) + margin;
    const int64_t left = int64_t(x) - grow;
    const int64_t top = int64_t(y) - grow;
    const int64_t right = left + building.GetWidth() + 2 * grow - 1;
    const int64_t bottom = top + building.GetDepth() + 2 * grow - 1;
    const int32_t x0 = int32_t(std::max<int64_t>(left, 0));
    const int32_t y0 = int32_t(std::max<int64_t>(top, 0));
    const int32_t x1 = int32_t(std::min<int64_t>(right, width - 1));
    const int32_t y1 = int32_t(std::min<int64_t>(bottom, height - 1));
    for (int32_t cx = x0; cx <= x1; ++cx)
        for (int32_t cy = y0; cy <= y1; ++cy)
        {
            uint8_t& cell = aiTiltMap[cx * MapBlockSide + cy];
            cell = uint8_t(cell + amount);
        }
}

void CGameMap::GetTileTransition(int32_t x, int32_t y)
{
    if (!IsOnMap(x, y))
        return;
    SMapBlock& block = Block(x, y);
    for (SMixPass& pass : block.mixPasses)
    {
        pass.texture = MixPassEnd;
        pass.pattern = 0;
    }
    block.mixPasses[0].texture = cornerTextures[x * MapCornerSide + y];
    block.mixPasses[0].pattern = MixPassEnd;
}

bool CGameMap::IsBlockFree(int32_t x, int32_t y, int32_t kind) const
{
    if (!IsOnMap(x, y))
        return false;
    const SMapBlock& block = Block(x, y);
    if (block.blocked || block.impassable || block.unit != nullptr || block.building != nullptr)
        return false;
    return IsGroundOfKind(x, y, kind);
}

bool CGameMap::IsGroundOfKind(int32_t x, int32_t y, int32_t kind) const
{
    if (!IsOnMap(x, y))
        return false;
    const SMapBlock& block = Block(x, y);
    if (kind == AreaKindLand)
        return block.waterLevel <= AreaLandMaxLevel;
    if (kind == AreaKindWater)
        return block.waterLevel >= AreaWaterMinLevel;
    return true;
}

bool CGameMap::IsAreaFree(int32_t x, int32_t y, int32_t n, int32_t kind) const
{
    if (x < 0 || y < 0)
        return false;
    if (n < 1)
        return true;
    for (int32_t i = 0; i < n; ++i)
        for (int32_t j = 0; j < n; ++j)
            if (!IsBlockFree(int32_t(std::min<int64_t>(int64_t(x) + i, MapBlockSide)),
                             int32_t(std::min<int64_t>(int64_t(y) + j, MapBlockSide)), kind))
                return false;
    return true;
}

bool CGameMap::HasFreeAreaNear(int32_t x, int32_t y, int32_t w, int32_t h, int32_t kind,
                               const CRangeTable& offsets) const
{
    if (w < 1 || h < 1)
        return true;
    for (int32_t k = 0; k < offsets.count; ++k)
    {
        const int64_t ax = int64_t(x) + offsets.entries[k].dx;
        const int64_t ay = int64_t(y) + offsets.entries[k].dy;
        if (ax < 0 || ay < 0 || ax + w > width || ay + h > height)
            continue;
        bool free = true;
        for (int32_t i = 0; i < w && free; ++i)
            for (int32_t j = 0; j < h && free; ++j)
                free = IsBlockFree(int32_t(ax) + i, int32_t(ay) + j, kind);
        if (free)
            return true;
    }
    return false;
}
