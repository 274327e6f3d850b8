#pragma once
// Units, buildings, player answers and maps for the path finder tests: the searches only read what the
// base classes of units and buildings hold, so these small derived objects stand for every real type.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_PathFinderPlayers.h"

// It fights with the given ranges when `fights` is set, and otherwise answers as the base unit does.
class PathTestUnit : public CUnit
{
public:
    explicit PathTestUnit(int32_t owner = 0, int32_t unitSize = 1, float unitSpeed = 1.0f);

    int32_t GetSize() const override { return size; }
    bool CanAttackUnits() const override { return fights; }
    int32_t GetAttackRange(int32_t* base, int32_t* bonus) const override;
    int32_t GetMinAttackRange() const override { return fights ? minimumAttackRange : CUnit::GetMinAttackRange(); }

    int32_t size;
    bool fights = false;
    int32_t attackRange = 1, minimumAttackRange = 0;
};

// Its placement test is the one the searches rely on: every footprint block on the map, unblocked,
// without a unit and of water level below 1; every position tried is recorded.
class PathTestBuilding : public CBuilding
{
public:
    PathTestBuilding(int32_t cast, int32_t footprintWidth, int32_t footprintDepth, int32_t owner);

    int32_t GetMaxHitPoints() const override { return maxHitPoints; }
    int32_t GetWidth() const override { return width; }
    int32_t GetDepth() const override { return depth; }
    int32_t GetBuildCast() const override { return cast; }
    int32_t GetResourceKind() const override { return resourceKind; }
    bool IsStorage() const override { return storage; }
    bool CanPlaceAt(int32_t playerIndex, int32_t placement, int32_t flag1, int32_t flag2) const override;

    int32_t cast, width, depth;
    int32_t maxHitPoints = 100, resourceKind = 0;
    bool storage = false;
    const CGameMap* placementMap = nullptr;
    mutable std::vector<CPathFinder::SPoint> triedPositions;
};

// Player answers from plain grids per player and block (0 off the grids);
// alliances as a matrix, each player its own friend.
class PathTestPlayers : public CPathFinderPlayers
{
public:
    PathTestPlayers();

    int32_t GetVisibility(int32_t player, int32_t x, int32_t y) const override { return At(0, player, x, y); }
    bool WasAttackedNear(int32_t player, int32_t x, int32_t y) const override { return At(1, player, x, y) != 0; }
    int32_t GetUnitSightCount(int32_t player, int32_t x, int32_t y) const override { return At(2, player, x, y); }
    int32_t GetBuildingSightCount(int32_t player, int32_t x, int32_t y) const override { return At(3, player, x, y); }
    bool IsUnitAlliedWith(const CUnit& unit, int32_t player) const override;
    bool IsBuildingFriendTo(const CBuilding& building, int32_t player) const override;

    void SetVisibility(int32_t player, int32_t x, int32_t y, uint8_t value) { Cell(0, player, x, y) = value; }
    void SetAttacked(int32_t player, int32_t x, int32_t y) { Cell(1, player, x, y) = 1; }
    void SetUnitSight(int32_t player, int32_t x, int32_t y, uint8_t count) { Cell(2, player, x, y) = count; }
    void SetBuildingSight(int32_t player, int32_t x, int32_t y, uint8_t count) { Cell(3, player, x, y) = count; }
    void SetAllied(int32_t a, int32_t b, bool allied) { m_Allied[a][b] = allied; }

private:
    uint8_t& Cell(int grid, int32_t player, int32_t x, int32_t y)
    {
        return m_Grids[grid][size_t((player * MapBlockSide + x) * MapBlockSide + y)];
    }
    int32_t At(int grid, int32_t player, int32_t x, int32_t y) const;

    // Visibility, attack alerts, unit sight and building sight.
    std::vector<uint8_t> m_Grids[4];
    bool m_Allied[8][8];
};

// Open, dry, unblocked land blocks of region 0, on the heap (the map object is several megabytes).
std::unique_ptr<CGameMap> MakePathTestMap(int32_t width, int32_t height);

// Blocks drawn as text rows, one character per block: row r is y = r, column c is x = c.  '.' land, '#'
// blocked land, '~' water (level 8), ',' shore (level 7).  The map takes the rows' size.
std::unique_ptr<CGameMap> MakePathTestMap(const std::vector<std::string>& rows);

// Occupy the footprint (a building's blocks are blocked too) at its x, y.
void PlacePathTestBuilding(CGameMap& map, CBuilding& building);
void PlacePathTestUnit(CGameMap& map, CUnit& unit);

// The cells a route passes through, from the start (not included) to its end; routes are stored last step first.
std::vector<CPathFinder::SPoint> WalkRoute(int32_t startX, int32_t startY, const uint8_t* route, int32_t steps);
// Cost of a route: 10 per straight step, 14 per diagonal one.
int64_t RouteCost(const uint8_t* route, int32_t steps);

// A path finder over the map asking its own player answers, and a route buffer on the heap of exactly
// the units' size (so that a write past it is caught).
class PathTestWorld
{
public:
    explicit PathTestWorld(std::unique_ptr<CGameMap> testMap);

    // FindPath for a unit-less mover, into route and end.
    int32_t Find(int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, int32_t size = 1,
                 int32_t moveLayer = CPathFinder::LayerLand, int32_t nearDistance = 0, int32_t acceptDistance = 0,
                 CUnit* targetUnit = nullptr, CBuilding* targetBuilding = nullptr)
    {
        return finder->FindPath(startX, startY, goalX, goalY, size, moveLayer, nearDistance, acceptDistance,
                                targetUnit, targetBuilding, 0, 0, Route(), end);
    }
    // The cells of the last route found from the start.
    std::vector<CPathFinder::SPoint> Cells(int32_t startX, int32_t startY, int32_t steps) const
    {
        return WalkRoute(startX, startY, m_Route->steps, steps);
    }

    CPathFinder::Route& Route() { return m_Route->steps; }

    std::unique_ptr<CGameMap> map;
    PathTestPlayers players;
    std::unique_ptr<CPathFinder> finder;
    CPathFinder::SPoint end{};

private:
    struct SRouteBuffer { CPathFinder::Route steps; };
    std::unique_ptr<SRouteBuffer> m_Route;
};
