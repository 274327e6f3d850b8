#include "tests/support/PathTestObjects.h"

namespace
{
constexpr int32_t Players = 8;
constexpr size_t GridSize = size_t(Players) * MapBlockSide * MapBlockSide;

// The direction codes' steps, clockwise from y - 1.
constexpr int32_t StepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t StepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

bool IsPlayer(int32_t player) { return player >= 0 && player < Players; }
} // namespace

PathTestUnit::PathTestUnit(int32_t owner, int32_t unitSize, float unitSpeed) : size(unitSize)
{
    player = owner, speed = unitSpeed, onMap = 1;
}

int32_t PathTestUnit::GetAttackRange(int32_t* base, int32_t* bonus) const
{
    if (!fights) return CUnit::GetAttackRange(base, bonus);
    *base = attackRange, *bonus = 0;
    return attackRange;
}

PathTestBuilding::PathTestBuilding(int32_t buildCast, int32_t footprintWidth, int32_t footprintDepth,
                                   int32_t buildingOwner)
    : cast(buildCast), width(footprintWidth), depth(footprintDepth)
{
    owner = buildingOwner, buildProgress = FinishedProgress;
}

bool PathTestBuilding::CanPlaceAt(int32_t, int32_t, int32_t, int32_t) const
{
    triedPositions.push_back({x, y});
    if (placementMap == nullptr) return false;
    for (int32_t cx = x; cx < x + width; ++cx)
        for (int32_t cy = y; cy < y + depth; ++cy)
            if (const SMapBlock* block = placementMap->IsOnMap(cx, cy) ? &placementMap->Block(cx, cy) : nullptr;
                block == nullptr || block->blocked || block->unit != nullptr || block->waterLevel >= 1) return false;
    return true;
}

PathTestPlayers::PathTestPlayers()
    : m_Grids{std::vector<uint8_t>(GridSize, 255), std::vector<uint8_t>(GridSize, 0),
              std::vector<uint8_t>(GridSize, 0), std::vector<uint8_t>(GridSize, 0)}
{
    for (int32_t a = 0; a < Players; ++a) for (int32_t b = 0; b < Players; ++b) m_Allied[a][b] = a == b;
}

int32_t PathTestPlayers::At(int grid, int32_t player, int32_t x, int32_t y) const
{
    if (!IsPlayer(player) || x < 0 || y < 0 || x >= MapBlockSide || y >= MapBlockSide) return 0;
    return m_Grids[grid][size_t((player * MapBlockSide + x) * MapBlockSide + y)];
}

bool PathTestPlayers::IsUnitAlliedWith(const CUnit& unit, int32_t player) const
{
    return IsPlayer(unit.player) && IsPlayer(player) && m_Allied[unit.player][player];
}

bool PathTestPlayers::IsBuildingFriendTo(const CBuilding& building, int32_t player) const
{
    if (building.owner == -1 || player == -1) return true;
    return IsPlayer(building.owner) && IsPlayer(player) && m_Allied[player][building.owner];
}

std::unique_ptr<CGameMap> MakePathTestMap(int32_t width, int32_t height)
{
    auto map = std::make_unique<CGameMap>();
    map->width = width, map->height = height;
    for (SMapBlock& block : map->AllBlocks())
        block.waterLevel = 0, block.blocked = 0, block.regionId = 0, block.unit = nullptr, block.building = nullptr;
    return map;
}

std::unique_ptr<CGameMap> MakePathTestMap(const std::vector<std::string>& rows)
{
    const int32_t height = int32_t(rows.size());
    auto map = MakePathTestMap(height > 0 ? int32_t(rows[0].size()) : 0, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < map->width && x < int32_t(rows[size_t(y)].size()); ++x)
        {
            SMapBlock& block = map->Block(x, y);
            const char cell = rows[size_t(y)][size_t(x)];
            block.blocked = cell == '#' ? 1 : 0;
            block.waterLevel = cell == '~' ? 8 : cell == ',' ? 7 : 0;
        }
    return map;
}

void PlacePathTestBuilding(CGameMap& map, CBuilding& building)
{
    for (int32_t cx = building.x; cx < building.x + building.GetWidth(); ++cx)
        for (int32_t cy = building.y; cy < building.y + building.GetDepth(); ++cy)
            if (map.IsOnMap(cx, cy)) map.Block(cx, cy).building = &building, map.Block(cx, cy).blocked = 1;
}

void PlacePathTestUnit(CGameMap& map, CUnit& unit)
{
    for (int32_t cx = unit.x; cx < unit.x + unit.GetSize(); ++cx)
        for (int32_t cy = unit.y; cy < unit.y + unit.GetSize(); ++cy)
            if (map.IsOnMap(cx, cy)) map.Block(cx, cy).unit = &unit;
}

std::vector<CPathFinder::SPoint> WalkRoute(int32_t startX, int32_t startY, const uint8_t* route, int32_t steps)
{
    std::vector<CPathFinder::SPoint> cells;
    CPathFinder::SPoint at{startX, startY};
    for (int32_t i = steps - 1; i >= 0; --i)
        cells.push_back(at = {at.x + StepX[route[i] & 7], at.y + StepY[route[i] & 7]});
    return cells;
}

int64_t RouteCost(const uint8_t* route, int32_t steps)
{
    int64_t cost = 0;
    for (int32_t i = 0; i < steps; ++i) cost += (route[i] & 1) != 0 ? 14 : 10;
    return cost;
}

PathTestWorld::PathTestWorld(std::unique_ptr<CGameMap> testMap)
    : map(std::move(testMap)), finder(std::make_unique<CPathFinder>(*map)),
      m_Route(std::make_unique<SRouteBuffer>())
{
    finder->SetPlayers(&players), finder->Init(0, nullptr);
}
