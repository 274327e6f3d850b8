#include "world/C_Player.h"

#include <cstring>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"
#include "world/C_PatternMoves.h"
#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

namespace
{
// Visibility modes: 0 shows every seen block whole, 1 softens seen blocks
// next to an unseen edge neighbour, 2 also next to an unseen diagonal one.
constexpr int32_t SoftenEdgeNeighbours = 1;
constexpr int32_t SoftenAllNeighbours = 2;
constexpr int32_t UnseenPercent = 50;
constexpr uint8_t FullyExplored = 255;
// Only the outer rim of a moving unit's sight changes: entries more than this
// far (tenths of a block) inside the farthest one are left alone.
constexpr int32_t SightRimDepth = 40;
// The soft ring of inner radius 1 and outer radius 7 grows a building's
// sight beyond its footprint.
constexpr int32_t BuildingSightRing = 5;
static_assert(CRangeTable::ExploredRowLength == MapCornerSide, "patterns index the explored map's corners");

bool IsCorner(int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x <= g_GameMap.GetWidth() && y <= g_GameMap.GetHeight();
}

int32_t Limit(int32_t value, int32_t last)
{
    if (value > last)
        value = last;
    return value < 0 ? 0 : value;
}
} // namespace

bool CPlayer::IsSeen(int32_t x, int32_t y) const
{
    const int32_t cell = x * MapBlockSide + y;
    return unitSightCounts[cell] > 0 || buildingSightCounts[cell] > 0 || constructionSiteCounts[cell] > 0;
}

bool CPlayer::HasUnseenNeighbour(int32_t x, int32_t y, bool diagonals) const
{
    const int32_t width = g_GameMap.GetWidth();
    const int32_t height = g_GameMap.GetHeight();
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            if ((dx == 0 && dy == 0) || (!diagonals && dx != 0 && dy != 0))
                continue;
            const int32_t nx = x + dx;
            const int32_t ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < width && ny < height && !IsSeen(nx, ny))
                return true;
        }
    return false;
}

int32_t CPlayer::GetVisibility(int32_t x, int32_t y) const
{
    x = Limit(x, g_GameMap.GetWidth() - 1);
    y = Limit(y, g_GameMap.GetHeight() - 1);
    const int32_t explored = exploredMap[x * MapCornerSide + y];
    if (!g_Config.fogOfWar)
        return explored;
    if (!IsSeen(x, y))
        return explored * UnseenPercent / 100;
    const int32_t mode = g_Config.visibilityMode;
    if (mode == SoftenEdgeNeighbours || mode == SoftenAllNeighbours)
    {
        if (HasUnseenNeighbour(x, y, mode == SoftenAllNeighbours))
            return (explored + explored * UnseenPercent / 100) / 2;
    }
    return explored;
}

bool CPlayer::IsCellSeen(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= MapBlockSide || y >= MapBlockSide)
        return false;
    if (g_Config.fogOfWar)
        return IsSeen(x, y);
    return exploredMap[x * MapCornerSide + y] > 0;
}

bool CPlayer::IsCellVisible(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= MapBlockSide || y >= MapBlockSide)
        return false;
    if (exploredMap[x * MapCornerSide + y] == 0)
        return false;
    return !g_Config.fogOfWar || IsSeen(x, y);
}

void CPlayer::RaiseCorner(int32_t cx, int32_t cy, uint8_t level)
{
    const int32_t corner = cx * MapCornerSide + cy;
    if (exploredMap[corner] >= level)
        return;
    exploredMap[corner] = level;
    if (IsLocal())
        g_GameMap.drawnColours[corner] =
            int32_t(GlobalFunc::ScaleColor(uint32_t(g_GameMap.cornerColours[corner]), level));
}

void CPlayer::RaiseBuildingCorners(const CBuilding& building, uint8_t level)
{
    for (int32_t cx = building.x; cx <= building.x + building.GetWidth(); ++cx)
        for (int32_t cy = building.y; cy <= building.y + building.GetDepth(); ++cy)
            if (IsCorner(cx, cy))
                RaiseCorner(cx, cy, level);
}

// A block off the map has no corner either, except on the far edges; a
// fully explored corner needs nothing, which is most of them once units
// have walked about, so that is tested first.
void CPlayer::ScanSightPattern(int32_t x, int32_t y, const CRangeTable& pattern)
{
    const int32_t width = g_GameMap.GetWidth();
    const int32_t height = g_GameMap.GetHeight();
    const CPatternMoves& moves = pattern.GetMoves();
    const int32_t reach = moves.GetReach();
    if (x - reach >= 0 && y - reach >= 0 && x + reach < width && y + reach < height)
    {
        // Wholly on the map: only the corners not yet fully explored need
        // the whole test.
        const int32_t* offsets = moves.GetGridOffsets();
        const uint8_t* centre = exploredMap + x * MapCornerSide + y;
        for (int32_t i = 0; i < pattern.count; ++i)
            if (centre[offsets[i]] != FullyExplored)
                ScanSightEntry(x, y, pattern.entries[i], width, height);
        return;
    }
    for (int32_t i = 0; i < pattern.count; ++i)
        ScanSightEntry(x, y, pattern.entries[i], width, height);
}

void CPlayer::ScanSightEntry(int32_t x, int32_t y, const SRangeEntry& entry, int32_t width, int32_t height)
{
    const int32_t cx = x + entry.dx;
    const int32_t cy = y + entry.dy;
    if (uint32_t(cx) > uint32_t(width) || uint32_t(cy) > uint32_t(height))
        return;
    if (exploredMap[cx * MapCornerSide + cy] == FullyExplored)
        return;
    if (cx < width && cy < height)
        if (const CBuilding* building = std::as_const(g_GameMap).Block(cx, cy).building)
            RaiseBuildingCorners(*building, entry.level);
    RaiseCorner(cx, cy, entry.level);
}

void CPlayer::RevealArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t level)
{
    for (int32_t cx = x1; cx <= x2; ++cx)
        for (int32_t cy = y1; cy <= y2; ++cy)
        {
            if (g_GameMap.IsOnMap(cx, cy) && exploredMap[cx * MapCornerSide + cy] != FullyExplored)
            {
                const CBuilding* building = std::as_const(g_GameMap).Block(cx, cy).building;
                if (building != nullptr)
                    RaiseBuildingCorners(*building, level);
            }
            if (IsCorner(cx, cy))
                RaiseCorner(cx, cy, level);
        }
}

void CPlayer::AddUnitSight(int32_t x, int32_t y, const CRangeTable& pattern, int8_t delta)
{
    for (int32_t i = 0; i < pattern.count; ++i)
    {
        const int32_t cx = x + pattern.entries[i].dx;
        const int32_t cy = y + pattern.entries[i].dy;
        if (g_GameMap.IsOnMap(cx, cy))
            unitSightCounts[cx * MapBlockSide + cy] = uint8_t(unitSightCounts[cx * MapBlockSide + cy] + delta);
    }
}

void CPlayer::MoveUnitSight(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, const CRangeTable& pattern)
{
    if (fromX == toX && fromY == toY)
        return;
    int32_t count = 0;
    const CPatternMoves::SChange* changes = pattern.GetMoves().Changes(toX - fromX, toY - fromY, &count);
    if (changes == nullptr)
    {
        AddUnitSight(fromX, fromY, pattern, -1);
        AddUnitSight(toX, toY, pattern, +1);
        return;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t cx = fromX + changes[i].dx;
        const int32_t cy = fromY + changes[i].dy;
        if (g_GameMap.IsOnMap(cx, cy))
            unitSightCounts[cx * MapBlockSide + cy] = uint8_t(unitSightCounts[cx * MapBlockSide + cy] + changes[i].delta);
    }
}

void CPlayer::AddBuildingSightAt(int32_t x, int32_t y, int8_t delta)
{
    if (g_GameMap.IsOnMap(x, y))
        buildingSightCounts[x * MapBlockSide + y] = uint8_t(buildingSightCounts[x * MapBlockSide + y] + delta);
}

void CPlayer::AddConstructionSite(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int8_t delta)
{
    for (int32_t x = x1; x <= x2; ++x)
        for (int32_t y = y1; y <= y2; ++y)
            if (g_GameMap.IsOnMap(x, y))
                constructionSiteCounts[x * MapBlockSide + y] =
                    uint8_t(constructionSiteCounts[x * MapBlockSide + y] + delta);
}

void CPlayer::RestoreConstructionSites()
{
    std::memset(constructionSiteCounts, 0, sizeof(constructionSiteCounts));
    const CGameMap& map = g_GameMap;
    for (int32_t x = 0; x < map.GetWidth(); ++x)
        for (int32_t y = 0; y < map.GetHeight(); ++y)
        {
            CBuilding* building = map.Block(x, y).building;
            // Each building once, at its corner block.
            if (building != nullptr && building->owner == index && building->x == x && building->y == y)
                building->RestoreConstructionMark();
        }
}

// The footprint rectangle plus the soft ring around it: a ring offset on an
// axis extends the whole edge outward, any other offset extends the corner
// it points at.
void CPlayer::AddBuildingSight(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int8_t delta)
{
    for (int32_t x = x1; x <= x2; ++x)
        for (int32_t y = y1; y <= y2; ++y)
            AddBuildingSightAt(x, y, delta);
    if (g_SoftRings == nullptr)
        return;
    const CRangeTable& ring = g_SoftRings[BuildingSightRing];
    for (int32_t i = 0; i < ring.count; ++i)
    {
        const int32_t dx = ring.entries[i].dx;
        const int32_t dy = ring.entries[i].dy;
        const int32_t edgeX = dx < 0 ? x1 + dx : x2 + dx;
        const int32_t edgeY = dy < 0 ? y1 + dy : y2 + dy;
        if (dx != 0 && dy != 0)
            AddBuildingSightAt(edgeX, edgeY, delta);
        else if (dx == 0 && dy != 0)
            for (int32_t x = x1; x <= x2; ++x)
                AddBuildingSightAt(x, edgeY, delta);
        else if (dy == 0 && dx != 0)
            for (int32_t y = y1; y <= y2; ++y)
                AddBuildingSightAt(edgeX, y, delta);
    }
}

void CPlayer::UpdateSightArea(int32_t x, int32_t y, const CRangeTable& pattern, uint8_t whole)
{
    if (!IsLocal() || pattern.count <= 0)
        return;
    const int32_t farthest = pattern.entries[pattern.count - 1].distance;
    for (int32_t i = pattern.count - 1; i >= 0; --i)
    {
        const SRangeEntry& entry = pattern.entries[i];
        if (!whole && entry.distance < farthest - SightRimDepth)
            break;
        const int32_t cx = x + entry.dx;
        const int32_t cy = y + entry.dy;
        if (!IsCorner(cx, cy))
            continue;
        const int32_t corner = cx * MapCornerSide + cy;
        g_GameMap.drawnColours[corner] =
            int32_t(GlobalFunc::ScaleColor(uint32_t(g_GameMap.cornerColours[corner]), GetVisibility(cx, cy)));
    }
}
