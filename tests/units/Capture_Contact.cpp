// Capture by contact: units and buildings of neutral and defeated players
// change to the side of a unit that touches them, in whole chains; in a
// network game the host takes them and a client asks the host.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t Neutral = 2;     // player type 0
constexpr int32_t Defeated = 3;    // player type 4
constexpr int32_t Computer = 4;

class Capture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        world.Player(Neutral).type = PLAYER_NONE;
        world.Player(Defeated).type = PLAYER_DEFEATED;
    }
    void TearDown() override
    {
        for (CBuilding* building : buildings)
            building->TakeDown(false);
        g_PtrGarbage.Flush();
        g_LocalPlayer = 0;
    }
    CBuilding* FinishedHouse(int32_t owner, int32_t x, int32_t y)
    {
        CBuilding* house = world.Player(owner).CreateBuilding(CastHouse, x, y);
        buildings.push_back(house);
        house->buildProgress = CBuilding::FinishedProgress;
        house->OnFinished();
        return house;
    }
    static std::vector<const void*> Sent(int32_t command)
    {
        std::vector<const void*> named;
        for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
            if (sent.command == command)
                named.push_back(sent.unit != nullptr ? static_cast<const void*>(sent.unit) : sent.building);
        return named;
    }

    CSimHarness world;
    std::vector<CBuilding*> buildings;
};
}  // namespace

TEST_F(Capture, AWalkerTakesAChainOfTouchingUnitsAndABuilding)
{
    CUnit* walker = world.Adopt(0, new CTestWalker(0.1f), 10, 20);
    CUnit* first = world.Spawn(Neutral, UNIT_WARRIOR, 15, 21);    // touches the walker's goal
    CUnit* second = world.Spawn(Defeated, UNIT_WARRIOR, 16, 22);  // touches the first
    CUnit* third = world.Spawn(Neutral, UNIT_WARRIOR, 17, 23);    // touches the second
    CUnit* computers = world.Spawn(Computer, UNIT_WARRIOR, 18, 24);
    CUnit* dying = world.Spawn(Defeated, UNIT_WARRIOR, 14, 22);
    CUnit* apart = world.Spawn(Defeated, UNIT_WARRIOR, 30, 30);
    CBuilding* house = FinishedHouse(Defeated, 18, 21);           // block (18, 22) touches the third
    dying->RemoveFromWorld(false);
    const int32_t lost = world.Player(Defeated).statistics[STAT_BUILDINGS_LOST];

    walker->onCommand(nullptr, nullptr, nullptr, 14, 20, CMD_MOVE_TO);
    for (int32_t frame = 0; frame < 80; ++frame)
    {
        world.Frame(1);
        const std::vector<std::string> faults = world.CheckInvariants();
        ASSERT_TRUE(faults.empty()) << faults.front();
        // One block short of the goal nothing touches yet.
        if (walker->x == 13)
        {
            ASSERT_EQ(first->player, Neutral);
        }
    }
    ASSERT_EQ(walker->x, 14);

    EXPECT_EQ(first->player, 0);
    EXPECT_EQ(second->player, 0);
    EXPECT_EQ(third->player, 0);
    EXPECT_EQ(computers->player, Computer);
    EXPECT_EQ(dying->player, Defeated);
    EXPECT_EQ(apart->player, Defeated);
    EXPECT_EQ(house->owner, 0);
    EXPECT_TRUE(world.Player(0).HasBuilding(house));
    EXPECT_EQ(world.Player(0).finishedBuildings[CastHouse], 1);
    EXPECT_EQ(world.Player(Defeated).finishedBuildings[CastHouse], 0);
    EXPECT_EQ(world.Player(Defeated).statistics[STAT_BUILDINGS_LOST], lost);
}

TEST_F(Capture, ALongWindingLineChangesSidesInOneStep)
{
    // Rows 10, 12 and 14 of 44 units each, joined at alternate ends.
    for (int32_t row = 0; row < 3; ++row)
    {
        for (int32_t x = 2; x <= 45; ++x)
            world.Spawn(Defeated, UNIT_WARRIOR, x, 10 + 2 * row);
        if (row < 2)
            world.Spawn(Defeated, UNIT_WARRIOR, row == 0 ? 45 : 2, 11 + 2 * row);
    }
    ASSERT_EQ(world.Player(Defeated).unitCount, 134);
    CUnit* capturer = world.Spawn(0, UNIT_WARRIOR, 1, 9);

    capturer->CaptureAdjacent();

    EXPECT_EQ(world.Player(0).unitCount, 135);
    EXPECT_EQ(world.Player(Defeated).unitCount, 0);
    const std::vector<std::string> faults = world.CheckInvariants();
    EXPECT_TRUE(faults.empty()) << (faults.empty() ? "" : faults.front());
}

TEST_F(Capture, AClientAsksTheHostOnceForEachTouchedObjectAndOnlyForItsOwnUnits)
{
    g_Config.networkRole = 2;
    g_LocalPlayer = 1;
    CUnit* capturer = world.Spawn(1, UNIT_WARRIOR, 10, 10);
    CUnit* first = world.Spawn(Defeated, UNIT_WARRIOR, 11, 10);
    CUnit* second = world.Spawn(Defeated, UNIT_WARRIOR, 11, 11);
    world.Spawn(Defeated, UNIT_WARRIOR, 12, 11);                   // touches only the second
    CBuilding* house = FinishedHouse(Defeated, 7, 9);              // blocks 7..9 x 9..10
    CUnit* remote = world.Spawn(5, UNIT_WARRIOR, 12, 9);
    g_UnitCommandOutbox.Clear();

    capturer->SetTile(10, 10);
    remote->SetTile(12, 9);

    EXPECT_EQ(Sent(CUnitCommandOutbox::CommandRequestConvertUnit), (std::vector<const void*>{first, second}));
    EXPECT_EQ(Sent(CUnitCommandOutbox::CommandRequestConvertBuilding), (std::vector<const void*>{house}));
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        EXPECT_TRUE(sent.receiver == 0 && sent.other == capturer);
    EXPECT_EQ(first->player, Defeated);

    // The host's answer converts here; the owner goes on asking from there.
    g_UnitCommandOutbox.Clear();
    capturer->OnNetworkConvertUnit(second, 77);
    capturer->OnNetworkConvertUnit(first, 0x80000);
    EXPECT_EQ(second->player, 1);
    EXPECT_EQ(second->uniqueId, 77);
    EXPECT_EQ(first->player, Defeated);
    EXPECT_EQ(Sent(CUnitCommandOutbox::CommandRequestConvertUnit).size(), 2u);
}

TEST_F(Capture, TheHostTakesTheChainAndAnnouncesEachUnitWithItsNewId)
{
    g_Config.networkRole = 1;
    CUnit* capturer = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* first = world.Spawn(Defeated, UNIT_WARRIOR, 11, 10);
    CUnit* second = world.Spawn(Defeated, UNIT_WARRIOR, 12, 10);
    CBuilding* house = FinishedHouse(Neutral, 13, 10);
    const int32_t firstId = first->uniqueId;
    g_UnitCommandOutbox.Clear();

    capturer->SetTile(10, 10);

    EXPECT_EQ(second->player, 0);
    EXPECT_EQ(house->owner, 0);
    EXPECT_NE(first->uniqueId, firstId);
    EXPECT_EQ(Sent(CUnitCommandOutbox::CommandUnitConverted), (std::vector<const void*>{first, second}));
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        if (sent.command == CUnitCommandOutbox::CommandUnitConverted)
        {
            EXPECT_EQ(sent.newUniqueId, sent.unit->uniqueId);
        }
    EXPECT_EQ(Sent(CUnitCommandOutbox::CommandBuildingConverted), (std::vector<const void*>{house}));
}
