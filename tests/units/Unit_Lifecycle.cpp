// A unit's life on the map: showing, hiding, death, the simulation step's
// checks of each unit, starvation and healing.

#include <iterator>
#include <numeric>
#include <random>

#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
const int32_t AllTypes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 20, 21, 22, 30, 31, 32, 33, 34, 35};

// Tells which unit it lost, with that unit's order state then.
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

class CHundredPointUnit : public CUnit
{
public:
    float GetMaxHitPoints() const override { return 100.0f; }
};

class UnitLifecycle : public UnitWorldTest
{
protected:
    int32_t Sight(int32_t player)
    {
        const auto& counts = world.Player(player).unitSightCounts;
        return std::accumulate(std::begin(counts), std::end(counts), 0);
    }
};
}  // namespace

TEST_F(UnitLifecycle, EveryTypeIsCreatedPlacedHiddenAndRemovedInAnyOrder)
{
    std::vector<CUnit*> units;
    for (int32_t i = 0; i < 22; ++i)
    {
        // Tiles 7 blocks apart hold every footprint (at most 5 x 5) apart.
        const int32_t x = 1 + (i % 6) * 7, y = 1 + (i / 6) * 7;
        // Half appear at once, half are made off the map and shown later.
        CUnit* unit = world.Spawn(i % MaxPlayers, AllTypes[i], i % 2 == 0 ? x : -1, i % 2 == 0 ? y : -1);
        ASSERT_NE(unit, nullptr) << AllTypes[i];
        if (i % 2 != 0)
        {
            EXPECT_FALSE(unit->onMap);
            unit->x = x;
            unit->y = y;
            unit->ShowUnit(true);
        }
        EXPECT_EQ(g_GameMap.Block(x, y).unit, unit);
        units.push_back(unit);
        ExpectWorldSound(world);
    }
    std::mt19937 order(7);
    for (int32_t round = 0; round < 3; ++round)
    {
        std::shuffle(units.begin(), units.end(), order);
        for (CUnit* unit : units)
        {
            unit->ShowUnit(!unit->onMap);
            ExpectWorldSound(world);
        }
    }
    std::shuffle(units.begin(), units.end(), order);
    for (CUnit* unit : units)
    {
        world.Delete(unit);
        ExpectWorldSound(world);
    }
    for (int32_t p = 0; p < MaxPlayers; ++p)
        EXPECT_TRUE(world.Player(p).unitCount == 0 && Sight(p) == 0) << p;
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
            ASSERT_EQ(g_GameMap.Block(x, y).unit, nullptr);
}

TEST_F(UnitLifecycle, ShowingTwiceOrOutsideTheMapIsRefused)
{
    CTestLog log;
    CUnit* unit = world.Spawn(0, 2, 10, 10);
    const int32_t sight = Sight(0);
    EXPECT_GT(sight, 0);
    unit->ShowUnit(true);
    EXPECT_TRUE(log.Count("#DEBUG: ShowUnit called with the same parameter") == 1 &&
                log.Contains("#DEBUG: breakpoint reached") && Sight(0) == sight);
    unit->ShowUnit(false);
    unit->ShowUnit(false);
    EXPECT_TRUE(log.Count("#DEBUG: ShowUnit called with the same parameter") == 2 && Sight(0) == 0);

    CUnit* galley = world.Spawn(0, 11, 44, 44);   // 5 x 5 from 44 reaches 48
    ASSERT_NE(galley, nullptr);
    EXPECT_TRUE(!galley->onMap && log.Contains("#DEBUG: ShowUnit outside the map"));
    EXPECT_TRUE(Sight(0) == 0 && g_GameMap.Block(44, 44).unit == nullptr);
    galley->x = galley->y = 43;
    galley->ShowUnit(true);
    EXPECT_EQ(g_GameMap.Block(47, 47).unit, galley);
}

// Hiding tells the computer opponents nothing, death tells each once.
TEST_F(UnitLifecycle, RemovingFromTheWorldTwiceChangesNothingTheSecondTime)
{
    g_Config.networkRole = 1;
    CUnit* unit = world.Spawn(0, 2, 10, 10);
    g_Selection.AddUnit(unit, 0);
    g_Selection.unitUnderCursor = unit;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        world.Player(p).computerAI.ClearNotices();
    unit->ShowUnit(false);
    unit->ShowUnit(true);
    unit->RemoveFromWorld(true);
    EXPECT_FLOAT_EQ(unit->health, 0.0f);
    EXPECT_TRUE(unit->animType == ANIM_DIE && unit->GetLife() == UnitLife::Dying);
    EXPECT_TRUE(g_Selection.unitCount == 0 && g_Selection.unitUnderCursor == nullptr);
    EXPECT_TRUE(unit->onMap);   // it dies where it stands
    unit->animType = ANIM_CORPSE;
    unit->RemoveFromWorld(true);
    EXPECT_TRUE(unit->animType == ANIM_CORPSE && SentCommands(CMultiplayerGame::CommandUnitDied) == 1);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        const auto& notices = world.Player(p).computerAI.GetNotices();
        // The local player has no opponent.
        ASSERT_EQ(notices.size(), p == 0 ? 0u : 1u) << p;
        EXPECT_TRUE(p == 0 || (notices[0].kind == CComputerAI::ENotice::ObjectDestroyed && notices[0].object == unit));
    }
    unit->RefreshVisibility();
    EXPECT_EQ(unit->GetLife(), UnitLife::Corpse);
}

TEST_F(UnitLifecycle, HidingDropsEveryReferenceBeforeTheOrderStateIsResetAndEndsTheWalk)
{
    CUnit* hidden = world.Spawn(1, 2, 10, 10);
    hidden->orderState = 4;
    hidden->pathFlag = 1;
    hidden->routeEnd = 12;
    hidden->retryCounter = 3;
    hidden->awaitingMoveAnswer = 1;
    auto* watcher = static_cast<CWatchingUnit*>(world.Adopt(0, new CWatchingUnit(), -1, -1));
    watcher->actionTargetUnit = watcher->targetUnit = watcher->attacker = watcher->followedUnit = hidden;
    watcher->lastHitTime = 5;
    hidden->ShowUnit(false);
    EXPECT_TRUE(watcher->lostUnit == hidden && watcher->lostOrderState == 4);
    EXPECT_TRUE(watcher->actionTargetUnit == nullptr && watcher->targetUnit == nullptr &&
                watcher->attacker == nullptr && watcher->followedUnit == nullptr);
    EXPECT_EQ(watcher->lastHitTime, 0u);
    EXPECT_TRUE(hidden->orderState == 0 && hidden->pathFlag == 0 && hidden->routeEnd == 0 &&
                hidden->retryCounter == 0 && hidden->awaitingMoveAnswer == 0);
}

TEST_F(UnitLifecycle, StopKeepsAWalkIgnoresTheDeadAndIsBroadcastOnlyByTheOwnerOfAStandingUnit)
{
    g_Config.networkRole = 1;
    CUnit* walker = world.Spawn(0, 2, 10, 10);
    CUnit* own = world.Spawn(0, 2, 14, 14);
    CUnit* remote = world.Spawn(1, 2, 20, 20);
    CUnit* dead = world.Spawn(0, 2, 30, 30);
    g_MultiplayerGame.ClearSent();
    walker->animType = ANIM_WALK;
    walker->currentCommand = 5;
    walker->AddWaypoint(3, 3);
    walker->targetUnit = walker;
    walker->stopped = 0;
    walker->Stop();
    EXPECT_TRUE(walker->currentCommand == 0 && walker->waypointCount == 0 && walker->targetUnit == nullptr &&
                walker->animType == ANIM_WALK && walker->stopped == 0 && g_MultiplayerGame.GetSent().empty());

    dead->health = 0.0f;
    dead->currentCommand = 7;
    dead->animType = ANIM_DIE;
    dead->Stop();
    EXPECT_TRUE(dead->currentCommand == 7 && dead->animType == ANIM_DIE);

    own->animType = ANIM_ATTACK;
    own->Stop();
    EXPECT_TRUE(own->animType == ANIM_STAND && own->stopped == 1);
    remote->Stop();
    // The standing unit's new model is broadcast as well (command 34).
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitStop), 1);
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        EXPECT_TRUE(sent.packet.Command() != CMultiplayerGame::CommandUnitStop || sent.packet.Value(0) == Ref(own));
}

TEST_F(UnitLifecycle, WaypointsBeyondSixtyFourAreDroppedAndAUnitDeletedOnTheMapLeavesNoPointerInItsBlocks)
{
    auto* unit = new CUnit(30, 31, 5);
    for (int32_t i = 0; i < 70; ++i)
        unit->AddWaypoint(i, i + 1);
    EXPECT_TRUE(unit->waypointCount == 64 && unit->waypoints[63][0] == 63 && unit->waypoints[63][1] == 64);
    unit->ShowUnit(true);
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, unit);
    unit->ApplySight(-1);   // its owner's sight map is not the point here
    delete unit;
    EXPECT_EQ(g_GameMap.Block(30, 31).unit, nullptr);
}

// Only the owner's machine lets a unit die; the others wait for its death command.
TEST_F(UnitLifecycle, TheStepLogsAStarvedDeadUnitAndANegativeFrameAndLeavesRemoteDeathsToTheirOwner)
{
    CUnit* unit = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    CUnit* remote = world.Spawn(3, UNIT_WARRIOR, 20, 20);
    CUnit* negative = world.Spawn(0, UNIT_WARRIOR, 30, 30);
    ASSERT_TRUE(unit != nullptr && remote != nullptr && negative != nullptr);
    CTestLog log;
    // 0 living hit points, neither alive nor dying.
    unit->starvation = CUnit::MaxStarvation;
    ASSERT_FALSE(unit->IsAlive() || unit->IsDying());
    negative->animFrame = -5.0f;
    world.Frame(1);
    for (const char* line : {"#DEBUG: unit log - START", "PlayerID=1", "Pos=10,10", "CastID=2",
                             "#DEBUG: unit log - END", "#DEBUG: Unit Animframe < 0"})
        EXPECT_TRUE(log.Contains(line)) << line;
    EXPECT_TRUE(unit->IsDying() && unit->animType == ANIM_DIE);
    world.Frame(50);   // the warrior's Die animation: 30 frames at 0.6 a tick
    EXPECT_TRUE(log.Count("#DEBUG: Invalid animation type for a dead unit") == 1 && g_Particles.HoldsCorpse(unit) &&
                !world.Player(1).HasUnit(unit));
    EXPECT_EQ(g_GameMap.Block(10, 10).unit, nullptr);
    ExpectWorldSound(world);

    g_Config.networkRole = 2;
    remote->health = 0.0f;
    world.Frame(1);
    EXPECT_TRUE(log.Count("#DEBUG: Invalid animation type for a dead unit") == 1 && !remote->IsDying());
}

using UnitHealth = UnitLifecycle;

// In a network game only the owner's machine heals, and tells the others.
TEST_F(UnitHealth, StarvationNeverTakesTheLastHitPointAndHealingRaisesHealthButNotOfTheDeadNorOnAnotherMachine)
{
    CHundredPointUnit unit;
    unit.starvation = 100.0f;
    EXPECT_FALSE(unit.IsAlive());
    unit.starvation = 99.0f;
    EXPECT_TRUE(unit.GetLivingHitPoints() == 1 && unit.IsAlive());
    const struct { float health, starvation, added; int32_t living; float after; } starving[] = {
        {100, 0, 50, 95, 5}, {100, 5, -20, 97, 3}, {100, 3, -1000, 100, 0},
        {2, 1, 10, 1, 1},    {100, 95, 1000, 5, 95},   // one hit point is always left
    };
    for (const auto& c : starving)
    {
        SCOPED_TRACE(testing::Message() << c.health << " - " << c.starvation << " + " << c.added);
        unit.health = c.health;
        unit.starvation = c.starvation;
        EXPECT_EQ(unit.AddStarvation(c.added), c.living);
        EXPECT_FLOAT_EQ(unit.starvation, c.after);
    }
    const struct { float health, starvation; bool healed; float after; } healing[] = {
        {50, 20, true, 60}, {95, 0, false, 100}, {100, 0, false, 100}, {0.5f, 0, false, 0.5f}};   // 0.5: dead
    for (const auto& c : healing)
    {
        unit.health = c.health;
        unit.starvation = c.starvation;
        EXPECT_EQ(unit.Heal(10.0f), c.healed) << c.health;
        EXPECT_FLOAT_EQ(unit.health, c.after) << c.health;
    }

    g_Config.networkRole = 2;
    CUnit* own = world.Spawn(0, 2, 5, 5);
    CUnit* remote = world.Spawn(3, 2, 9, 9);
    g_MultiplayerGame.ClearSent();
    own->health = remote->health = 50.0f;
    EXPECT_FALSE(remote->Heal(10.0f));
    EXPECT_FLOAT_EQ(remote->health, 50.0f);
    EXPECT_TRUE(own->Heal(10.0f));
    EXPECT_FLOAT_EQ(own->health, 70.0f);   // 10 of the warrior's 50 hit points
    ASSERT_EQ(g_MultiplayerGame.GetSent().size(), 1u);
    const CNetPacket& told = g_MultiplayerGame.GetSent()[0].packet;
    EXPECT_TRUE(told.Command() == CMultiplayerGame::CommandUnitHealth && told.Value(0) == Ref(own));
    EXPECT_FLOAT_EQ(CNetPacket::ToFloat(told.Value(1)), 70.0f);
}
