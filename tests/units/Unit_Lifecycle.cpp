// A unit's life on the map: showing, hiding, the corpse's withdrawal, death
// bookkeeping, with the world's invariants checked after every step.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/C_Config.h"
#include "game/C_Selection.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/units/UnitWorld.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"

namespace
{
const int32_t AllTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 21, 22, 30, 31, 32, 33, 34, 35};

int32_t SightSum(const CPlayer& player)
{
    int32_t sum = 0;
    for (uint8_t count : player.unitSightCounts)
        sum += count;
    return sum;
}

class UnitLifecycle : public ::testing::Test
{
protected:
    // Tiles 7 blocks apart hold every footprint (at most 5 x 5) apart.
    static int32_t TileX(int32_t i) { return 1 + (i % 6) * 7; }
    static int32_t TileY(int32_t i) { return 1 + (i / 6) * 7; }

    CSimHarness m_World{48};
};
}  // namespace

TEST_F(UnitLifecycle, EveryTypeIsCreatedPlacedHiddenAndRemovedInAnyOrder)
{
    std::vector<CUnit*> units;
    for (int32_t i = 0; i < 22; ++i)
    {
        const int32_t owner = i % MaxPlayers;
        // Half appear at once, half are made off the map and shown later.
        CUnit* unit = m_World.Spawn(owner, AllTypes[i], i % 2 == 0 ? TileX(i) : -1, i % 2 == 0 ? TileY(i) : -1);
        ASSERT_NE(unit, nullptr) << AllTypes[i];
        if (i % 2 != 0)
        {
            EXPECT_FALSE(unit->onMap);
            unit->x = TileX(i);
            unit->y = TileY(i);
            unit->ShowUnit(true);
        }
        EXPECT_TRUE(unit->onMap);
        EXPECT_EQ(g_GameMap.Block(unit->x, unit->y).unit, unit);
        units.push_back(unit);
        ExpectWorldSound(m_World);
    }
    std::mt19937 order(7);
    for (int32_t round = 0; round < 3; ++round)
    {
        std::shuffle(units.begin(), units.end(), order);
        for (CUnit* unit : units)
        {
            unit->ShowUnit(!unit->onMap);
            ExpectWorldSound(m_World);
        }
    }
    std::shuffle(units.begin(), units.end(), order);
    for (CUnit* unit : units)
    {
        m_World.Delete(unit);
        ExpectWorldSound(m_World);
    }
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        EXPECT_EQ(m_World.Player(p).unitCount, 0);
        EXPECT_EQ(SightSum(m_World.Player(p)), 0);
    }
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
            ASSERT_EQ(g_GameMap.Block(x, y).unit, nullptr);
}

TEST_F(UnitLifecycle, ShowingTwiceIsReportedAndChangesNothing)
{
    CTestLog log;
    CUnit* unit = m_World.Spawn(0, 2, 10, 10);
    const int32_t sight = SightSum(m_World.Player(0));
    EXPECT_GT(sight, 0);
    unit->ShowUnit(true);
    EXPECT_TRUE(log.Contains("#DEBUG: ShowUnit called with the same parameter"));
    EXPECT_TRUE(log.Contains("#DEBUG: breakpoint reached"));
    EXPECT_EQ(SightSum(m_World.Player(0)), sight);
    unit->ShowUnit(false);
    log.Clear();
    unit->ShowUnit(false);
    EXPECT_TRUE(log.Contains("#DEBUG: ShowUnit called with the same parameter"));
    EXPECT_EQ(SightSum(m_World.Player(0)), 0);
    ExpectWorldSound(m_World);
}

TEST_F(UnitLifecycle, FootprintOutsideTheMapIsRefused)
{
    CTestLog log;
    CUnit* galley = m_World.Spawn(0, 11, 44, 44);   // 5 x 5 from 44 reaches 48
    ASSERT_NE(galley, nullptr);
    EXPECT_FALSE(galley->onMap);
    EXPECT_TRUE(log.Contains("#DEBUG: ShowUnit outside the map"));
    EXPECT_EQ(SightSum(m_World.Player(0)), 0);
    EXPECT_EQ(g_GameMap.Block(44, 44).unit, nullptr);
    galley->x = 43;
    galley->y = 43;
    galley->ShowUnit(true);
    EXPECT_TRUE(galley->onMap);
    EXPECT_EQ(g_GameMap.Block(47, 47).unit, galley);
    ExpectWorldSound(m_World);
}

TEST_F(UnitLifecycle, RefreshingVisibilityTwiceChangesNothingTheSecondTime)
{
    CUnit* dying = m_World.Spawn(0, 2, 10, 10);
    dying->centreX = 10.3f;   // where the death animation left it
    dying->RefreshVisibility();
    EXPECT_TRUE(dying->onMap);            // still drawn where it fell
    EXPECT_FALSE(dying->IsFootprintRegistered());
    EXPECT_FLOAT_EQ(dying->centreX, 10.3f);
    EXPECT_EQ(g_GameMap.Block(10, 10).unit, nullptr);
    EXPECT_EQ(SightSum(m_World.Player(0)), 0);
    // Another unit steps onto the spot before the corpse is refreshed again.
    CUnit* walker = m_World.Spawn(0, 3, 10, 10);
    const int32_t sight = SightSum(m_World.Player(0));
    dying->RefreshVisibility();
    dying->ShowUnit(false);
    EXPECT_EQ(g_GameMap.Block(10, 10).unit, walker);
    EXPECT_EQ(SightSum(m_World.Player(0)), sight);
    ExpectWorldSound(m_World);
}

TEST_F(UnitLifecycle, RemovingFromTheWorldTwiceChangesNothingTheSecondTime)
{
    g_Config.networkRole = 1;
    g_UnitCommandOutbox.Clear();
    CUnit* unit = m_World.Spawn(0, 2, 10, 10);
    g_Selection.AddUnit(unit, 0);
    unit->RemoveFromWorld(true);
    EXPECT_FLOAT_EQ(unit->health, 0.0f);
    EXPECT_EQ(unit->animType, ANIM_DIE);
    EXPECT_EQ(unit->GetLife(), UnitLife::Dying);
    EXPECT_EQ(g_Selection.unitCount, 0);
    EXPECT_TRUE(unit->onMap);   // it dies where it stands
    unit->animType = ANIM_CORPSE;
    unit->RemoveFromWorld(true);
    EXPECT_EQ(unit->animType, ANIM_CORPSE);
    int32_t died = 0;
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        died += sent.command == CUnitCommandOutbox::CommandUnitDied ? 1 : 0;
    EXPECT_EQ(died, 1);
    unit->RefreshVisibility();
    EXPECT_EQ(unit->GetLife(), UnitLife::Corpse);
    ExpectWorldSound(m_World);
    g_UnitCommandOutbox.Clear();
}

namespace
{
// Records the order state of the unit being hidden when its loss is told.
class CWatchingUnit : public CUnit
{
public:
    void onTargetLost(CUnit* unit, CBuilding*) override
    {
        lostUnit = unit;
        lostOrderState = unit->orderState;
    }
    CUnit* lostUnit = nullptr;
    int32_t lostOrderState = -1;
};
}  // namespace

TEST_F(UnitLifecycle, HidingDropsEveryReferenceBeforeTheOrderStateIsResetAndEndsTheWalk)
{
    CUnit* hidden = m_World.Spawn(1, 2, 10, 10);
    hidden->orderState = 4;
    hidden->pathFlag = 1;
    hidden->routeEnd = 12;
    hidden->retryCounter = 3;
    hidden->awaitingMoveAnswer = 1;
    auto* watcher = new CWatchingUnit();
    watcher->player = 0;
    ASSERT_TRUE(m_World.Player(0).AddUnit(watcher));
    watcher->actionTargetUnit = watcher->targetUnit = watcher->attacker = watcher->followedUnit = hidden;
    watcher->lastHitTime = 5;
    hidden->ShowUnit(false);
    EXPECT_EQ(watcher->lostUnit, hidden);
    EXPECT_EQ(watcher->lostOrderState, 4);
    EXPECT_EQ(watcher->actionTargetUnit, nullptr);
    EXPECT_EQ(watcher->targetUnit, nullptr);
    EXPECT_EQ(watcher->attacker, nullptr);
    EXPECT_EQ(watcher->lastHitTime, 0u);
    EXPECT_EQ(watcher->followedUnit, nullptr);
    EXPECT_EQ(hidden->orderState, 0);
    EXPECT_EQ(hidden->pathFlag, 0);
    EXPECT_EQ(hidden->routeEnd, 0);
    EXPECT_EQ(hidden->retryCounter, 0);
    EXPECT_EQ(hidden->awaitingMoveAnswer, 0);
}

TEST_F(UnitLifecycle, StopKeepsAWalkIgnoresTheDeadAndIsBroadcastOnlyByTheOwnerOfAStandingUnit)
{
    g_Config.networkRole = 1;
    CUnit* walker = m_World.Spawn(0, 2, 10, 10);
    CUnit* own = m_World.Spawn(0, 2, 14, 14);
    CUnit* remote = m_World.Spawn(1, 2, 20, 20);
    CUnit* dead = m_World.Spawn(0, 2, 30, 30);
    g_UnitCommandOutbox.Clear();
    walker->animType = ANIM_WALK;
    walker->currentCommand = 5;
    walker->AddWaypoint(3, 3);
    walker->targetUnit = walker;
    walker->stopped = 0;
    walker->Stop();
    EXPECT_EQ(walker->currentCommand, 0);
    EXPECT_EQ(walker->waypointCount, 0);
    EXPECT_EQ(walker->targetUnit, nullptr);
    EXPECT_EQ(walker->animType, ANIM_WALK);
    EXPECT_EQ(walker->stopped, 0);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());

    dead->health = 0.0f;
    dead->currentCommand = 7;
    dead->animType = ANIM_DIE;
    dead->Stop();
    EXPECT_EQ(dead->currentCommand, 7);
    EXPECT_EQ(dead->animType, ANIM_DIE);

    own->animType = ANIM_ATTACK;
    own->Stop();
    EXPECT_EQ(own->animType, ANIM_STAND);
    EXPECT_EQ(own->stopped, 1);
    remote->Stop();
    // The standing unit's new model is broadcast as well (command 34).
    std::vector<CUnitCommandOutbox::SCommand> stops;
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        if (sent.command == CUnitCommandOutbox::CommandUnitStop)
            stops.push_back(sent);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].unit, own);
    g_UnitCommandOutbox.Clear();
}

TEST_F(UnitLifecycle, WaypointsBeyondSixtyFourAreDropped)
{
    CUnit unit(-1, -1, 0);
    for (int32_t i = 0; i < 70; ++i)
        unit.AddWaypoint(i, i + 1);
    EXPECT_EQ(unit.waypointCount, 64);
    EXPECT_EQ(unit.waypoints[63][0], 63);
    EXPECT_EQ(unit.waypoints[63][1], 64);
}

TEST_F(UnitLifecycle, AFullUnitListRefusesTheNextUnit)
{
    CTestLog log;
    for (int32_t i = 0; i < MaxPlayerUnits; ++i)
        ASSERT_NE(m_World.Spawn(2, 2, -1, -1), nullptr);
    EXPECT_EQ(m_World.Spawn(2, 2, 5, 5), nullptr);
    EXPECT_TRUE(log.Contains("#DEBUG: Unitnum exceeds the limit"));
    EXPECT_EQ(m_World.Player(2).unitCount, MaxPlayerUnits);
    EXPECT_EQ(g_GameMap.Block(5, 5).unit, nullptr);
    ExpectWorldSound(m_World);
}

namespace
{
class CLookout : public CUnit
{
public:
    void onEnemySighted(CUnit* enemy) override { sighted.push_back(enemy); }
    std::vector<CUnit*> sighted;
};

CLookout* PostLookout(CPlayer& owner, int32_t x, int32_t y)
{
    auto* lookout = new CLookout();
    lookout->player = owner.index;
    owner.AddUnit(lookout);
    lookout->x = x;
    lookout->y = y;
    lookout->ShowUnit(true);
    return lookout;
}
}  // namespace

TEST_F(UnitLifecycle, ShowingTellsEnemiesThatSeeTheUnit)
{
    CLookout* near = PostLookout(m_World.Player(1), 20, 20);
    CLookout* far = PostLookout(m_World.Player(3), 45, 45);
    CLookout* friendly = PostLookout(m_World.Player(2), 21, 21);
    CUnit* enemy = m_World.Spawn(2, 2, 22, 20);
    // Player 2's lookout came into player 1's sight first.
    ASSERT_EQ(near->sighted.size(), 2u);
    EXPECT_EQ(near->sighted[0], friendly);
    EXPECT_EQ(near->sighted[1], enemy);
    EXPECT_TRUE(far->sighted.empty());
    EXPECT_TRUE(friendly->sighted.empty());
}

TEST_F(UnitLifecycle, SightFollowsResearch)
{
    CUnit* archer = m_World.Spawn(0, 3, 20, 20);
    EXPECT_EQ(archer->sightRadiusInUse, 10);
    m_World.Research(0, 25);   // TC_RANGE_3
    archer->RefreshSight();
    EXPECT_EQ(archer->sightRadiusInUse, 15);
    ExpectWorldSound(m_World);
    archer->ShowUnit(false);
    EXPECT_EQ(SightSum(m_World.Player(0)), 0);
    archer->RefreshSight();   // off the map: nothing to refresh
    EXPECT_EQ(SightSum(m_World.Player(0)), 0);
}

TEST_F(UnitLifecycle, DeathTellsEveryComputerOpponentButHidingDoesNot)
{
    CUnit* unit = m_World.Spawn(0, 2, 10, 10);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        m_World.Player(p).computerAI.ClearNotices();
    unit->ShowUnit(false);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        EXPECT_TRUE(m_World.Player(p).computerAI.GetNotices().empty());
    unit->RemoveFromWorld(false);
    for (int32_t p = 1; p < MaxPlayers; ++p)
    {
        const auto& notices = m_World.Player(p).computerAI.GetNotices();
        ASSERT_EQ(notices.size(), 1u) << p;
        EXPECT_EQ(notices[0].kind, CComputerAI::ENotice::ObjectDestroyed);
        EXPECT_EQ(notices[0].object, unit);
    }
    EXPECT_TRUE(m_World.Player(0).computerAI.GetNotices().empty());   // the local player has no opponent
}

TEST_F(UnitLifecycle, AUnitDeletedOnTheMapLeavesNoPointerInItsBlocks)
{
    auto* unit = new CUnit(-1, -1, 5);
    unit->x = 30;
    unit->y = 31;
    unit->ShowUnit(true);
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, unit);
    unit->ApplySight(-1);   // its owner's sight map is not the point here
    delete unit;
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, nullptr);
}
