// Facing and turning of a unit, and the search for an enemy over a ring of cells.

#include "buildings/C_Building.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"
#include "world/C_RangeTable.h"

namespace
{
class CTestBuilding : public CBuilding
{
public:
    CTestBuilding(int32_t x, int32_t y, int32_t owner, int32_t cast) : CBuilding(x, y, owner), m_Cast(cast)
    {
        health = FullHealth;
    }
    int32_t GetBuildCast() const override { return m_Cast; }

private:
    int32_t m_Cast;
};

class FacingTurning : public UnitWorldTest
{
protected:
    FacingTurning() { pattern.InitRing(0, 6, 0); }
    ~FacingTurning() override
    {
        for (const auto& building : m_Buildings)
            g_GameMap.Block(building->x, building->y).building = nullptr;
    }
    // A building standing on one block only, for the search to meet.
    CTestBuilding* Building(int32_t x, int32_t y, int32_t owner, int32_t cast)
    {
        m_Buildings.push_back(std::make_unique<CTestBuilding>(x, y, owner, cast));
        g_GameMap.Block(x, y).building = m_Buildings.back().get();
        return m_Buildings.back().get();
    }
    const void* Found(CUnit* seeker, bool buildingsFirst, const CRangeTable& cells)
    {
        CUnit* unit = nullptr;
        CBuilding* building = nullptr;
        seeker->FindTargetInRange(cells, &unit, &building, buildingsFirst);
        EXPECT_TRUE(unit == nullptr || building == nullptr);
        return building != nullptr ? static_cast<const void*>(building) : unit;
    }

    CRangeTable pattern;

private:
    std::vector<std::unique_ptr<CTestBuilding>> m_Buildings;
};

TEST_F(FacingTurning, AnyAngleIsBroughtIntoOneTurnTurningTakesTheShortWayAndTurningTowardsRoundsToEightDirections)
{
    CUnit* unit = Walker(0, 10, 10);
    const struct { int32_t angle, facing; } cases[] = {{-90, 270}, {370, 10}, {0, 0}, {359, 359}, {360, 0},
        {-360, 0}, {719, 359}, {5000, 320}, {-5000, 40}, {INT32_MIN, 232}, {INT32_MAX, 127}};
    for (const auto& c : cases)
    {
        unit->SetDirection(c.angle, false);
        EXPECT_EQ(unit->facing, c.facing) << c.angle;
    }
    // Shown facing at the start (-1: where the last row left it), facing, ticks, shown after.
    const struct { int32_t from, facing, ticks, shown; } steps[] = {{350, 10, 1, 0}, {-1, 10, 1, 10},
        {0, 180, 17, 170}, {-1, 180, 1, 180}, {-1, 180, 5, 180}, {-1, 185, 1, 185},
        // A facing changed half-way still turns the short way, counting on past 20 + 360.
        {20, 300, 2, 360}, {-1, 300, 6, 300}};
    for (const auto& step : steps)
    {
        if (step.from >= 0)
            unit->shownFacing = step.from;
        unit->SetDirection(step.facing, false);
        unit->TurnStep(step.ticks);
        EXPECT_EQ(unit->shownFacing, step.shown) << step.from << " to " << step.facing;
    }
    // Towards the eight neighbours of its centre (10.5, 10.5), then east (90) plus the extra: rounded unless
    // asked for the exact angle.  A negative extra rounds down as positive angles do: -30 is nearest to 315.
    const struct { bool exact; float dx, dy, extra; int32_t facing; } towards[] = {
        {false, 0, -1, 0, 180}, {false, 1, -1, 0, 135}, {false, 1, 0, 0, 90}, {false, 1, 1, 0, 45},
        {false, 0, 1, 0, 0}, {false, -1, 1, 0, 315}, {false, -1, 0, 0, 270}, {false, -1, -1, 0, 225},
        {false, 10, 0, 10, 90}, {false, 10, 0, 22.5f, 135}, {true, 10, 0, 10, 100}, {false, 0, 10, -30, 315}};
    for (const auto& c : towards)
    {
        unit->TurnTowards(c.exact, 10.5f + c.dx, 10.5f + c.dy, c.extra);
        EXPECT_EQ(unit->facing, c.facing) << c.dx << "," << c.dy << " extra " << c.extra;
    }
}

TEST_F(FacingTurning, TheSearchRanksUnitsOrTowersKeepsAndCastlesFirstAndSkipsWhatItMayNotAttack)
{
    CUnit* seeker = Walker(0, 10, 10);
    CUnit* enemy = Walker(1, 11, 10);
    CTestBuilding* tower = Building(11, 10, 1, 6);   // on the enemy's cell
    EXPECT_TRUE(Found(seeker, false, pattern) == enemy && Found(seeker, true, pattern) == tower);
    // Towers, keeps, castles, then any; none with no hit points left or its own.
    CTestBuilding* house = Building(10, 12, 1, 3);
    CTestBuilding* castle = Building(10, 13, 1, 1);
    CTestBuilding* keep = Building(13, 10, 1, 11);
    tower->health = 0.0f;
    EXPECT_EQ(Found(seeker, true, pattern), keep);
    keep->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), castle);
    castle->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), house);
    house->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), enemy);

    // Walls, traps, allies, its own and the dead are never chosen.
    enemy->health = 0.0f;
    Building(12, 11, 1, 9);
    Building(9, 11, 1, 12);
    Walker(2, 12, 12);
    world.Player(0).allied[2] = 1;
    Walker(0, 9, 10);
    EXPECT_TRUE(Found(seeker, false, pattern) == nullptr && Found(seeker, true, pattern) == nullptr);
    enemy->health = 100.0f;
}

}  // namespace
