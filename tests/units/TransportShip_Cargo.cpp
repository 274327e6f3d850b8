// The transport ship's cargo: boarding limits, unloading one unit or all
// where only some find land, the client's batches of requests and the
// host's answers.

#include "TransportShip_Fixture.h"

#include "game/C_Selection.h"
#include "units/C_UnitActionBuffer.h"

namespace
{
constexpr uint32_t Yellow = 0xFFFF00;
}

TEST_F(TransportShip, SixteenBoardTheSeventeenthAndRepeatsAreRefused)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* first = nullptr;
    for (int32_t i = 0; i < CUnitTransportShip::CargoCapacity; ++i)
    {
        CUnit* unit = Board(*ship);
        ASSERT_NE(unit, nullptr) << "unit " << i;
        first = first != nullptr ? first : unit;
    }
    EXPECT_FALSE(ship->AcceptGarrison(first));
    g_GameMap.Block(2, 2).waterLevel = 0;
    CUnit* seventeenth = world.Spawn(0, UNIT_WARRIOR, 2, 2);
    ASSERT_NE(seventeenth, nullptr);
    g_Selection.AddUnit(seventeenth, 0);
    EXPECT_FALSE(seventeenth->BoardTransport(ship));
    EXPECT_EQ(seventeenth->onMap, 1);
    EXPECT_EQ(g_Selection.unitCount, 1);
    EXPECT_EQ(ship->GetCargoCount(), 16);
    EXPECT_FALSE(ship->AcceptGarrison(ship));
    EXPECT_FALSE(ship->AcceptGarrison(nullptr));
    g_Selection.RemoveUnit(seventeenth);
    ExpectSound();
}

TEST_F(TransportShip, TheShipCarryingAUnitIsFoundInListOrder)
{
    CUnitTransportShip* empty = SpawnShip(0);
    CUnitTransportShip* carrier = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 30, 30));
    ASSERT_TRUE(empty != nullptr && carrier != nullptr);
    CUnit* passenger = Board(*carrier);
    CUnit* ashore = world.Spawn(0, UNIT_WARRIOR, 13, IsletY);
    ASSERT_TRUE(passenger != nullptr && ashore != nullptr);
    EXPECT_EQ(FindPlayerTransportShip(passenger), carrier);
    EXPECT_EQ(FindPlayerTransportShip(ashore), nullptr);
    EXPECT_EQ(FindPlayerTransportShip(nullptr), nullptr);
}

TEST_F(TransportShip, UngarrisonWithATargetUnitUnloadsOnlyThatUnit)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* a = Board(*ship);
    CUnit* b = Board(*ship);
    CUnit* c = Board(*ship);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    ship->onCommand(b, nullptr, nullptr, 40, 40, CMD_UNGARRISON);
    EXPECT_EQ(ship->currentCommand, CMD_FIND_UNGARRISON_COAST);
    EXPECT_EQ(ship->targetKind, TARGET_NONE);
    EXPECT_EQ(ship->threaded, 1);
    EXPECT_EQ(ship->targetX, ShipX);
    for (int32_t frame = 0; frame < 4 && ship->GetCargoCount() == 3; ++frame)
        world.Frame(1);
    EXPECT_EQ(b->onMap, 1);
    EXPECT_EQ(b->y, IsletY);
    ASSERT_EQ(ship->GetCargoCount(), 2);
    EXPECT_EQ(ship->GetCargo(0), a);
    EXPECT_EQ(ship->GetCargo(1), c);
    EXPECT_EQ(ship->currentCommand, CMD_NONE);
    EXPECT_TRUE(world.Messages().empty());
    ExpectSound();
}

TEST_F(TransportShip, UnloadAllLandsWhatFitsAndTellsTheOwnerOnce)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* a = Board(*ship);
    CUnit* b = Board(*ship);
    CUnit* c = Board(*ship);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    ship->UnloadAll();
    EXPECT_EQ(a->onMap, 1);
    EXPECT_EQ(b->onMap, 1);
    EXPECT_EQ(c->onMap, 0);
    EXPECT_NE(a->x, b->x);
    ASSERT_EQ(ship->GetCargoCount(), 1);
    EXPECT_EQ(ship->GetCargo(0), c);
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(world.Messages()[0].text, "No place for all");
    EXPECT_EQ(world.Messages()[0].colour, Yellow);

    EXPECT_FALSE(ship->UnloadOne(c, true));
    ASSERT_EQ(world.Messages().size(), 2u);
    EXPECT_EQ(world.Messages()[1].text, "No place");
    EXPECT_FALSE(ship->UnloadOne(a, true));   // ashore already
    EXPECT_EQ(world.Messages().size(), 2u);
    ExpectSound();
}

TEST_F(TransportShip, AClientBatchShowsItsMessageAfterTheLastAnswer)
{
    g_LocalPlayer = 1;
    CUnitTransportShip* ship = SpawnShip(1);
    ASSERT_NE(ship, nullptr);
    CUnit* units[5] = {};
    for (CUnit*& unit : units)
        ASSERT_NE(unit = Board(*ship), nullptr);
    g_Config.networkRole = 2;
    ship->UnloadAll();
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandRequestUnload), 5);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].receiver, 0);
    EXPECT_EQ(ship->GetCargoCount(), 5);
    EXPECT_EQ(ship->pendingAnswers, 5);
    EXPECT_TRUE(ship->UnloadUnit(units[0], 13, IsletY));
    ship->OnUnloadRefused(units[1]);
    EXPECT_TRUE(ship->UnloadUnit(units[2], 14, IsletY));
    ship->OnUnloadRefused(units[3]);
    EXPECT_TRUE(world.Messages().empty());
    EXPECT_FALSE(ship->UnloadUnit(units[4], -3, IsletY));   // off the map: ignored
    EXPECT_TRUE(world.Messages().empty());
    units[0]->ShowUnit(false);
    EXPECT_TRUE(ship->UnloadUnit(units[4], 13, IsletY));
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(world.Messages()[0].text, "No place for all");
    EXPECT_EQ(ship->GetCargoCount(), 2);
    EXPECT_EQ(ship->pendingAnswers, 0);

    EXPECT_TRUE(ship->UnloadOne(units[1], true));
    ship->OnUnloadRefused(units[1]);
    ASSERT_EQ(world.Messages().size(), 2u);
    EXPECT_EQ(world.Messages()[1].text, "No place");
    ship->OnUnloadRefused(units[1]);   // answers no question
    EXPECT_EQ(ship->pendingAnswers, 0);
    EXPECT_EQ(world.Messages().size(), 2u);
    g_Config.networkRole = 0;
    ExpectSound();
}

TEST_F(TransportShip, TheHostAnnouncesEveryLandingAndRefusesStaleRequests)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* a = Board(*ship);
    CUnit* b = Board(*ship);
    CUnit* c = Board(*ship);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr);
    g_Config.networkRole = 1;
    EXPECT_TRUE(ship->UnloadOne(a, false));
    ASSERT_EQ(CountSent(CUnitCommandOutbox::CommandUnitUnloaded), 1);
    const int32_t landedX = a->x;

    // The same request again finds the unit ashore: refused, nothing moves.
    g_UnitCommandOutbox.Clear();
    ship->OnUnloadRequest(a);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandUnloadRefused), 1);
    EXPECT_EQ(a->x, landedX);
    EXPECT_EQ(g_GameMap.Block(landedX, IsletY).unit, a);
    EXPECT_FALSE(ship->UnloadUnit(a, 14, IsletY));
    EXPECT_EQ(g_GameMap.Block(14, IsletY).unit, nullptr);

    // Another player's hidden unit may not be asked ashore.
    CUnit* stranger = world.Spawn(2, UNIT_WARRIOR, -1, -1);
    ASSERT_NE(stranger, nullptr);
    ship->OnUnloadRequest(stranger);
    EXPECT_EQ(stranger->onMap, 0);
    EXPECT_EQ(CountSent(CUnitCommandOutbox::CommandUnloadRefused), 2);

    g_UnitCommandOutbox.Clear();
    ship->OnUnloadRequest(b);
    ASSERT_EQ(CountSent(CUnitCommandOutbox::CommandUnitUnloaded), 1);
    const CUnitCommandOutbox::SCommand& landed = g_UnitCommandOutbox.GetSent().back();
    EXPECT_EQ(landed.other, b);
    EXPECT_EQ(landed.x, b->x);
    EXPECT_EQ(landed.receiver, CUnitCommandOutbox::AllMachines);
    EXPECT_FALSE(ship->IsCarrying(b));
    g_Config.networkRole = 0;
    ExpectSound();
}

TEST_F(TransportShip, UngarrisonSailsToTheNearestCoastAndUnloadsThere)
{
    CUnitTransportShip* ship = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 30, 24));
    ASSERT_NE(ship, nullptr);
    CUnit* a = Board(*ship);
    CUnit* b = Board(*ship);
    ASSERT_TRUE(a != nullptr && b != nullptr);
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    for (int32_t frame = 0; frame < 100 && ship->GetCargoCount() > 0; ++frame)
        world.Frame(10);
    EXPECT_EQ(ship->GetCargoCount(), 0);
    EXPECT_EQ(a->onMap, 1);
    EXPECT_EQ(b->onMap, 1);
    EXPECT_EQ(a->y, IsletY);
    EXPECT_EQ(b->y, IsletY);
    // It lies where the blocks around its 3 x 3 footprint reach the islet.
    EXPECT_LE(ship->x - 1, 14);
    EXPECT_GE(ship->x + 3, 13);
    EXPECT_LE(ship->y - 1, IsletY);
    EXPECT_GE(ship->y + 3, IsletY);
    EXPECT_TRUE(world.Messages().empty());
    ExpectSound();
}

TEST_F(TransportShip, CalledToAShoreTheShipStopsOnceItTouchesTheIsland)
{
    constexpr uint16_t Sea = 1;
    constexpr uint16_t Islet = 2;
    for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
            g_GameMap.Block(bx, by).regionId = g_GameMap.Block(bx, by).waterLevel > 7 ? Sea : Islet;
    CUnitTransportShip* ship = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 30, 24));
    ASSERT_NE(ship, nullptr);
    ship->callIsland = Islet;
    ship->InitAction(nullptr, nullptr, nullptr, 13, IsletY, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    for (int32_t frame = 0; frame < 100 && ship->currentCommand == CMD_MOVE_TO_GARRISON; ++frame)
        world.Frame(10);
    EXPECT_EQ(ship->currentCommand, CMD_NONE);
    EXPECT_TRUE(ship->IsAdjacentToRegion(Islet));

    // A shore it cannot come closer to ends the call, so nobody waits.
    constexpr uint16_t Nowhere = 5;
    ship->callIsland = Nowhere;
    ship->InitAction(nullptr, nullptr, nullptr, ship->x, ship->y, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    world.Frame(1);
    EXPECT_EQ(ship->currentCommand, CMD_NONE);
    EXPECT_EQ(ship->pathFlag, 0);
    ExpectSound();
}
