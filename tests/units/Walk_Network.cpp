// The tile-step protocol of a network game: a client's unit asks the host
// for every step and waits; the host tests the tile, answers every machine
// when the step is granted and only the owner when it is refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t HostRole = 1;
constexpr int32_t ClientRole = 2;
constexpr int32_t East = 2;
constexpr int32_t EastFacing = 90;

class WalkNetwork : public UnitWorldTest
{
protected:
    ~WalkNetwork() override { g_LocalPlayer = 0; }

    // This machine is the client of player 1; its unit is ordered three
    // blocks east and has asked for its first step.
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
    const CUnitCommandOutbox::SCommand* LastSent(int32_t command) const
    {
        const std::vector<CUnitCommandOutbox::SCommand>& sent = g_UnitCommandOutbox.GetSent();
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (it->command == command)
                return &*it;
        return nullptr;
    }
    int32_t CountSent(int32_t command) const
    {
        int32_t count = 0;
        for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
            count += sent.command == command ? 1 : 0;
        return count;
    }
};

TEST_F(WalkNetwork, ClientAsksTheHostForEachStepAndWaits)
{
    CTestWalker* unit = ClientUnitAskingForAStep();
    const CUnitCommandOutbox::SCommand* request = LastSent(CUnitCommandOutbox::CommandRequestMoveStep);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->unit, unit);
    EXPECT_EQ(request->x, 11);
    EXPECT_EQ(request->y, 10);
    EXPECT_EQ(request->facing, EastFacing);
    EXPECT_EQ(request->direction, East);
    EXPECT_EQ(request->receiver, 0);
    EXPECT_EQ(unit->awaitingMoveAnswer, 1);
    EXPECT_EQ(unit->x, 10);
    // Without an answer nothing moves and nothing more is asked.
    for (int32_t frame = 0; frame < 10; ++frame)
        FrameSound(3);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestMoveStep), 1);
    EXPECT_EQ(unit->x, 10);
    // The host grants it: the step is taken, and the next one asked for
    // once it is done.
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_EQ(unit->awaitingMoveAnswer, 0);
    EXPECT_EQ(unit->x, 11);
    EXPECT_EQ(unit->stepTicks, 10);
    EXPECT_EQ(unit->facing, EastFacing);
    FrameSound(10);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestMoveStep), 1);
    FrameSound(1);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestMoveStep), 2);
    EXPECT_EQ(LastSent(CUnitCommandOutbox::CommandRequestMoveStep)->x, 12);
}

TEST_F(WalkNetwork, ClientRetriesAndStopsCountingAsMovingAfterTwentyRetryAnswers)
{
    CTestWalker* unit = ClientUnitAskingForAStep();
    for (int32_t answer = 1; answer <= CUnit::MaxTileRetries; ++answer)
    {
        ASSERT_EQ(unit->awaitingMoveAnswer, 1) << answer;
        unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileHeldByMovers, East);
        EXPECT_EQ(unit->retryCounter, answer);
        EXPECT_EQ(unit->pathFlag, answer < CUnit::MaxTileRetries ? 1 : 0) << answer;
        EXPECT_EQ(unit->animType, ANIM_STAND);
        EXPECT_EQ(unit->ready, 1);
        FrameSound();   // asks again
    }
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestMoveStep), CUnit::MaxTileRetries + 1);
    EXPECT_EQ(unit->x, 10);
}

TEST_F(WalkNetwork, ClientGivesUpAndAsksForANewPathOnARefusal)
{
    CTestWalker* unit = ClientUnitAskingForAStep();
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileBlocked, East);
    EXPECT_EQ(unit->awaitingMoveAnswer, 0);
    EXPECT_EQ(unit->routeEnd, 0);
    EXPECT_EQ(unit->orderState, 1);
    EXPECT_EQ(unit->threaded, 1);
    EXPECT_EQ(unit->pathFlag, 0);
    EXPECT_EQ(unit->x, 10);
    const int32_t performed = unit->performCalls;
    FrameSound();
    EXPECT_EQ(unit->performCalls, performed + 1);
    EXPECT_GT(unit->routeEnd, 0);
}

TEST_F(WalkNetwork, MalformedOrLateAnswersChangeNothingButTheWait)
{
    CTestWalker* unit = ClientUnitAskingForAStep();
    const int32_t route = unit->routeEnd;
    struct SAnswer
    {
        int32_t x, y, result, direction;
    };
    const SAnswer bad[] = {
        {11, 10, CUnit::TileFree, 9},    // no such direction
        {11, 10, CUnit::TileFree, -1},
        {300, 5, CUnit::TileFree, East},  // off the map
        {12, 10, CUnit::TileFree, East},  // not a neighbour
        {11, 11, CUnit::TileFree, East},  // not where the direction leads
        {11, 10, 7, East},                // no such result
    };
    for (const SAnswer& answer : bad)
    {
        unit->awaitingMoveAnswer = 1;
        unit->OnNetworkMoveResponse(answer.x, answer.y, EastFacing, answer.result, answer.direction);
        EXPECT_EQ(unit->awaitingMoveAnswer, 0);
        EXPECT_EQ(unit->x, 10);
        EXPECT_EQ(unit->y, 10);
        EXPECT_EQ(unit->routeEnd, route);
        EXPECT_EQ(unit->stepTicks, 0);
    }
    // An answer for a unit that died meanwhile does not move it.
    unit->awaitingMoveAnswer = 1;
    unit->RemoveFromWorld(false);
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_EQ(unit->awaitingMoveAnswer, 0);
    EXPECT_EQ(unit->x, 10);
    EXPECT_NE(unit->animType, ANIM_WALK);
    EXPECT_EQ(g_GameMap.Block(11, 10).unit, nullptr);
}

TEST_F(WalkNetwork, HostsOwnUnitStepsAtOnceAndTellsEveryMachine)
{
    g_Config.networkRole = HostRole;
    CUnit* unit = Walker(0, 10, 10);
    MoveTo(unit, 11, 10);
    FrameSound();
    FrameSound();
    EXPECT_EQ(unit->x, 11);
    const CUnitCommandOutbox::SCommand* step = LastSent(CUnitCommandOutbox::CommandMoveStep);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->x, 11);
    EXPECT_EQ(step->direction, East);
    EXPECT_EQ(step->result, CUnit::TileFree);
    EXPECT_EQ(step->receiver, CUnitCommandOutbox::AllMachines);
    const CUnitCommandOutbox::SCommand* turn = LastSent(CUnitCommandOutbox::CommandUnitDirection);
    ASSERT_NE(turn, nullptr);
    EXPECT_EQ(turn->facing, EastFacing);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestMoveStep), 0);
}

TEST_F(WalkNetwork, HostChecksEveryRequestBeforeItAnswers)
{
    g_Config.networkRole = HostRole;
    CUnit* unit = Walker(1, 10, 10);
    Walker(2, 10, 11);   // standing in the way
    // From a machine that does not own the unit, off the map, not a
    // neighbour, a bad direction, onto a standing unit: refused, to the
    // owner alone.
    const struct
    {
        int32_t sender, x, y, direction;
    } refused[] = {{2, 11, 10, East}, {1, 300, 10, East}, {1, 12, 10, East}, {1, 11, 10, 12}, {1, 10, 11, 4}};
    for (const auto& request : refused)
    {
        g_UnitCommandOutbox.Clear();
        unit->OnNetworkMoveRequest(request.sender, request.x, request.y, EastFacing, request.direction);
        const CUnitCommandOutbox::SCommand* answer = LastSent(CUnitCommandOutbox::CommandMoveStep);
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer->result, CUnit::TileBlocked);
        EXPECT_EQ(answer->receiver, 1);
        EXPECT_EQ(unit->x, 10);
    }
    g_UnitCommandOutbox.Clear();
    unit->OnNetworkMoveRequest(1, 11, 10, EastFacing, East);
    const CUnitCommandOutbox::SCommand* granted = LastSent(CUnitCommandOutbox::CommandMoveStep);
    ASSERT_NE(granted, nullptr);
    EXPECT_EQ(granted->result, CUnit::TileFree);
    EXPECT_EQ(granted->receiver, CUnitCommandOutbox::AllMachines);
    EXPECT_EQ(unit->x, 11);
    EXPECT_EQ(unit->routeEnd, 1);
    FrameSound(11);
    EXPECT_FLOAT_EQ(unit->centreX, 11.5f);
    EXPECT_EQ(unit->routeEnd, 0);
    // A request for a unit that is gone is refused.
    unit->RemoveFromWorld(false);
    g_UnitCommandOutbox.Clear();
    unit->OnNetworkMoveRequest(1, 12, 10, EastFacing, East);
    ASSERT_NE(LastSent(CUnitCommandOutbox::CommandMoveStep), nullptr);
    EXPECT_EQ(LastSent(CUnitCommandOutbox::CommandMoveStep)->result, CUnit::TileBlocked);
    EXPECT_EQ(unit->x, 11);
}
}  // namespace
