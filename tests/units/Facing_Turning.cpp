// Facing and turning of a unit, and the search for an enemy over a pattern
// of cells.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
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

    CRangeTable pattern;

private:
    std::vector<std::unique_ptr<CTestBuilding>> m_Buildings;
};

TEST_F(FacingTurning, SetDirectionBringsAnyAngleIntoOneTurn)
{
    CUnit* unit = Walker(0, 10, 10);
    const struct
    {
        int32_t angle, facing;
    } cases[] = {{-90, 270}, {370, 10}, {0, 0}, {359, 359}, {360, 0}, {-360, 0}, {719, 359},
                 {5000, 320}, {-5000, 40}, {INT32_MIN, 232}, {INT32_MAX, 127}};
    for (const auto& c : cases)
    {
        unit->SetDirection(c.angle, false);
        EXPECT_EQ(unit->facing, c.facing) << c.angle;
    }
}

TEST_F(FacingTurning, NotifiedFacingGoesToTheOtherMachinesOnlyFromTheOwner)
{
    CUnit* mine = Walker(0, 10, 10);
    CUnit* theirs = Walker(1, 12, 10);
    mine->SetDirection(45, true);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());   // single player
    g_Config.networkRole = 1;
    mine->SetDirection(90, true);
    theirs->SetDirection(90, true);
    mine->SetDirection(135, false);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, CUnitCommandOutbox::CommandUnitDirection);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].unit, mine);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].facing, 90);
}

TEST_F(FacingTurning, TurningTakesTheShortWayTenDegreesATick)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->shownFacing = 350;
    unit->SetDirection(10, false);
    unit->TurnStep(1);
    EXPECT_EQ(unit->shownFacing, 0);
    unit->TurnStep(1);
    EXPECT_EQ(unit->shownFacing, 10);
    unit->shownFacing = 0;
    unit->SetDirection(180, false);
    unit->TurnStep(17);
    EXPECT_EQ(unit->shownFacing, 170);
    unit->TurnStep(1);
    EXPECT_EQ(unit->shownFacing, 180);
    unit->TurnStep(5);
    EXPECT_EQ(unit->shownFacing, 180);
    // Never past the facing.
    unit->SetDirection(185, false);
    unit->TurnStep(1);
    EXPECT_EQ(unit->shownFacing, 185);
    // A facing changed half-way still turns the short way.
    unit->shownFacing = 20;
    unit->SetDirection(300, false);
    unit->TurnStep(2);
    EXPECT_EQ(unit->shownFacing, 360);   // counted on past 20 + 360
    unit->TurnStep(6);
    EXPECT_EQ(unit->shownFacing, 300);
}

TEST_F(FacingTurning, SimulationStepTurnsEveryUnitOnceATick)
{
    CUnit* first = Walker(0, 10, 10);
    CUnit* second = Walker(3, 20, 20);
    first->shownFacing = 0;
    first->SetDirection(180, false);
    second->shownFacing = 90;
    second->SetDirection(0, false);
    world.Frame(5);
    EXPECT_EQ(first->shownFacing, 50);
    EXPECT_EQ(second->shownFacing, 40);
    world.Frame(13);
    EXPECT_EQ(first->shownFacing, 180);
    EXPECT_EQ(second->shownFacing, 0);
}

TEST_F(FacingTurning, TurnTowardsRoundsToTheEightDirections)
{
    CUnit* unit = Walker(0, 10, 10);   // centre 10.5, 10.5
    const int32_t dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    const int32_t dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    const int32_t facing[8] = {180, 135, 90, 45, 0, 315, 270, 225};
    for (int32_t d = 0; d < 8; ++d)
    {
        unit->TurnTowards(false, 10.5f + static_cast<float>(dx[d]), 10.5f + static_cast<float>(dy[d]), 0.0f);
        EXPECT_EQ(unit->facing, facing[d]) << d;
    }
    // East is 90: a point a little south of east lies at less than 90.
    unit->TurnTowards(false, 20.5f, 10.5f, 10.0f);   // 100 degrees
    EXPECT_EQ(unit->facing, 90);
    unit->TurnTowards(false, 20.5f, 10.5f, 22.5f);   // 112.5
    EXPECT_EQ(unit->facing, 135);
    unit->TurnTowards(true, 20.5f, 10.5f, 10.0f);
    EXPECT_EQ(unit->facing, 100);
    // A negative extra rounds down, as positive angles do: 0 - 30 = -30 is
    // nearest to -45, that is 315.
    unit->TurnTowards(false, 10.5f, 20.5f, -30.0f);
    EXPECT_EQ(unit->facing, 315);
}

TEST_F(FacingTurning, UnitsFirstTakeTheNearestEnemyUnitOverATowerOnItsCell)
{
    CUnit* seeker = Walker(0, 10, 10);
    CUnit* enemy = Walker(1, 12, 10);
    Building(12, 10, 1, 6);
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, false);
    EXPECT_EQ(foundUnit, enemy);
    EXPECT_EQ(foundBuilding, nullptr);
}

TEST_F(FacingTurning, BuildingsFirstPreferTowerKeepCastleThenAny)
{
    CUnit* seeker = Walker(0, 10, 10);
    Walker(1, 11, 10);
    CTestBuilding* house = Building(10, 12, 1, 3);
    CTestBuilding* castle = Building(10, 13, 1, 1);
    CTestBuilding* keep = Building(13, 10, 1, 11);
    CTestBuilding* tower = Building(14, 12, 1, 6);
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundBuilding, tower);
    EXPECT_EQ(foundUnit, nullptr);
    tower->health = 0.0f;   // no hit points left
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundBuilding, keep);
    keep->owner = 0;        // its own
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundBuilding, castle);
    castle->owner = 0;
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundBuilding, house);
    // With units first and no unit, the buildings are ranked the same way.
    house->owner = 0;
    seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundBuilding, nullptr);
    ASSERT_NE(foundUnit, nullptr);
    EXPECT_EQ(foundUnit->x, 11);
}

TEST_F(FacingTurning, WallsTrapsAlliesAndTheDeadAreNeverChosen)
{
    CUnit* seeker = Walker(0, 10, 10);
    Building(11, 10, 1, 9);    // wall
    Building(10, 11, 1, 12);   // trap
    CUnit* ally = Walker(2, 12, 10);
    world.Player(0).allied[2] = 1;
    CUnit* dead = Walker(1, 10, 12);
    dead->health = 0.0f;
    CUnit* own = Walker(0, 9, 10);
    (void)ally;
    (void)own;
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    for (bool buildingsFirst : {false, true})
    {
        seeker->FindTargetInRange(pattern, &foundUnit, &foundBuilding, buildingsFirst);
        EXPECT_EQ(foundUnit, nullptr);
        EXPECT_EQ(foundBuilding, nullptr);
    }
    dead->health = 100.0f;
}

TEST_F(FacingTurning, SearchAtTheMapCornerReadsNoCellOutsideIt)
{
    CUnit* seeker = Walker(0, 0, 0);
    CRangeTable wide;
    wide.InitRing(0, 10, 1);
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    seeker->FindTargetInRange(wide, &foundUnit, &foundBuilding, true);
    EXPECT_EQ(foundUnit, nullptr);
    CUnit* enemy = Walker(1, 3, 0);
    seeker->FindTargetInRange(wide, &foundUnit, &foundBuilding, false);
    EXPECT_EQ(foundUnit, enemy);
}
}  // namespace
