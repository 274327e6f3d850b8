// The searches' edge cases on hand-made maps, and their answers on the benchmark's maps against recorded digests:
// any change to the search order, the tie rules, the cell tests or the start distance changes a digest.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include "bench/PathBenchMaps.h"
#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestLog.h"
#include "world/C_PathFinder.h"

namespace
{
constexpr int32_t Land = CPathFinder::LayerLand;

constexpr int32_t NoDanger = -1;
constexpr int32_t Forbid = CPathFinder::ForbiddingWeight;

int32_t Chebyshev(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return std::max(std::abs(x1 - x2), std::abs(y1 - y2));
}

// Every step goes to a neighbour the rule admits; the last cell is the end.
void ExpectRoute(PathTestWorld& world, int32_t x, int32_t y, int32_t steps,
                 const std::function<bool(const SMapBlock&)>& allowed = [](const SMapBlock&) { return true; })
{
    for (const auto& cell : world.Cells(x, y, steps))
    {
        ASSERT_LE(Chebyshev(cell.x, cell.y, x, y), 1);
        ASSERT_TRUE(allowed(world.map->Block(cell.x, cell.y))) << cell.x << "," << cell.y;
        x = cell.x, y = cell.y;
    }
    EXPECT_EQ(std::pair(x, y), std::pair(world.end.x, world.end.y));
}

template <class T> T& Placed(PathTestWorld& world, T& object, int32_t x, int32_t y)
{
    object.x = x, object.y = y;
    if constexpr (std::is_base_of_v<CUnit, T>) PlacePathTestUnit(*world.map, object);
    else PlacePathTestBuilding(*world.map, object);
    return object;
}

constexpr uint16_t OldId = 7;
constexpr uint16_t NewId = 40;

// Where the last search ended, and the searches failed so far.
std::tuple<int32_t, int32_t, int32_t> EndAndFailures(const PathTestWorld& world)
{
    return {world.end.x, world.end.y, world.finder->GetFailedSearches()};
}

int32_t SmartPath(PathTestWorld& world, int32_t sx, int32_t sy, int32_t gx, int32_t gy, int32_t land,
                  int32_t water, int32_t dangerPlayer = NoDanger, int32_t danger = 0, int32_t wall = 0)
{
    return world.finder->SmartAI_FindPath(sx, sy, gx, gy, dangerPlayer, 1, land, water, danger, wall, world.Route(),
                                          world.end);
}

using namespace PathBenchMaps;

// Search i on the finder, into the route and end; its steps.
using Search = std::function<int32_t(int32_t, CPathFinder&, CPathFinder::Route&, CPathFinder::SPoint&)>;

// The digest of everything the searches answer, appended in a fixed layout: steps, end, cells expanded, failed
// searches so far and the route.
uint32_t Digest(const SBenchMap& bench, int32_t searches, const Search& search)
{
    auto finder = std::make_unique<CPathFinder>(*bench.map);
    CPathFinder::Route route{};
    CPathFinder::SPoint end{};
    CRecordBytes record;
    finder->Init(0, nullptr);
    for (int32_t i = 0; i < searches; ++i)
    {
        const int32_t steps = search(i, *finder, route, end);
        record.I32(steps).I32(end.x).I32(end.y).I32(finder->GetExpandedCells()).I32(finder->GetFailedSearches());
        record.Text(std::string(route, route + steps));
    }
    return CCRC32().Calculate(record.Bytes().data(), int(record.Bytes().size()));
}

// A resource site for the breadth-first searches.
class RecordedTree : public CBuilding
{
public:
    int32_t GetBuildCast() const override { return 10; }
    int32_t GetResourceKind() const override { return 2; }
};

} // namespace

TEST(PathFinderRoute, UnitsInTheWayBlockUnlessTheyWalkAsFastOrAreAMeleeChasersEnemies)
{
    // The blocker's owner, walking and speed; the searching unit's range (0:
    // it does not fight); whether the route passes.
    const std::tuple<const char*, int32_t, uint8_t, float, int32_t, bool> cases[] = {
        {"standing", 0, 0, 5.0f, 0, false},          {"walking faster", 0, 1, 2.0f, 0, true},
        {"walking as fast", 0, 1, 1.0f, 0, true},    {"walking slower", 0, 1, 0.5f, 0, false},
        {"melee through an enemy", 1, 0, 1.0f, 1, true}, {"melee through an ally", 2, 0, 1.0f, 1, false},
        {"melee through its own", 0, 0, 1.0f, 1, false}, {"archer through an enemy", 1, 0, 1.0f, 5, false},
        {"worker after a catapult's Init", 1, 0, 1.0f, 0, true}};
    for (const auto& [name, blockerPlayer, walking, blockerSpeed, range, passes] : cases)
    {
        SCOPED_TRACE(name);
        PathTestWorld world(MakePathTestMap({"##########", "..........", "##########"}));
        world.players.SetAllied(2, 0, true);
        // Each Init takes the ranges of its own unit: after a catapult the base unit chases as a melee unit.
        PathTestUnit catapult(0), self(0), blocker(blockerPlayer, 1, blockerSpeed), target(1);
        catapult.fights = true, catapult.attackRange = 8, catapult.minimumAttackRange = 3;
        world.finder->Init(0, &catapult);
        self.fights = range > 0, self.attackRange = self.fights ? range : 1, blocker.pathFlag = walking;
        Placed(world, blocker, 4, 1), Placed(world, target, 9, 1);
        world.finder->Init(0, &Placed(world, self, 0, 1));
        const int32_t steps = world.Find(0, 1, 9, 1, 1, Land, 0, 0, &target);
        EXPECT_EQ(steps == 8 && world.end.x == 8, passes);
        EXPECT_EQ(world.finder->GetFailedSearches(), passes ? 0 : 1);
    }
}

TEST(PathFinderRoute, OutOfMapStartsGoalsAndSizesFailCleanlyAndRouteEndsMoveToFreeCellsTowardEachOther)
{
    CTestLog log;
    PathTestWorld world(MakePathTestMap(10, 10));
    PathTestUnit farAway(1);
    farAway.x = 4000, farAway.y = -4000;
    // Name, start, size and target of the search.  A target so far off that no cell lies within the search's
    // reach fails at the start like the rest.
    const std::tuple<const char*, int32_t, int32_t, int32_t, CUnit*> cases[] = {
        {"start left", -1, 3, 1, nullptr},     {"start right", 10, 3, 1, nullptr},
        {"start below", 3, 10, 1, nullptr},    {"start above", 3, -1, 1, nullptr},
        {"huge start", 2147483647, 0, 1, nullptr},
        {"size 0", 3, 3, 0, nullptr},          {"size -2", 3, 3, -2, nullptr},
        {"size past map", 0, 0, 11, nullptr},  {"footprint out", 9, 9, 2, nullptr},
        {"target far off the map", 3, 3, 1, &farAway}};
    int32_t failures = 0;
    for (const auto& [name, startX, startY, size, target] : cases)
    {
        SCOPED_TRACE(name);
        world.Route()[0] = 0xEE;
        EXPECT_EQ(world.Find(startX, startY, 5, 5, size, Land, 0, 0, target), 0);
        EXPECT_EQ(EndAndFailures(world), std::tuple(startX, startY, ++failures));
        EXPECT_EQ(world.Route()[0], 0xEE);
    }
    EXPECT_EQ(world.finder->GetFinishedSearches(), 0);
    EXPECT_TRUE(log.Contains("#DEBUG: CPathFinder::FindPath -> start or size outside the map"));
    // A goal off the map is brought onto it, beyond the north edge to row 0 and beyond the west to column 0.
    EXPECT_TRUE(world.Find(5, 5, 5, -7) == 5 && world.end.x == 5 && world.end.y == 0);
    EXPECT_TRUE(world.Find(5, 5, -7, 5) == 5 && world.end.x == 0 && world.end.y == 5);

    // Both ends of a route between two points move to free cells toward each other.
    PathTestWorld ends(MakePathTestMap(20, 10));
    for (int32_t x = 14; x < 20; ++x) for (int32_t y = 0; y < 10; ++y) ends.map->Block(x, y).waterLevel = 8;
    CPathFinder::SPoint first{}, second{};
    // The first point lies at sea: it moves ashore toward the second.
    EXPECT_EQ(ends.finder->FindPathAI(17, 5, 2, 5, 1, CPathFinder::LayerLand, first, second), 0);
    EXPECT_EQ(std::tuple(first.x, first.y, second.x, second.y), std::tuple(13, 5, 2, 5));
    // Points off the map are brought onto it.
    ends.finder->FindPathAI(-40, 3, 500, 500, 2, CPathFinder::LayerLand, first, second);
    EXPECT_EQ(std::tuple(first.x, first.y, second.x), std::tuple(0, 3, 12));
    EXPECT_TRUE(second.y >= 3 && second.y <= 8) << second.y;
    ends.finder->FindPathAI(3, -40, 5, 5, 2, CPathFinder::LayerLand, first, second);
    EXPECT_EQ(std::tuple(first.x, first.y, second.x, second.y), std::tuple(3, 0, 5, 5));
}

TEST(PathFinderRoute, TheStartDistanceIsMeasuredToTheGoalAsGivenBeforeOffsetsAndTargets)
{
    // A row of 10 blocks: cells farther than the start distance plus 30 tenths from the goal are not
    // explored.  The goal given, its x offset, a target unit's x (-1: none), the near and accept distances;
    // the steps, end x and whether the search failed (the route then ends at the closest cell it reached).
    // A goal past the edge is searched for all the same: a target or a distance from it ends the search.
    constexpr int32_t Far = std::numeric_limits<int32_t>::max();
    const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, bool>
        cases[] = {
            {"offset goal at the limit", 0, 0, 4, -1, 0, 0, 4, 4, false},
            {"offset goal past the limit", 0, 0, 5, -1, 0, 0, 0, 0, true},
            {"offset back toward the start", 9, 0, -4, -1, 0, 0, 5, 5, false},
            {"target at the limit", 0, 0, 0, 4, 0, 0, 3, 3, false},
            {"target past the limit", 0, 0, 0, 5, 0, 0, 0, 0, true},
            {"target where the goal is", 6, 0, 0, 6, 0, 0, 5, 5, false},
            {"goal far beyond the grid", Far, -Far - 1, 0, -1, 0, 0, 9, 9, false},
            {"target at the edge, offset past it", 9, 0, 3, 9, 0, 0, 8, 8, false},
            {"accept distance reaching in from past the edge", 12, 0, 0, -1, 0, 3, 8, 8, false},
            {"accept distance short of the edge", 13, 0, 0, -1, 0, 3, 9, 9, true},
            {"near distance past the edge", 12, 0, 0, -1, 2, 0, 9, 9, true},
            {"accept distance far beyond the grid", Far, 0, 0, -1, 0, 3, 9, 9, true}};
    for (const auto& [name, goalX, goalY, offsetX, targetX, nearDistance, accept, steps, endX, failed] : cases)
    {
        SCOPED_TRACE(name);
        PathTestWorld world(MakePathTestMap({".........."}));
        PathTestUnit target(1);
        CUnit* targetUnit = targetX < 0 ? nullptr : &Placed(world, target, targetX, 0);
        EXPECT_EQ(world.finder->FindPath(0, 0, goalX, goalY, 1, Land, nearDistance, accept, targetUnit, nullptr,
                                         offsetX, 0, world.Route(), world.end), steps);
        EXPECT_EQ(EndAndFailures(world), std::tuple(endX, 0, failed ? 1 : 0));
    }

    // A goal inside rock moves to (11, 1), 10 blocks from the start, but the start distance stays the
    // 17 blocks to the goal given: the way round the wall, through (6, 18), lies 17.7 blocks from (11, 1),
    // within the 23 allowed (and beyond the 16 the moved goal would allow).
    std::vector<std::string> rows(19, "......#.....########");
    rows[1][11] = '.', rows[18][6] = '.';
    PathTestWorld world(MakePathTestMap(rows));
    const int32_t steps = world.Find(1, 1, 18, 1);
    ExpectRoute(world, 1, 1, steps, [](const SMapBlock& b) { return !b.blocked; });
    EXPECT_EQ(EndAndFailures(world), std::tuple(11, 1, 0));
}

TEST(PathFinderRoute, RoutesUpToTheBufferAreWholeAndALongerOneIsCutAfterItsFirstStepsAndGoesOnFromItsEnd)
{
    // 64 lanes of 34 blocks joined at alternate ends: about 2,200 steps, whose costs pass 20,000 tenths.
    constexpr int32_t Width = 128;
    constexpr int32_t Height = 34;
    std::vector<std::string> rows(Height, std::string(Width, '.'));
    for (int32_t wall = 1; wall < Width; wall += 2)
        for (int32_t y = 0; y < Height; ++y)
            if (y != ((wall / 2) % 2 == 0 ? Height - 1 : 0)) rows[size_t(y)][size_t(wall)] = '#';
    PathTestWorld world(MakePathTestMap(rows));
    const int32_t goalX = Width - 2;
    // A short search first: its costs must not be taken for the long one's.
    ASSERT_GT(world.Find(goalX, Height - 1, goalX, 0), 0);

    int32_t x = 0, y = 0, legs = 0, totalSteps = 0;
    while (legs < 8 && !(x == goalX && y == 0))
    {
        const int32_t steps = world.Find(x, y, goalX, 0);
        ASSERT_GT(steps, 0);
        ExpectRoute(world, x, y, steps, [](const SMapBlock& b) { return !b.blocked; });
        EXPECT_TRUE((world.end.x == goalX && world.end.y == 0) || steps == CPathFinder::RouteCapacity) << steps;
        x = world.end.x, y = world.end.y, totalSteps += steps, ++legs;
    }
    EXPECT_EQ(EndAndFailures(world), std::tuple(goalX, 0, 0));
    EXPECT_TRUE(legs >= 4 && totalSteps * CPathFinder::StraightStepCost > 20000) << legs << " " << totalSteps;

    // A one-block corridor winding through columns of 5 blocks: cell k of it lies in column 2 (k / 6), running down in
    // even columns and up in odd ones, with the joins in the walls between.  Goals 511, 512 and 513 steps along it.
    const auto cell = [](int32_t k) {
        const int32_t m = k / 6, j = k % 6;
        const bool down = m % 2 == 0;
        return j == 5 ? std::pair(2 * m + 1, down ? 4 : 0) : std::pair(2 * m, down ? j : 4 - j);
    };
    std::vector<std::string> corridor(5, std::string(172, '.'));
    for (int32_t x = 1; x < 172; x += 2)
        for (int32_t y = 0; y < 5; ++y) corridor[size_t(y)][size_t(x)] = y == ((x / 2) % 2 == 0 ? 4 : 0) ? '.' : '#';
    PathTestWorld winding(MakePathTestMap(corridor));
    for (const int32_t length : {511, 512, 513})
    {
        SCOPED_TRACE(length);
        const auto [goalX, goalY] = cell(length);
        const int32_t steps = winding.Find(0, 0, goalX, goalY);
        const int32_t kept = std::min(length, CPathFinder::RouteCapacity);
        ASSERT_EQ(steps, kept);
        const auto cells = winding.Cells(0, 0, steps);
        for (int32_t k = 1; k <= kept; ++k)
            ASSERT_EQ(std::pair(cells[size_t(k - 1)].x, cells[size_t(k - 1)].y), cell(k)) << k;
        EXPECT_EQ(EndAndFailures(winding), std::tuple(cell(kept).first, cell(kept).second, 0));
    }
    // The rest of the cut route from where it ended.
    EXPECT_EQ(winding.Find(winding.end.x, winding.end.y, cell(513).first, cell(513).second), 1);
}

TEST(PathFinderTargets, BesideMeansNoStepsEveryMissCountsAFailureAndStorageAndKeepSearchesHaveNoStepLimit)
{
    // Beside is a straight step away: a diagonal step onto a building passes its own blocked corner.
    PathTestWorld world(MakePathTestMap(40, 40));
    CPathFinder& finder = *world.finder;
    PathTestBuilding mine(10, 2, 2, -1);
    mine.resourceKind = 4;
    Placed(world, mine, 5, 5);
    PathTestBuilding enemyStore(3, 2, 2, 1);
    enemyStore.storage = true;
    Placed(world, enemyStore, 20, 20);
    world.end = {-1, -1};
    EXPECT_EQ(finder.FindResource(4, 5, 4, 0, 0, world.Route(), world.end), 0);
    EXPECT_TRUE(finder.GetTargetBuilding() == &mine && std::pair(world.end.x, world.end.y) == std::pair(4, 5));

    // An unexplored mine, nothing to find, and starts off the map: every search fails cleanly.
    for (int32_t x = 5; x < 7; ++x) for (int32_t y = 5; y < 7; ++y) world.players.SetVisibility(0, x, y, 0);
    CPathFinder::Route& route = world.Route();
    CPathFinder::SPoint& end = world.end;
    const int32_t results[] = {
        finder.FindResource(8, 5, 4, 1, 0, route, end), finder.FindStorage(1, 1, route, end),
        finder.FindGarrisonKeep(1, 1, route, end), finder.FindBuildSite(1, 1, 0, route, end),
        finder.FindStorage(-1, 0, route, end), finder.FindResource(40, 0, 2, 0, 0, route, end),
        finder.FindGarrisonKeep(0, 300, route, end), finder.FindBuildSite(0, -9, 5, route, end),
        finder.FindCoastToUngarrison(39, 39, 2, 0, route, end), finder.FindUngarrisonPos(0, 0, 0, 0, end)};
    EXPECT_TRUE(std::vector<int32_t>(std::begin(results), std::end(results)) == std::vector<int32_t>(10, 0) &&
                finder.GetTargetBuilding() == nullptr);
    EXPECT_EQ(std::pair(finder.GetFailedSearches(), finder.GetFinishedSearches()), std::pair(10, 1));

    // Storage and keep searches have no step limit and exhaust what they reach: across the widest map, and on a
    // map without one, where every cell west of a rock wall is expanded.
    PathTestWorld wide(MakePathTestMap(256, 1));
    PathTestBuilding warehouse(7, 1, 1, 0);
    warehouse.storage = true;
    Placed(wide, warehouse, 255, 0);
    EXPECT_EQ(wide.finder->FindStorage(0, 0, wide.Route(), wide.end), 254);
    warehouse.cast = 11;
    EXPECT_TRUE(wide.finder->FindGarrisonKeep(0, 0, wide.Route(), wide.end) == 254 && wide.end.x == 254 &&
                wide.end.y == 0);

    PathTestWorld walled(MakePathTestMap(120, 2));
    for (int32_t y = 0; y < 2; ++y) walled.map->Block(100, y).blocked = 1;
    EXPECT_TRUE(walled.finder->FindStorage(0, 0, walled.Route(), walled.end) == 0 &&
                walled.finder->GetExpandedCells() == 200);
    EXPECT_EQ(walled.finder->FindGarrisonKeep(99, 1, walled.Route(), walled.end), 0);
    EXPECT_EQ(std::pair(walled.finder->GetExpandedCells(), walled.finder->GetFailedSearches()), std::pair(200, 2));
}

TEST(PathFinderTargets, EachSearchFindsOnlyItsOwnKindOfBuildingWithinItsStepLimit)
{
    // A row with the building at x 6: found from x 5, 5 straight steps from the start, at a cost of 60.
    // The building's cast (warehouses and keeps store), progress, health percent (of 100 hit points:
    // living from 1 hit point), owner, a garrison, a unit on its block, the step limit; whether it is
    // found.  Resource sites are gold (kind 4); Wood searches for trees.
    enum ESearch { Site, Keep, Gold, Wood, Storage };
    const std::tuple<const char*, ESearch, int32_t, float, float, int32_t, bool, bool, int32_t, bool> cases[] = {
        {"site at 99.9", Site, 2, 99.9f, 100.0f, 0, false, false, 7, true},
        {"site finished", Site, 2, 100.0f, 100.0f, 0, false, false, 0, false},
        {"site at 1 hit point", Site, 2, 0.0f, 1.0f, 0, false, false, 0, true},
        {"site at 0.5 hit points", Site, 2, 0.0f, 0.5f, 0, false, false, 0, false},
        {"site of another player", Site, 2, 50.0f, 100.0f, 1, false, false, 0, false},
        {"site with a unit on it", Site, 2, 50.0f, 100.0f, 0, false, true, 0, false},
        {"site one step too far", Site, 2, 50.0f, 100.0f, 0, false, false, 6, false},
        {"empty keep", Keep, 11, 100.0f, 100.0f, 0, false, false, 0, true},
        {"keep under construction", Keep, 11, 10.0f, 100.0f, 0, false, false, 0, true},
        {"garrisoned keep", Keep, 11, 100.0f, 100.0f, 0, true, false, 0, false},
        {"keep of another player", Keep, 11, 100.0f, 100.0f, 2, false, false, 0, false},
        {"ruined keep", Keep, 11, 100.0f, 0.0f, 0, false, false, 0, false},
        {"castle", Keep, 1, 100.0f, 100.0f, 0, false, false, 0, false},
        {"gold within the step limit", Gold, 10, 100.0f, 100.0f, -1, false, false, 7, true},
        {"gold one step too far", Gold, 10, 100.0f, 100.0f, -1, false, false, 6, false},
        {"gold when wood is wanted", Wood, 10, 100.0f, 100.0f, -1, false, false, 0, false},
        {"own warehouse", Storage, 7, 100.0f, 100.0f, 0, false, false, 0, true},
        {"keep as a storage", Storage, 11, 100.0f, 100.0f, 0, false, false, 0, true},
        {"house", Storage, 5, 100.0f, 100.0f, 0, false, false, 0, false},
        {"warehouse of another player", Storage, 7, 100.0f, 100.0f, 3, false, false, 0, false},
        {"ruined warehouse", Storage, 7, 100.0f, 0.0f, 0, false, false, 0, false}};
    for (const auto& [name, search, cast, progress, health, owner, garrisoned, unitOn, stepLimit, found] : cases)
    {
        SCOPED_TRACE(name);
        PathTestWorld world(MakePathTestMap({"..........."}));
        PathTestBuilding building(cast, 1, 1, owner);
        building.buildProgress = progress, building.health = health, building.resourceKind = 4;
        building.storage = cast == 7 || cast == 11;
        PathTestUnit king(0), worker(0);
        building.garrisonedUnit = garrisoned ? &king : nullptr;
        Placed(world, building, 6, 0);
        if (unitOn) Placed(world, worker, 6, 0);
        CPathFinder& finder = *world.finder;
        CPathFinder::Route& route = world.Route();
        const int32_t steps = search == Site      ? finder.FindBuildSite(0, 0, stepLimit, route, world.end)
                              : search == Keep    ? finder.FindGarrisonKeep(0, 0, route, world.end)
                              : search == Storage ? finder.FindStorage(0, 0, route, world.end)
                                                  : finder.FindResource(0, 0, search == Gold ? 4 : 2, 0, stepLimit,
                                                                        route, world.end);
        EXPECT_TRUE(!found || std::pair(world.end.x, world.end.y) == std::pair(5, 0));
        EXPECT_EQ(std::tuple(steps, world.finder->GetTargetBuilding(), world.finder->GetFailedSearches()),
                  std::tuple(found ? 5 : 0, found ? &building : nullptr, found ? 0 : 1));
    }
}

TEST(PathFinderShips, TheUnloadedUnitsWholeFootprintIsFreeLandNearTheShipWhichStopsBesideFreeLandWithinItsLimit)
{
    // A 2 x 2 unit leaves the ship at (1, 1).  Its footprint is scanned x outer, y inner: a blocked block, or another
    // player's unit, ends the scan as a dead end when it comes first, and as a waypoint to go on from otherwise; an own
    // unit makes a waypoint.  The blocks held, by whom (a player, or -1: rock), the step limit; the end (-1: none).
    const std::tuple<const char*, std::vector<CPathFinder::SPoint>, int32_t, int32_t, CPathFinder::SPoint> cases[] = {
        {"free beside the ship", {}, 0, 0, {2, 1}}, {"one straight step allowed", {}, 0, 2, {2, 1}},
        {"no step allowed", {}, 0, 1, {-1, -1}}, {"own unit in the footprint", {{2, 2}}, 0, 0, {2, 0}},
        {"foreign unit first, then second", {{2, 1}}, 1, 0, {3, 0}}, {"rock beside it", {{4, 1}}, -1, 0, {2, 1}},
        {"rock first: a dead end, and a cut corner", {{2, 1}}, -1, 0, {-1, -1}},
        {"rock last: waypoints round it", {{3, 1}}, -1, 0, {4, 0}},
        {"walled in", {{2, 0}, {2, 1}, {2, 2}}, 1, 0, {-1, -1}}};
    for (const auto& [name, held, holder, stepLimit, expected] : cases)
    {
        SCOPED_TRACE(name);
        PathTestWorld world(MakePathTestMap({"~~....", "~~....", "~~...."}));
        std::deque<PathTestUnit> units;
        for (const CPathFinder::SPoint& at : held)
        {
            if (holder < 0) world.map->Block(at.x, at.y).blocked = 1;
            else Placed(world, units.emplace_back(holder), at.x, at.y);
        }
        const bool found = expected.x >= 0;
        EXPECT_EQ(world.finder->FindUngarrisonPos(1, 1, 2, stepLimit, world.end), found ? 1 : 0);
        EXPECT_TRUE(world.finder->GetFailedSearches() == (found ? 0 : 1) &&
                    (!found || std::pair(world.end.x, world.end.y) == std::pair(expected.x, expected.y)));
    }

    // The ship stops beside free land, not blocked land, within its step limit.
    PathTestWorld coast(MakePathTestMap({"~~~#.", "~~~~."}));
    PathTestUnit ship(0, 1, 1.0f);
    coast.finder->Init(0, &Placed(coast, ship, 0, 0));
    EXPECT_EQ(coast.finder->FindCoastToUngarrison(0, 0, 1, 0, coast.Route(), coast.end), 3);
    EXPECT_EQ(EndAndFailures(coast), std::tuple(3, 1, 0));
    // The land at (3, 0) is met at a cost of 30: a limit of 4 steps reaches it, one of 3 does not.
    PathTestWorld row(MakePathTestMap({"~~~."}));
    for (const auto& [limit, steps] : {std::pair(4, 2), std::pair(3, 0), std::pair(0, 2)})
        EXPECT_TRUE(row.finder->FindCoastToUngarrison(0, 0, 1, limit, row.Route(), row.end) == steps &&
                    row.end.x == steps) << limit;
    EXPECT_EQ(row.finder->GetFailedSearches(), 1);
}

TEST(PathFinderFlood, LandAndWaterFillsRelabelTheirEightConnectedAreaFromOnTheMapToANewIdUpToTheLargestMap)
{
    // ',' is shore (level 7), filled as water; '#' holds another id.  The
    // ids after the fill: 'n' new, 'o' old, '3' the other.
    const auto fill = [](bool water, int32_t x, int32_t y)
    {
        PathTestWorld world(MakePathTestMap({"..~~..", ".#~,#.", "..~...", "~~.~.."}));
        for (SMapBlock& block : world.map->AllBlocks()) block.regionId = block.blocked ? 3 : OldId;
        if (water) world.finder->FloodFillWater(x, y, OldId, NewId);
        else world.finder->FloodFillLand(x, y, OldId, NewId);
        std::vector<std::string> ids(4, std::string(6, 'o'));
        for (int32_t i = 0; i < 24; ++i)
        {
            const uint16_t id = world.map->Block(i % 6, i / 6).regionId;
            ids[size_t(i / 6)][size_t(i % 6)] = id == NewId ? 'n' : (id == OldId ? 'o' : '3');
        }
        return ids;
    };
    EXPECT_EQ(fill(false, 0, 0), (std::vector<std::string>{"nnoonn", "n3oo3n", "nnonnn", "oononn"}));
    EXPECT_EQ(fill(true, 2, 0), (std::vector<std::string>{"oonnoo", "o3nn3o", "oonooo", "nnonoo"}));
    // A fill ends with its own area: water apart from it, beside the map's first block, keeps its id.
    PathTestWorld apart(MakePathTestMap({"....~~", ".~....", "......"}));
    for (SMapBlock& block : apart.map->AllBlocks()) block.regionId = OldId;
    apart.finder->FloodFillWater(4, 0, OldId, NewId);
    EXPECT_TRUE(apart.map->Block(5, 0).regionId == NewId && apart.map->Block(1, 1).regionId == OldId);

    // The same id, or a start off the map, changes nothing; the largest map fills whole.
    PathTestWorld world(MakePathTestMap(256, 256));
    for (SMapBlock& block : world.map->AllBlocks()) block.regionId = OldId;
    const auto allAre = [&](uint16_t id)
    { return std::ranges::all_of(world.map->AllBlocks(), [&](const SMapBlock& b) { return b.regionId == id; }); };
    world.finder->FloodFillLand(5, 5, OldId, OldId), world.finder->FloodFillLand(-1, 5, OldId, NewId);
    world.finder->FloodFillWater(5, 256, OldId, NewId);
    EXPECT_TRUE(allAre(OldId));
    world.finder->FloodFillLand(128, 128, OldId, NewId);
    EXPECT_TRUE(allAre(NewId));
}

TEST(PathFinderBuildingPlace, FoundPlacePassesItsTestPastTheNearStepsAndAttackedPlacesOnTheStartIslandUnlessItIsDocks)
{
    PathTestWorld world(MakePathTestMap(30, 30));
    PathTestBuilding probe(4, 2, 2, 0);
    probe.placementMap = world.map.get();
    for (int32_t y = 2; y <= 8; ++y) world.map->Block(6, y).blocked = 1;
    ASSERT_TRUE(world.finder->FindBuildingPlace(5, 5, &probe, 0, 0, 7, world.end));
    EXPECT_EQ(EndAndFailures(world), std::tuple(probe.x, probe.y, 0));
    EXPECT_TRUE(probe.CanPlaceAt(0, 7, 1, 1) && world.finder->GetTargetBuilding() == &probe);

    // Near steps are crossed without a placement test.
    probe.triedPositions.clear();
    ASSERT_TRUE(world.finder->FindBuildingPlace(15, 15, &probe, 3, 0, 0, world.end));
    ASSERT_FALSE(probe.triedPositions.empty());
    for (const auto& tried : probe.triedPositions) EXPECT_GE(Chebyshev(tried.x, tried.y, 15, 15), 3);

    // Places near a recent attack are not tried.
    for (int32_t x = 10; x <= 20; ++x) for (int32_t y = 10; y <= 20; ++y) world.players.SetAttacked(0, x, y);
    PathTestBuilding small(4, 1, 1, 0);
    small.placementMap = world.map.get();
    ASSERT_TRUE(world.finder->FindBuildingPlace(15, 15, &small, 0, 0, 0, world.end));
    for (const auto& tried : small.triedPositions)
        EXPECT_GT(Chebyshev(tried.x, tried.y, 15, 15), 5) << tried.x << "," << tried.y;
    EXPECT_EQ(Chebyshev(world.end.x, world.end.y, 15, 15), 6);
    // Past near steps of 2 only the unpenalised ring 2 is tried inside; where it fails, the place is 6 off again.
    std::unique_ptr<CGameMap> ringView = MakePathTestMap(30, 30);
    for (int32_t i = 0; i < 25; ++i) ringView->Block(13 + i % 5, 13 + i / 5).blocked = 1;
    small.placementMap = ringView.get();
    ASSERT_TRUE(world.finder->FindBuildingPlace(15, 15, &small, 2, 0, 0, world.end));
    EXPECT_EQ(Chebyshev(world.end.x, world.end.y, 15, 15), 6);

    // On a row where only x 5 passes the test, reached from x 4 (cost 40) at a cost of 50: a step limit
    // of 5 still expands x 4, one of 4 does not; near steps of 5 test it, of 6 pass over it.
    PathTestWorld row(MakePathTestMap({"........"}));
    std::unique_ptr<CGameMap> onlyFive = MakePathTestMap({"#####.##"});
    PathTestBuilding house(5, 1, 1, 0);
    house.placementMap = onlyFive.get();
    for (const auto& [stepLimit, nearSteps, found] : {std::tuple(5, 0, true), std::tuple(4, 0, false),
             std::tuple(1, 0, false), std::tuple(0, 0, true), std::tuple(0, 5, true), std::tuple(0, 6, false)})
    {
        EXPECT_EQ(row.finder->FindBuildingPlace(0, 0, &house, nearSteps, stepLimit, 0, row.end), found)
            << stepLimit << " " << nearSteps;
        EXPECT_EQ(row.end.x, found ? 5 : 0);
    }
    // The search walks on through the player's own building at x 2 without trying it, not through another's.
    for (const auto& [owner, found] : {std::pair{0, true}, std::pair{1, false}})
    {
        PathTestBuilding wall(5, 1, 1, owner);
        row.map->Block(2, 0).building = &wall, row.map->Block(2, 0).blocked = 1;
        EXPECT_EQ(row.finder->FindBuildingPlace(0, 0, &house, 0, 0, 0, row.end), found) << owner;
        row.map->Block(2, 0).building = nullptr, row.map->Block(2, 0).blocked = 0;
    }

    // Land joined to the start's, but numbered as another island; the
    // start's own island is full for the placement test (but walkable).
    PathTestWorld islands(MakePathTestMap(20, 10));
    std::unique_ptr<CGameMap> placementView = MakePathTestMap(20, 10);
    for (int32_t x = 0; x < 20; ++x)
        for (int32_t y = 0; y < 10; ++y)
        {
            islands.map->Block(x, y).regionId = x < 6 ? 1 : 2;
            placementView->Block(x, y).blocked = x < 6;
        }
    PathTestBuilding landProbe(4, 1, 1, 0);
    PathTestBuilding docks(13, 2, 2, 0);
    landProbe.placementMap = docks.placementMap = placementView.get();

    EXPECT_FALSE(islands.finder->FindBuildingPlace(2, 5, &landProbe, 0, 0, 0, islands.end));
    for (const auto& tried : landProbe.triedPositions) EXPECT_LT(tried.x, 6);
    EXPECT_EQ(islands.finder->GetFailedSearches(), 1);
    EXPECT_TRUE(islands.finder->FindBuildingPlace(2, 5, &docks, 0, 0, 0, islands.end));
    EXPECT_GE(islands.end.x, 6);

    // Without a placement map every test fails: docks are tried on the map, first at the first cell (5, 4)
    // shifted by 0 to 2 halves of their 4 x 4 up and left, but not at the cell itself.
    PathTestWorld noView(MakePathTestMap(12, 12));
    PathTestBuilding big(13, 4, 4, 0);
    EXPECT_FALSE(noView.finder->FindBuildingPlace(5, 5, &big, 0, 0, 0, noView.end));
    ASSERT_GE(big.triedPositions.size(), 8u);
    std::vector<std::pair<int32_t, int32_t>> firstCell;
    for (size_t i = 0; i < 8; ++i) firstCell.emplace_back(big.triedPositions[i].x, big.triedPositions[i].y);
    EXPECT_EQ(firstCell, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {1, 2}, {1, 4}, {3, 0}, {3, 2}, {3, 4},
                                                                   {5, 0}, {5, 2}}));
    for (const auto& position : big.triedPositions)
        EXPECT_TRUE(position.x >= 0 && position.y >= 0 && position.x <= 8 && position.y <= 8);
}

TEST(PathFinderSmartRoute, ForbiddenLayerKeepsTheRouteToTheOtherAndShoreAndForeignWallsAreBrokenUnlessForbiddenOrOwn)
{
    // A spit of land across a sea, and a pond across land; the shore (',') is open to both.
    PathTestWorld sea(MakePathTestMap({"~~~~~~~~~~~~", "~~~~~..~~~~~", "~~~~~..~~~~~", "~~~~~,,~~~~~",
                                       "~~~~~~~~~~~~"}));
    int32_t steps = SmartPath(sea, 0, 1, 11, 1, Forbid, 1);
    EXPECT_EQ(std::pair(sea.end.x, sea.finder->GetFailedSearches()), std::pair(11, 0));
    ExpectRoute(sea, 0, 1, steps, [](const SMapBlock& b) { return b.waterLevel >= 7; });
    // Forbidding water instead: no way over land from sea to sea.
    SmartPath(sea, 0, 1, 11, 1, 1, Forbid);
    EXPECT_EQ(sea.finder->GetFailedSearches(), 1);

    PathTestWorld land(MakePathTestMap({"............", ".....~~.....", ".....~~.....", "....,,,,....",
                                        "............"}));
    steps = SmartPath(land, 0, 1, 11, 1, 1, Forbid);
    EXPECT_EQ(land.end.x, 11);
    ExpectRoute(land, 0, 1, steps, [](const SMapBlock& b) { return b.waterLevel <= 7; });

    // Foreign walls may be broken through unless forbidden or own.
    PathTestWorld walled(MakePathTestMap(9, 9));
    std::deque<PathTestBuilding> walls;
    for (int32_t y = 0; y < 9; ++y) Placed(walled, walls.emplace_back(9, 1, 1, 1), 4, y);
    EXPECT_EQ(SmartPath(walled, 0, 4, 8, 4, 1, 1, NoDanger, 0, 5), 8);
    EXPECT_EQ(EndAndFailures(walled), std::tuple(8, 4, 0));
    SmartPath(walled, 0, 4, 8, 4, 1, 1, NoDanger, 0, Forbid);
    EXPECT_EQ(walled.finder->GetFailedSearches(), 1);
    for (auto& wall : walls) wall.owner = 0;
    SmartPath(walled, 0, 4, 8, 4, 1, 1, NoDanger, 0, 5);
    EXPECT_EQ(walled.finder->GetFailedSearches(), 2);
}

TEST(PathFinderSmartRoute, HugeWeightsNeitherOverflowNorBreakTheRouteAndOutgrowingTheNodePoolFailsTowardTheClosest)
{
    // The largest weights, sight counts and a footprint of 80 x 80 blocks: one step costs about 6 x 10^16, so the
    // costs of a route across the map would pass even 64 bits; they stop growing instead.
    constexpr int32_t Size = 80;
    PathTestWorld world(MakePathTestMap(256, 256));
    for (int32_t x = 0; x < 256; ++x)
        for (int32_t y = 0; y < 256; ++y)
        {
            world.players.SetUnitSight(3, x, y, 255), world.players.SetBuildingSight(3, x, y, 255);
            if (x > 90 && x < 130)
                world.map->Block(x, y).waterLevel = 7;
        }
    PathTestBuilding wall(9, 1, 1, 2);
    Placed(world, wall, 120, 120);
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t goal = 256 - Size;
    const int32_t steps = world.finder->SmartAI_FindPath(0, 0, goal, goal, 3, Size, max, max, max, max,
                                                         world.Route(), world.end);
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);
    ASSERT_GT(steps, 0);
    ExpectRoute(world, 0, 0, steps);
    EXPECT_EQ(std::pair(world.end.x, world.end.y), std::pair(goal, goal));

    // Outgrowing the node pool: every other block is in the enemy's sight, so the cheap blocks are all expanded
    // first while their dangerous neighbours wait, far more than the pool holds.  The goal is walled in, never found.
    CTestLog log;
    PathTestWorld crowded(MakePathTestMap(256, 256));
    for (int32_t x = 0; x < 256; ++x)
        for (int32_t y = 0; y < 256; ++y)
        {
            if ((x + y) % 2 == 1)
                crowded.players.SetUnitSight(1, x, y, 10);
            crowded.map->Block(x, y).blocked = x >= 250 && y >= 250 && (x < 252 || y < 252);
        }
    const int32_t crowdedSteps = SmartPath(crowded, 2, 2, 254, 254, 1, 1, 1, 1000);
    EXPECT_TRUE(log.Contains("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"));
    EXPECT_EQ(std::pair(crowded.finder->GetFailedSearches(), crowded.finder->GetFinishedSearches()), std::pair(1, 0));
    ExpectRoute(crowded, 2, 2, crowdedSteps, [](const SMapBlock& b) { return !b.blocked; });
    // The next search starts with an empty pool.
    EXPECT_GT(SmartPath(crowded, 0, 0, 10, 10, 1, 1), 0);
    EXPECT_EQ(crowded.end.x, 10);
}

TEST(PathFinderSmartRoute, OffMapEndsFailNegativeWeightsOtherThanForbiddingCountAsNothingAndDangerAvoidsSight)
{
    CTestLog log;
    PathTestWorld world(MakePathTestMap(20, 20));
    EXPECT_EQ(SmartPath(world, -1, 0, 5, 5, 1, 1), 0);
    EXPECT_TRUE(SmartPath(world, 0, 0, 5, 20, 1, 1) == 0 && SmartPath(world, 0, 0, 5, -1, 1, 1) == 0);
    EXPECT_TRUE(SmartPath(world, 0, 0, -1, 5, 1, 1) == 0 && SmartPath(world, 0, 0, 20, 5, 1, 1) == 0);
    EXPECT_EQ(world.finder->SmartAI_FindPath(0, 0, 5, 5, NoDanger, 0, 1, 1, 0, 0, world.Route(), world.end), 0);
    EXPECT_EQ(EndAndFailures(world), std::tuple(0, 0, 6));

    const int32_t steps = SmartPath(world, 0, 0, 19, 19, -5, -7, NoDanger, -3, -9);
    EXPECT_EQ(std::tuple(steps, RouteCost(world.Route(), steps)), std::tuple(19, 19 * 14));
    EXPECT_TRUE(log.Contains("CPathFinder::SmartAI_FindPath: a negative weight other than -1 counts as 0"));

    // Danger pushes the route out of the enemy's sight: player 1's units watch a band across the middle, open below.
    PathTestWorld watched(MakePathTestMap(30, 30));
    for (int32_t x = 12; x <= 17; ++x)
        for (int32_t y = 10; y < 20; ++y) watched.players.SetUnitSight(1, x, y, 3);
    const auto seen = [&](int32_t dangerPlayer, int32_t danger)
    {
        const int32_t steps = SmartPath(watched, 0, 15, 29, 15, 1, 1, dangerPlayer, danger);
        EXPECT_EQ(watched.end.x, 29);
        int32_t count = 0;
        for (const auto& cell : watched.Cells(0, 15, steps))
            count += watched.players.GetUnitSightCount(1, cell.x, cell.y) > 0 ? 1 : 0;
        return count;
    };
    EXPECT_GT(seen(1, 0), 0);
    EXPECT_EQ(seen(1, 50), 0);
    EXPECT_GT(seen(NoDanger, 50), 0);   // no danger player: the weight does nothing
}

TEST(PathFinderHeap, EqualPrioritiesRiseOnlyWhenStrictlySmallerAndTheRightChildGoesFirst)
{
    // Priorities pushed in turn (entry i is cell i); the cells in the order they leave.  Both heaps: the
    // node pool's and the route searches' small one.
    const std::tuple<const char*, std::vector<int32_t>, std::vector<int32_t>> cases[] = {
        {"an equal newcomer stays below", {5, 5}, {0, 1}},
        {"equal children: the right rises", {1, 4, 4, 9}, {0, 2, 1, 3}},
        {"equal to its child: the sinking entry stays", {0, 5, 9, 5}, {0, 3, 1, 2}},
        {"all equal: the last comes first", {0, 2, 2, 2, 2, 2, 2}, {0, 6, 5, 4, 3, 2, 1}},
        {"right child twice, then a missing right", {1, 3, 3, 3, 3, 3, 3, 9}, {0, 2, 6, 5, 4, 3, 1, 7}},
        {"only the right child smaller", {0, 6, 2, 7, 8, 5}, {0, 2, 5, 1, 3, 4}},
        {"distinct priorities in order", {7, 3, 9, 1, 5, 6, 8, 2}, {3, 7, 1, 4, 5, 0, 6, 2}}};
    PathTestWorld world(MakePathTestMap(8, 8));
    CPathFinder& pool = *world.finder;
    for (const auto& [name, priorities, order] : cases)
    {
        SCOPED_TRACE(name);
        T_PathHeap<int32_t, 16> heap;
        pool.InitNodePool();
        for (size_t i = 0; i < priorities.size(); ++i)
        {
            heap.Push(priorities[i], uint32_t(i));
            ASSERT_TRUE(pool.InsertNode(int32_t(i), 0, priorities[i]));
        }
        std::vector<int32_t> fromHeap, fromPool;
        for (size_t i = 0; i < priorities.size(); ++i)
        {
            fromHeap.push_back(int32_t(heap.TopCell())), heap.PopTop();
            fromPool.push_back(pool.GetNode(0).x), pool.RemoveNode(0);
        }
        EXPECT_TRUE(fromHeap == order && fromPool == order && heap.Count() + pool.GetNodeCount() == 0);
    }
    // The pool takes 20,000 entries and refuses the next with a report.
    CTestLog log;
    pool.InitNodePool();
    for (int32_t i = 0; i < CPathFinder::NodePoolSize; ++i)
        ASSERT_TRUE(pool.InsertNode(i % 8, 0, CPathFinder::NodePoolSize - i));
    EXPECT_FALSE(log.Contains("Priority-queue overflow") || pool.InsertNode(0, 0, -1));
    EXPECT_TRUE(pool.GetNodeCount() == CPathFinder::NodePoolSize && pool.GetNode(0).priority == 1);
    EXPECT_TRUE(log.Contains("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"));
}

TEST(PathFinderRoute, ADiagonalStepPastABlockedSideIsRefusedButPastATreeAUnitOrWaterAllowed)
{
    // A diagonal step from (0, 0) to (1, 1) with one thing beside it, on the side at (size, 0) or, below,
    // at (0, size).  The route (last step first) of a one-block and of a two-block mover heading for
    // (1, 1), and of a resource search for a site at (2, 1), found from (1, 1) or, when the rock below
    // sends it east first, from (2, 0) (a diagonal step onto the blocked site itself is always refused).
    enum EThing { Nothing, Rock, Tree, Wall, StandingUnit, Water };
    using Steps = std::vector<uint8_t>;
    const std::tuple<const char*, EThing, bool, Steps, Steps> cases[] = {
        {"nothing", Nothing, false, {3}, {3}},            {"rock beside", Rock, false, {2, 4}, {2, 4}},
        {"rock below", Rock, true, {4, 2}, {2, 2}},       {"tree beside", Tree, false, {3}, {3}},
        {"wall beside", Wall, false, {2, 4}, {2, 4}},     {"standing unit beside", StandingUnit, false, {3}, {3}},
        {"water beside", Water, false, {3}, {3}}};
    for (const auto& [name, thing, below, route, resourceRoute] : cases)
        for (int32_t size : {1, 2, 0})
        {
            SCOPED_TRACE(std::string(name) + " size " + std::to_string(size));
            const int32_t side = std::max(size, 1);
            PathTestWorld world(MakePathTestMap(side + 2, side + 2));
            PathTestBuilding site(10, 1, 1, -1), tree(10, 1, 1, -1), wall(9, 1, 1, 1);
            site.resourceKind = 4, tree.resourceKind = 2;
            PathTestUnit unit(1);
            const int32_t x = below ? 0 : side;
            const int32_t y = below ? side : 0;
            if (thing == Rock)
                world.map->Block(x, y).blocked = 1;
            else if (thing == Water)
                world.map->Block(x, y).waterLevel = 8;
            else if (thing == Tree || thing == Wall)
                Placed(world, thing == Tree ? tree : wall, x, y);
            else if (thing == StandingUnit)
                Placed(world, unit, x, y);
            if (size == 0)
                Placed(world, site, 2, 1);
            // Twice: the second search knows the blocks from the first.
            for (int32_t round = 0; round < 2; ++round)
            {
                const int32_t steps = size == 0 ? world.finder->FindResource(0, 0, 4, 0, 0, world.Route(), world.end)
                                                : world.Find(0, 0, 1, 1, size);
                EXPECT_EQ(Steps(world.Route(), world.Route() + steps), size == 0 ? resourceRoute : route);
                EXPECT_TRUE(size == 0 ? world.finder->GetTargetBuilding() == &site
                                      : world.end.x == 1 && world.end.y == 1);
            }
        }
}

// Shore (level 7) is ground for both: a ship sails a strait of it between two seas, a walker crosses it,
// past a unit walking there.
TEST(PathFinderRoute, ShoreJoinsTwoSeasForAShipAndTwoFieldsForAWalker)
{
    for (const auto& [layer, row] : {std::pair{CPathFinder::LayerWater, "~~~,~~~"}, {Land, "...,..."}})
    {
        PathTestWorld strait(MakePathTestMap({row}));
        PathTestUnit walking;
        Placed(strait, walking, 3, 0).pathFlag = 1;
        EXPECT_EQ(strait.Find(0, 0, 6, 0, 1, layer), 6) << layer;
    }
}

TEST(PathFinderRoute, EqualPrioritiesAndTheGoalTestOnReachingSettleTheRouteWhateverTheSearchesBefore)
{
    // Round a rock from (0, 1) to (2, 1): both ways cost the same and every diagonal cuts the rock's
    // corner.  The way over the top was queued first at each equal priority, so it is taken.  With the
    // goal a target unit the route ends beside it.
    PathTestWorld world(MakePathTestMap({"...", ".#.", "..."}));
    int32_t steps = 0;
    for (int32_t round = 0; round < 2; ++round)
    {
        steps = world.Find(0, 1, 2, 1);
        EXPECT_EQ(std::vector<uint8_t>(world.Route(), world.Route() + steps), (std::vector<uint8_t>{4, 2, 2, 0}));
    }
    PathTestUnit target(1);
    steps = world.Find(0, 1, 2, 1, 1, Land, 0, 0, &Placed(world, target, 2, 1));
    EXPECT_EQ(std::vector<uint8_t>(world.Route(), world.Route() + steps), (std::vector<uint8_t>{2, 2, 0}));
    EXPECT_EQ(EndAndFailures(world), std::tuple(2, 0, 0));

    // A start on its free goal never meets it (the start is not reached again): every cell within the
    // distance limit of 0 + 3 x 7 tenths is expanded, 13 with the start, and the route is empty.
    PathTestWorld open(MakePathTestMap(7, 7));
    EXPECT_EQ(open.Find(3, 3, 3, 3), 0);
    EXPECT_TRUE(EndAndFailures(open) == std::tuple(3, 3, 1) && open.finder->GetExpandedCells() == 13);

    // Results do not depend on earlier searches, even far more than the old cost bands held (about 100,000).
    PathTestWorld repeated(MakePathTestMap({"..........", "....#.....", "....#.....", "....#.....", ".........."}));
    const int32_t first = repeated.Find(0, 2, 9, 2);
    const std::vector<uint8_t> reference(repeated.Route(), repeated.Route() + first);
    for (int32_t i = 0; i < 101000; ++i)
        repeated.finder->FindPath(i % 3, 0, 9 - i % 4, 4, 1, Land, 0, 0, nullptr, nullptr, 0, 0, repeated.Route(),
                                  repeated.end);
    for (int32_t round = 0; round < 2; ++round)
    {
        ASSERT_EQ(repeated.Find(0, 2, 9, 2), first);
        EXPECT_EQ(std::vector<uint8_t>(repeated.Route(), repeated.Route() + first), reference);
        repeated.finder->ResetVisitGrid();
    }
    // Nor on the memory a finder is made in: a wide mover's search reads the view it starts.
    alignas(CPathFinder) static unsigned char used[sizeof(CPathFinder)];
    CPathFinder* made = new (static_cast<void*>(std::memset(used, 1, sizeof used))) CPathFinder(*open.map);
    const int32_t wide = open.Find(0, 0, 4, 4, 2);
    EXPECT_TRUE(wide > 0 &&
                made->FindPath(0, 0, 4, 4, 2, Land, 0, 0, nullptr, nullptr, 0, 0, open.Route(), open.end) == wide);
    made->~CPathFinder();
}

TEST(PathFinderRoute, ABlockedGoalMovesToTheFirstFreeCellTheSearchFromItReaches)
{
    // The goal (4, 5) is rock; the start (8, 5) lies east.  The search from the goal offers the
    // straight neighbours first (north, east, south, west), then the diagonal ones, and the first free
    // one becomes the goal, even where a nearer one to the start follows.  Round a 3 x 3 rock the
    // cheapest waiting cell, (5, 5), is expanded first and its east neighbour taken.
    using Cells = std::vector<std::pair<int32_t, int32_t>>;
    const std::tuple<const char*, Cells, std::pair<int32_t, int32_t>> cases[] = {
        {"north first", {{4, 5}}, {4, 4}}, {"then east", {{4, 5}, {4, 4}}, {5, 5}},
        {"then the first diagonal", {{4, 5}, {4, 4}, {5, 5}, {4, 6}, {3, 5}}, {5, 4}},
        {"round a 3 x 3 rock", {}, {6, 5}}};
    for (const auto& [name, rocks, end] : cases)
    {
        SCOPED_TRACE(name);
        PathTestWorld world(MakePathTestMap(10, 10));
        Cells blocked = rocks;
        if (blocked.empty())
            for (int32_t x = 3; x <= 5; ++x)
                for (int32_t y = 4; y <= 6; ++y) blocked.emplace_back(x, y);
        for (const auto& [x, y] : blocked) world.map->Block(x, y).blocked = 1;
        const int32_t steps = world.Find(8, 5, 4, 5);
        ExpectRoute(world, 8, 5, steps, [](const SMapBlock& b) { return !b.blocked; });
        EXPECT_EQ(std::pair(world.end.x, world.end.y), end);
        EXPECT_EQ(world.finder->GetFailedSearches(), 0);
    }
}

// One-block land movers between the map's pairs, then two-block movers, then searches that stop short of the goal
// (near and accept distances).
TEST(PathFinderRecordedRoutes, RoutesAndBreadthFirstSearchesOnTheBenchmarkMapsAreTheRecordedOnes)
{
    // The map, its name, the number of searches and the digest of their answers.
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> families[] = {
        {EMapKind::Open, "open", 400, 3628642392u}, {EMapKind::Obstacles, "obstacles", 600, 1109014408u},
        {EMapKind::Maze, "maze", 150, 1611751715u}, {EMapKind::TwoIslands, "islands", 600, 768370366u},
    };
    for (const auto& [kind, name, searches, digest] : families)
    {
        const SBenchMap& bench = BenchMap(kind);
        const Search search = [&bench](int32_t i, CPathFinder& finder, CPathFinder::Route& route,
                                       CPathFinder::SPoint& end) {
            const auto& [from, to] = bench.pairs[size_t(i)];
            const int32_t near = i % 5 == 4 ? 2 : 0;
            return finder.FindPath(from.x, from.y, to.x, to.y, i % 4 == 3 ? 2 : 1, CPathFinder::LayerLand, near,
                                   near * 2, nullptr, nullptr, 0, 0, route, end);
        };
        EXPECT_EQ(Digest(bench, searches, search), digest) << name;
    }

    // Breadth-first searches for a tree from pair starts, with and without a step limit, and storage searches that
    // find nothing.
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> breadthFirst[] = {
        {EMapKind::Open, "open", 12, 2315564969u}, {EMapKind::Obstacles, "obstacles", 12, 3447430384u},
    };
    for (const auto& [kind, name, searches, digest] : breadthFirst)
    {
        SBenchMap& bench = BenchMap(kind);
        const CPathFinder::SPoint treeAt = bench.pairs[0].second;
        RecordedTree tree;
        SMapBlock& treeBlock = bench.map->Block(treeAt.x, treeAt.y);
        treeBlock.building = &tree, treeBlock.blocked = 1;
        const Search search = [&bench](int32_t i, CPathFinder& finder, CPathFinder::Route& route,
                                       CPathFinder::SPoint& end) {
            const CPathFinder::SPoint from = bench.pairs[size_t(i + 1)].first;
            return i % 3 == 2 ? finder.FindStorage(from.x, from.y, route, end)
                              : finder.FindResource(from.x, from.y, 2, 0, i % 3 == 0 ? 0 : 40, route, end);
        };
        EXPECT_EQ(Digest(bench, searches, search), digest) << name;
        treeBlock.building = nullptr, treeBlock.blocked = 0;
    }
}
