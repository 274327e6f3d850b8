// Walking: step times from the speed, who may take a tile on the way, and steps in a network game, where a client
// asks the host for each and waits and the host answers every machine on a grant, only the owner on a refusal.

#include <limits>
#include <utility>

#include "buildings/C_Building.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_Worker.h"
#include "world/C_GameMap.h"

namespace
{
TEST(WalkStepTicks, FollowTheSpeedInThirtyTwoBitFloatAndAreNeitherZeroNorEndless)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), infinity = std::numeric_limits<float>::infinity();
    // 1 / 0.1f is 9.99999985 in double but 10 in float, as the game counts.
    const struct { float speed; bool diagonal; int32_t ticks; } cases[] = {
        {0.1f, false, 10}, {0.1f, true, 14},  {0.05f, false, 20}, {0.055f, false, 18}, {0.08f, true, 17},
        {1.0f, false, 1},  {7.5f, true, 1},   {0.0f, false, 0},   {-0.1f, false, 0},   {nan, false, 0},
        {1e-30f, false, 1 << 20}, {infinity, false, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUnit::StepTicksFor(c.speed, c.diagonal), c.ticks) << c.speed << (c.diagonal ? " diagonal" : "");
}

using WalkOccupancy = UnitWorldTest;

TEST_F(WalkOccupancy, TileTestTellsFreeMoversAndBlocked)
{
    CUnit* unit = Walker(0, 10, 10);
    Walker(0, 12, 10);
    Walker(0, 13, 10)->pathFlag = 1;
    g_GameMap.Block(11, 11).blocked = 1;
    const struct { int32_t x, y, result; } tiles[] = {
        {11, 10, CUnit::TileFree},    {10, 10, CUnit::TileFree},   // its own block
        {12, 10, CUnit::TileBlocked}, {13, 10, CUnit::TileHeldByMovers}, {11, 11, CUnit::TileBlocked},
        {-1, 5, CUnit::TileBlocked},  {5, -1, CUnit::TileBlocked}, {CSimHarness::DefaultMapSide, 5, CUnit::TileBlocked},
        {300, 5, CUnit::TileBlocked}};
    for (const auto& tile : tiles)
        EXPECT_EQ(unit->TestTileFree(tile.x, tile.y), tile.result) << tile.x << "," << tile.y;
}

TEST_F(WalkOccupancy, WaitsBehindAMoverAndStopsCountingAsMovingAfterTwentyTries)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* mover = Walker(0, 11, 10);
    MoveTo(unit, 12, 10);
    ASSERT_TRUE(FrameSound());
    ASSERT_GT(unit->routeEnd, 0);
    // The unit in the way claims to walk but never leaves.
    mover->pathFlag = 1;
    unit->route[unit->routeEnd - 1] = 2;   // straight east into it
    ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == 1 && unit->animType == ANIM_STAND && unit->pathFlag == 1);
    for (int32_t tick = 2; tick < CUnit::MaxTileRetries; ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries - 1 && unit->pathFlag == 1);
    ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries && unit->pathFlag == 0);
    // Once the mover leaves, the step goes on.
    mover->pathFlag = 0;
    world.Delete(mover);
    ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->x == 11 && unit->retryCounter == 0 && unit->pathFlag == 1);
}

// One-block passages (x 8 to 15, closed at both ends) with a side block at x 11: a walker that meets an
// ally standing there waits in front of it, and the ally keeps its block and its work: it is never
// pushed into the water of the side block.  Two walkers that meet head on pass each other by it.
TEST_F(WalkOccupancy, NoUnitInAPassageIsPushedIntoWaterOrAwayFromItsWorkAndTwoWalkersPass)
{
    const struct { int32_t y, sideWater, command, walkerEndX, otherEndX; } cases[] = {
        {10, 20, CMD_NONE, 10, 11}, {20, 0, CMD_HARVEST, 10, 11}, {30, 0, CMD_MOVE_TO, 13, 8}};
    world.Player(0).allied[1] = world.Player(1).allied[0] = 1;
    CUnit* walkers[3];
    CUnit* others[3];
    for (int32_t i = 0; i < 3; ++i)
    {
        const int32_t y = cases[i].y;
        for (int32_t x = 7; x <= 16; ++x)
            g_GameMap.Block(x, y - 1).blocked = g_GameMap.Block(x, y + 1).blocked = 1;
        g_GameMap.Block(7, y).blocked = g_GameMap.Block(16, y).blocked = 1;
        g_GameMap.Block(11, y + 1).blocked = 0;
        g_GameMap.Block(11, y + 1).waterLevel = static_cast<uint16_t>(cases[i].sideWater);
        walkers[i] = Walker(0, 9, y);
        others[i] = Walker(1, 11, y);
        MoveTo(walkers[i], 13, y);
        if (cases[i].command == CMD_MOVE_TO)
            MoveTo(others[i], cases[i].otherEndX, y);
        others[i]->currentCommand = cases[i].command;
    }
    for (int32_t tick = 0; tick < 300; ++tick)
        ASSERT_TRUE(FrameSound());
    for (int32_t i = 0; i < 3; ++i)
    {
        EXPECT_TRUE(walkers[i]->x == cases[i].walkerEndX && others[i]->x == cases[i].otherEndX) << cases[i].y;
        EXPECT_TRUE(walkers[i]->y == cases[i].y && others[i]->y == cases[i].y) << cases[i].y;
        EXPECT_TRUE(others[i]->currentCommand == cases[i].command || cases[i].command == CMD_MOVE_TO) << cases[i].y;
    }
}

constexpr int32_t HostRole = 1;
constexpr int32_t ClientRole = 2;
constexpr int32_t East = 2;
constexpr int32_t EastFacing = 90;

class WalkNetwork : public UnitWorldTest
{
protected:
    // Player 1's client, its unit ordered three blocks east and waiting for its first step.
    CTestWalker* ClientUnitAskingForAStep()
    {
        g_Config.networkRole = ClientRole;
        g_LocalPlayer = 1;
        CTestWalker* unit = Walker(1, 10, 10);
        MoveTo(unit, 13, 10);
        FrameSound();   // the order is performed, the route found
        FrameSound();   // the first step is asked for
        return unit;
    }
    // The result and receiver of the last step answer, or {-1, -1}.
    static std::pair<int32_t, int32_t> LastAnswer()
    {
        const CMultiplayer::SSentPacket* answer = LastSent(CMultiplayerGame::CommandMoveStep);
        return answer == nullptr ? std::pair(-1, -1) : std::pair(answer->packet.Value(5), answer->target);
    }
};

TEST_F(WalkNetwork, ClientAsksForEachStepIgnoresMalformedAnswersRetriesAndReplansOnARefusal)
{
    constexpr int32_t Request = CMultiplayerGame::CommandRequestMoveStep;
    CTestWalker* unit = ClientUnitAskingForAStep();
    const CMultiplayer::SSentPacket* request = LastSent(Request);
    ASSERT_NE(request, nullptr);
    // Unit, x, y, facing, direction, to the host.
    EXPECT_EQ(std::vector<int32_t>(request->packet.fields + 2, request->packet.fields + 7),
              std::vector<int32_t>({Ref(unit), 11, 10, EastFacing, East}));
    EXPECT_EQ(request->target, 0);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 1 && unit->x == 10);
    // Without an answer nothing moves and nothing more is asked.
    for (int32_t frame = 0; frame < 10; ++frame)
        FrameSound(3);
    EXPECT_TRUE(SentCommands(Request) == 1 && unit->x == 10);

    const int32_t route = unit->routeEnd;
    const struct { int32_t x, y, result, direction; } bad[] = {
        {11, 10, CUnit::TileFree, 9},     // no such direction
        {11, 10, CUnit::TileFree, -1},
        {300, 5, CUnit::TileFree, East},  // off the map
        {12, 10, CUnit::TileFree, East},  // not a neighbour
        {11, 11, CUnit::TileFree, East},  // not where the direction leads
        {11, 10, 7, East},                // no such result
    };
    for (const auto& answer : bad)
    {
        unit->awaitingMoveAnswer = 1;
        unit->OnNetworkMoveResponse(answer.x, answer.y, EastFacing, answer.result, answer.direction);
        EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 10 && unit->y == 10) << answer.x << "," << answer.y;
        EXPECT_TRUE(unit->routeEnd == route && unit->stepTicks == 0) << answer.x << "," << answer.y;
    }

    g_MultiplayerGame.ClearSent();
    unit->awaitingMoveAnswer = 1;
    for (int32_t answer = 1; answer <= CUnit::MaxTileRetries; ++answer)
    {
        ASSERT_EQ(unit->awaitingMoveAnswer, 1) << answer;
        unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileHeldByMovers, East);
        EXPECT_EQ(unit->retryCounter, answer);
        EXPECT_EQ(unit->pathFlag, answer < CUnit::MaxTileRetries ? 1 : 0) << answer;
        EXPECT_TRUE(unit->animType == ANIM_STAND && unit->ready == 1) << answer;
        FrameSound();   // asks again
    }
    EXPECT_TRUE(SentCommands(Request) == CUnit::MaxTileRetries && unit->x == 10);

    // A refusal sends the order back for a new path.
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileBlocked, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->routeEnd == 0 && unit->pathFlag == 0 && unit->x == 10 &&
                unit->orderState == 1 && unit->threaded == 1);
    const int32_t performed = unit->performCalls;
    FrameSound();
    EXPECT_TRUE(unit->performCalls == performed + 1 && unit->routeEnd > 0);

    // Granted: the step is taken, and the next one asked for once it is done.
    ASSERT_GT(FramesUntil(3, [&] { return unit->awaitingMoveAnswer == 1; }), 0);
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 11 && unit->stepTicks == 10 && unit->facing == EastFacing);
    g_MultiplayerGame.ClearSent();
    FrameSound(10);
    EXPECT_EQ(SentCommands(Request), 0);
    FrameSound(1);
    ASSERT_EQ(SentCommands(Request), 1);
    EXPECT_EQ(LastSent(Request)->packet.Value(1), 12);

    // An answer for a unit that died meanwhile does not move it.
    unit->RemoveFromWorld(false);
    unit->OnNetworkMoveResponse(12, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 11 && unit->animType != ANIM_WALK);
    EXPECT_EQ(g_GameMap.Block(12, 10).unit, nullptr);
}

TEST_F(WalkNetwork, HostChecksEveryRequestBeforeItAnswers)
{
    g_Config.networkRole = HostRole;
    CUnit* unit = Walker(1, 10, 10);
    Walker(2, 10, 11);   // standing in the way
    // From a machine not the owner, off the map, not a neighbour, a bad
    // direction, onto a standing unit: refused, to the owner alone.
    const struct { int32_t sender, x, y, direction; } refused[] = {
        {2, 11, 10, East}, {1, 300, 10, East}, {1, 12, 10, East}, {1, 11, 10, 12}, {1, 10, 11, 4}};
    for (const auto& request : refused)
    {
        g_MultiplayerGame.ClearSent();
        unit->OnNetworkMoveRequest(request.sender, request.x, request.y, EastFacing, request.direction);
        EXPECT_EQ(LastAnswer(), std::pair(int32_t(CUnit::TileBlocked), 1)) << request.x << "," << request.y;
        EXPECT_EQ(unit->x, 10);
    }
    g_MultiplayerGame.ClearSent();
    unit->OnNetworkMoveRequest(1, 11, 10, EastFacing, East);
    EXPECT_EQ(LastAnswer(), std::pair(int32_t(CUnit::TileFree), CMultiplayer::AllMachines));
    EXPECT_TRUE(unit->x == 11 && unit->routeEnd == 1);
    FrameSound(5);   // half the step's 10 ticks
    EXPECT_FLOAT_EQ(unit->centreX, 11.0f);
    FrameSound(6);
    EXPECT_FLOAT_EQ(unit->centreX, 11.5f);
    EXPECT_EQ(unit->routeEnd, 0);
    unit->RemoveFromWorld(false);
    g_MultiplayerGame.ClearSent();
    unit->OnNetworkMoveRequest(1, 12, 10, EastFacing, East);
    EXPECT_TRUE(LastAnswer().first == CUnit::TileBlocked && unit->x == 11);
}

// A copy takes another machine's action on its tile; in a single-player game, with a kind, animation or
// point out of range, for this machine's own unit or for a dying copy nothing changes.
TEST_F(WalkNetwork, CopyTakesTheActionOnItsTileAndARemoteResourceBecomesItsTarget)
{
    CTestWalker* remote = Walker(1, 10, 10);
    CUnit* other = Walker(0, 12, 10);
    CTestLog log;
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
    EXPECT_TRUE(log.Contains("#DEBUG: Multiplayer event in single player mode") && remote->targetUnit == nullptr);
    g_Config.networkRole = HostRole;
    remote->centreX = 10.8f;
    remote->routeEnd = 3;
    remote->pathFlag = 1;
    remote->awaitingMoveAnswer = 1;
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, true);
    EXPECT_TRUE(log.Contains("#DEBUG: Network perform action before move response"));
    EXPECT_TRUE(remote->awaitingMoveAnswer == 0 && remote->animType == ANIM_ATTACK && remote->tornApart == 1);
    EXPECT_TRUE(remote->targetUnit == other && remote->actionTargetUnit == other && remote->targetKind == TARGET_UNIT);
    EXPECT_TRUE(remote->approachX == 12 && remote->centreX == 10.5f && remote->routeEnd == 0 && remote->pathFlag == 0);

    // An event without a target is reported and applied all the same.
    remote->OnNetworkAction(ANIM_STAND, nullptr, nullptr, 10, 10, TARGET_NONE, false);
    EXPECT_TRUE(log.Contains("#DEBUG: Invalid target type in network unit event"));
    EXPECT_TRUE(remote->animType == ANIM_STAND && remote->targetKind == TARGET_NONE && remote->targetUnit == nullptr);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, 9, false);
    EXPECT_EQ(log.Count("#DEBUG: Invalid target type in network unit event"), 2);
    remote->OnNetworkAction(14, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(-1, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 300, 10, TARGET_BLOCK, false);
    EXPECT_TRUE(remote->animType == ANIM_STAND && remote->targetUnit == nullptr);
    other->OnNetworkAction(ANIM_ATTACK, remote, nullptr, 10, 10, TARGET_UNIT, false);
    EXPECT_EQ(other->targetUnit, nullptr);
    remote->RemoveFromWorld(false);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
    EXPECT_EQ(remote->animType, ANIM_DIE);

    // A worker that starts on gold takes the mine as its target and drops its stone.
    CBuildingDouble mine(20, 20, -1, 10, 4);   // a gold mine
    auto* worker = static_cast<CUnitWorker*>(world.Spawn(1, UNIT_WORKER, 14, 14));
    ASSERT_NE(worker, nullptr);
    worker->carriedKind = CUnitWorker::KindStone;
    worker->carriedAmount = 5;
    worker->OnNetworkAction(ANIM_MINE_GOLD, nullptr, &mine, 20, 20, TARGET_RESOURCE, false);
    EXPECT_TRUE(worker->targetObject == &mine && worker->targetBuilding == &mine && worker->objectResourceKind == 4);
    EXPECT_TRUE(worker->actionTargetBuilding == &mine && worker->carriedKind == CUnitWorker::KindGold &&
                worker->carriedAmount == 0);
    worker->targetBuilding = worker->actionTargetBuilding = worker->targetObject = nullptr;
}
}  // namespace
