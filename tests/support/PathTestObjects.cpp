#include "tests/support/PathTestObjects.h"


namespace
{
constexpr int32_t Players = 8;
constexpr int32_t Side = MapBlockSide;
constexpr uint16_t WaterLevel = 8;
constexpr uint16_t ShoreLevel = 7;

// The direction codes' steps, clockwise from y - 1.
constexpr int32_t StepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t StepY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
} // namespace

PathTestUnit::PathTestUnit(int32_t owner, int32_t unitSize, float unitSpeed) : size(unitSize)
{
    player = owner;
    speed = unitSpeed;
    onMap = 1;
}

int32_t PathTestUnit::GetAttackRange(int32_t* base, int32_t* bonus) const
{
    if (!fights)
        return CUnit::GetAttackRange(base, bonus);
    *base = attackRange;
    *bonus = 0;
    return attackRange;
}

int32_t PathTestUnit::GetMinAttackRange() const
{
    return fights ? minimumAttackRange : CUnit::GetMinAttackRange();
}

PathTestBuilding::PathTestBuilding(int32_t buildCast, int32_t footprintWidth, int32_t footprintDepth,
                                   int32_t buildingOwner)
    : cast(buildCast), width(footprintWidth), depth(footprintDepth)
{
    owner = buildingOwner;
    buildProgress = FinishedProgress;
}

bool PathTestBuilding::CanPlaceAt(int32_t playerIndex, int32_t placement, int32_t flag1, int32_t flag2) const
{
    (void)playerIndex;
    (void)placement;
    (void)flag1;
    (void)flag2;
    triedPositions.push_back({x, y});
    if (placementMap == nullptr)
        return false;
    for (int32_t cx = x; cx < x + width; ++cx)
        for (int32_t cy = y; cy < y + depth; ++cy)
        {
            if (!placementMap->IsOnMap(cx, cy))
                return false;
            const SMapBlock& block = placementMap->Block(cx, cy);
            if (block.blocked || block.unit != nullptr || block.waterLevel >= 1)
                return false;
        }
    return true;
}

PathTestPlayers::PathTestPlayers()
    : m_Visibility(size_t(Players) * Side * Side, 255), m_Attacked(size_t(Players) * Side * Side, 0),
      m_UnitSight(size_t(Players) * Side * Side, 0), m_BuildingSight(size_t(Players) * Side * Side, 0)
{
    for (int32_t a = 0; a < Players; ++a)
        for (int32_t b = 0; b < Players; ++b)
            m_Allied[a][b] = a == b;
}

int32_t PathTestPlayers::Index(int32_t player, int32_t x, int32_t y)
{
    return (player * Side + x) * Side + y;
}

bool PathTestPlayers::IsValid(int32_t player, int32_t x, int32_t y)
{
    return player >= 0 && player < Players && x >= 0 && y >= 0 && x < Side && y < Side;
}

int32_t PathTestPlayers::GetVisibility(int32_t player, int32_t x, int32_t y) const
{
    return IsValid(player, x, y) ? m_Visibility[size_t(Index(player, x, y))] : 0;
}

bool PathTestPlayers::WasAttackedNear(int32_t player, int32_t x, int32_t y) const
{
    return IsValid(player, x, y) && m_Attacked[size_t(Index(player, x, y))] != 0;
}

int32_t PathTestPlayers::GetUnitSightCount(int32_t player, int32_t x, int32_t y) const
{
    return IsValid(player, x, y) ? m_UnitSight[size_t(Index(player, x, y))] : 0;
}

int32_t PathTestPlayers::GetBuildingSightCount(int32_t player, int32_t x, int32_t y) const
{
    return IsValid(player, x, y) ? m_BuildingSight[size_t(Index(player, x, y))] : 0;
}

bool PathTestPlayers::IsUnitAlliedWith(const CUnit& unit, int32_t player) const
{
    if (unit.player < 0 || unit.player >= Players || player < 0 || player >= Players)
        return false;
    return m_Allied[unit.player][player];
}

bool PathTestPlayers::IsBuildingFriendTo(const CBuilding& building, int32_t player) const
{
    if (building.owner == -1 || player == -1)
        return true;
    if (building.owner < 0 || building.owner >= Players || player < 0 || player >= Players)
        return false;
    return m_Allied[player][building.owner];
}

void PathTestPlayers::SetVisibility(int32_t player, int32_t x, int32_t y, uint8_t value)
{
    m_Visibility[size_t(Index(player, x, y))] = value;
}

void PathTestPlayers::SetAttacked(int32_t player, int32_t x, int32_t y)
{
    m_Attacked[size_t(Index(player, x, y))] = 1;
}

void PathTestPlayers::SetUnitSight(int32_t player, int32_t x, int32_t y, uint8_t count)
{
    m_UnitSight[size_t(Index(player, x, y))] = count;
}

void PathTestPlayers::SetBuildingSight(int32_t player, int32_t x, int32_t y, uint8_t count)
{
    m_BuildingSight[size_t(Index(player, x, y))] = count;
}

void PathTestPlayers::SetAllied(int32_t a, int32_t b, bool allied)
{
    m_Allied[a][b] = allied;
}

std::unique_ptr<CGameMap> MakePathTestMap(int32_t width, int32_t height)
{
    auto map = std::make_unique<CGameMap>();
    map->width = width;
    map->height = height;
    for (SMapBlock& block : map->AllBlocks())
    {
        block.waterLevel = 0;
        block.blocked = 0;
        block.regionId = 0;
        block.unit = nullptr;
        block.building = nullptr;
    }
    return map;
}

std::unique_ptr<CGameMap> MakePathTestMap(const std::vector<std::string>& rows)
{
    const int32_t height = int32_t(rows.size());
    const int32_t width = height > 0 ? int32_t(rows[0].size()) : 0;
    auto map = MakePathTestMap(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width && x < int32_t(rows[size_t(y)].size()); ++x)
        {
            SMapBlock& block = map->Block(x, y);
            switch (rows[size_t(y)][size_t(x)])
            {
            case '#':
                block.blocked = 1;
                break;
            case '~':
                block.waterLevel = WaterLevel;
                break;
            case ',':
                block.waterLevel = ShoreLevel;
                break;
            default:
                break;
            }
        }
    return map;
}

void PlacePathTestBuilding(CGameMap& map, CBuilding& building)
{
    for (int32_t cx = building.x; cx < building.x + building.GetWidth(); ++cx)
        for (int32_t cy = building.y; cy < building.y + building.GetDepth(); ++cy)
            if (map.IsOnMap(cx, cy))
            {
                map.Block(cx, cy).building = &building;
                map.Block(cx, cy).blocked = 1;
            }
}

void PlacePathTestUnit(CGameMap& map, CUnit& unit)
{
    for (int32_t cx = unit.x; cx < unit.x + unit.GetSize(); ++cx)
        for (int32_t cy = unit.y; cy < unit.y + unit.GetSize(); ++cy)
            if (map.IsOnMap(cx, cy))
                map.Block(cx, cy).unit = &unit;
}

std::vector<CPathFinder::SPoint> WalkRoute(int32_t startX, int32_t startY, const uint8_t* route, int32_t steps)
{
    std::vector<CPathFinder::SPoint> cells;
    int32_t x = startX;
    int32_t y = startY;
    for (int32_t i = steps - 1; i >= 0; --i)
    {
        const int32_t direction = route[i] & 7;
        x += StepX[direction];
        y += StepY[direction];
        cells.push_back({x, y});
    }
    return cells;
}

int64_t RouteCost(const uint8_t* route, int32_t steps)
{
    int64_t cost = 0;
    for (int32_t i = 0; i < steps; ++i)
        cost += (route[i] & 1) != 0 ? 14 : 10;
    return cost;
}

PathTestWorld::PathTestWorld(std::unique_ptr<CGameMap> testMap)
    : map(std::move(testMap)), finder(std::make_unique<CPathFinder>(*map)),
      m_Route(std::make_unique<SRouteBuffer>())
{
    finder->SetPlayers(&players);
    finder->Init(0, nullptr);
}

int32_t PathTestWorld::Find(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t size,
                            int32_t moveLayer, int32_t nearDistance, int32_t acceptDistance, CUnit* targetUnit,
                            CBuilding* targetBuilding)
{
    return finder->FindPath(startX, startY, goalX, goalY, size, moveLayer, nearDistance, acceptDistance, targetUnit,
                            targetBuilding, 0, 0, Route(), end);
}

std::vector<CPathFinder::SPoint> PathTestWorld::Cells(int32_t startX, int32_t startY, int32_t steps) const
{
    return WalkRoute(startX, startY, m_Route->steps, steps);
}
