// The transport ship's cargo: boarding, the panel's rows, unloading (alone, as
// a client, as the host), the voyage to a coast, sinking with units aboard,
// saved bytes.

#include "TransportShip_Fixture.h"

#include "core/C_Ctrl.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "game/C_Selection.h"
#include "media/C_ModelRecord.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr uint32_t Yellow = 0xFFFF00;

std::string Int32Bytes(std::initializer_list<int32_t> values)
{
    CRecordBytes bytes;
    for (int32_t value : values)
        bytes.I32(value);
    return bytes.Bytes();
}

void Sink(CUnit& ship)
{
    ship.TakeHit(nullptr, 100000, DAMAGE_BLADE, false);
}
}  // namespace

TEST_F(TransportShip, SixteenBoardTheSeventeenthAndRepeatsAreRefusedAndTheCarrierIsFound)
{
    std::vector<CUnit*> cargo;
    CUnitTransportShip* empty = SpawnShip(0, 30, 30);
    CUnitTransportShip* ship = ShipCarrying(CUnitTransportShip::CargoCapacity, cargo);
    ASSERT_TRUE(ship != nullptr && empty != nullptr);
    EXPECT_FALSE(ship->AcceptGarrison(cargo[0]));
    g_GameMap.Block(2, 2).waterLevel = 0;
    CUnit* seventeenth = world.Spawn(0, UNIT_WARRIOR, 2, 2);
    ASSERT_NE(seventeenth, nullptr);
    g_Selection.AddUnit(seventeenth, 0);
    EXPECT_TRUE(!seventeenth->BoardTransport(ship) && seventeenth->onMap && g_Selection.unitCount == 1 &&
                ship->GetCargoCount() == 16);
    EXPECT_TRUE(!ship->AcceptGarrison(ship) && !ship->AcceptGarrison(nullptr));
    // The first ship in the list that carries the unit.
    EXPECT_TRUE(FindPlayerTransportShip(cargo[15]) == ship && FindPlayerTransportShip(seventeenth) == nullptr &&
                FindPlayerTransportShip(nullptr) == nullptr);
    g_Selection.RemoveUnit(seventeenth);
    ExpectWorldSound(world);
    // Two panel rows of eight, 20 apart and 45 down: the mouse at (150, 530) is over the boxes of
    // units 14 and 15 (x 125 and 145, y 520); the lower index is the one meant.
    g_BuildingPanel.BeginFrame();
    VirtualMouseX = 150;
    VirtualMouseY = 530;
    ship->RenderDetailsOnPanel();
    EXPECT_TRUE(g_BuildingPanel.hoverUnit == cargo[14] && g_BuildingPanel.hoverObjectKind == 17);
    EXPECT_TRUE(g_BuildingPanel.hintX == 206 && g_BuildingPanel.hintY == 768);
    VirtualMouseX = VirtualMouseY = 0;
}

// The islet holds two: the target lands alone, then all the rest is asked
// ashore and only one finds room.
TEST_F(TransportShip, UngarrisonWithATargetUnloadsItAloneAndUnloadAllTellsTheOwnerOnceWhatFound)
{
    std::vector<CUnit*> cargo;
    CUnitTransportShip* ship = ShipCarrying(3, cargo);
    ASSERT_NE(ship, nullptr);
    ship->onCommand(cargo[1], nullptr, nullptr, 40, 40, CMD_UNGARRISON);
    EXPECT_EQ(ship->currentCommand, CMD_FIND_UNGARRISON_COAST);
    EXPECT_TRUE(ship->targetKind == TARGET_NONE && ship->threaded == 1 && ship->targetX == ShipX);
    for (int32_t frame = 0; frame < 4 && ship->GetCargoCount() == 3; ++frame)
        world.Frame(1);
    EXPECT_TRUE(cargo[1]->onMap && cargo[1]->y == IsletY);
    ASSERT_EQ(ship->GetCargoCount(), 2);
    EXPECT_TRUE(ship->GetCargo(0) == cargo[0] && ship->GetCargo(1) == cargo[2] && ship->currentCommand == CMD_NONE &&
                world.Messages().empty());

    ship->UnloadAll();
    EXPECT_TRUE(cargo[0]->onMap && !cargo[2]->onMap && cargo[0]->x != cargo[1]->x);
    ASSERT_TRUE(ship->GetCargoCount() == 1 && world.Messages().size() == 1u);
    EXPECT_TRUE(world.Messages()[0].text == "No place for all" && world.Messages()[0].colour == Yellow &&
                !ship->UnloadOne(cargo[2], true));
    ASSERT_EQ(world.Messages().size(), 2u);
    EXPECT_TRUE(world.Messages()[1].text == "No place" && !ship->UnloadOne(cargo[0], true));   // ashore already
    EXPECT_EQ(world.Messages().size(), 2u);
    ExpectWorldSound(world);
}

TEST_F(TransportShip, AClientBatchShowsItsMessageAfterTheLastAnswer)
{
    g_LocalPlayer = 1;
    std::vector<CUnit*> units;
    CUnitTransportShip* ship = ShipCarrying(5, units, 1);
    ASSERT_NE(ship, nullptr);
    g_Config.networkRole = 2;
    ship->UnloadAll();
    EXPECT_EQ(SentCommands(CMultiplayerGame::CommandRequestUnload), 5);
    EXPECT_TRUE(g_MultiplayerGame.GetSent()[0].target == 0 &&
                ship->GetCargoCount() == 5 && ship->pendingAnswers == 5 && ship->UnloadUnit(units[0], 13, IsletY));
    ship->OnUnloadRefused(units[1]);
    EXPECT_TRUE(ship->UnloadUnit(units[2], 14, IsletY));
    ship->OnUnloadRefused(units[3]);
    EXPECT_TRUE(!ship->UnloadUnit(units[4], -3, IsletY) && world.Messages().empty());   // off the map: ignored
    units[0]->ShowUnit(false);
    EXPECT_TRUE(ship->UnloadUnit(units[4], 13, IsletY));
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(world.Messages()[0].text, "No place for all");
    EXPECT_TRUE(ship->GetCargoCount() == 2 && ship->pendingAnswers == 0);

    EXPECT_TRUE(ship->UnloadOne(units[1], true));
    ship->OnUnloadRefused(units[1]);
    ASSERT_EQ(world.Messages().size(), 2u);
    EXPECT_EQ(world.Messages()[1].text, "No place");
    ship->OnUnloadRefused(units[1]);   // answers no question
    EXPECT_TRUE(ship->pendingAnswers == 0 && world.Messages().size() == 2u);
    ExpectWorldSound(world);
}

TEST_F(TransportShip, TheHostAnnouncesEveryLandingAndRefusesStaleRequests)
{
    std::vector<CUnit*> cargo;
    CUnitTransportShip* ship = ShipCarrying(2, cargo);
    ASSERT_NE(ship, nullptr);
    CUnit* a = cargo[0];
    CUnit* b = cargo[1];
    g_Config.networkRole = 1;
    EXPECT_TRUE(ship->UnloadOne(a, false));
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitUnloaded), 1);
    const int32_t landedX = a->x;

    // The same request again finds the unit ashore: refused, nothing moves.
    g_MultiplayerGame.ClearSent();
    ship->OnUnloadRequest(a);
    EXPECT_TRUE(SentCommands(CMultiplayerGame::CommandUnloadRefused) == 1 &&
                g_GameMap.Block(landedX, IsletY).unit == a && !ship->UnloadUnit(a, 14, IsletY));
    EXPECT_EQ(g_GameMap.Block(14, IsletY).unit, nullptr);

    // Another player's hidden unit may not be asked ashore.
    CUnit* stranger = world.Spawn(2, UNIT_WARRIOR, -1, -1);
    ASSERT_NE(stranger, nullptr);
    ship->OnUnloadRequest(stranger);
    EXPECT_TRUE(stranger->onMap == 0 && SentCommands(CMultiplayerGame::CommandUnloadRefused) == 2);

    g_MultiplayerGame.ClearSent();
    ship->OnUnloadRequest(b);
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitUnloaded), 1);
    const CMultiplayer::SSentPacket& landed = g_MultiplayerGame.GetSent().back();
    EXPECT_TRUE(landed.packet.Value(0) == Ref(ship) && landed.packet.Value(1) == Ref(b) && landed.packet.Value(2) == b->x &&
                landed.packet.Value(3) == b->y && landed.target == CMultiplayer::AllMachines);
    EXPECT_FALSE(ship->IsCarrying(b));
    ExpectWorldSound(world);
}

TEST_F(TransportShip, UngarrisonSailsToTheNearestCoastAndACalledShipStopsAtTheIsland)
{
    std::vector<CUnit*> cargo;
    CUnitTransportShip* ship = SpawnShip(0, 30, 24);
    ASSERT_NE(ship, nullptr);
    cargo = {Board(*ship), Board(*ship)};
    ASSERT_TRUE(cargo[0] != nullptr && cargo[1] != nullptr);
    // Lying, it leaves seven wake waves on the water every 128 ticks.
    g_Particles.ClearEffects();
    world.Frame(128);
    ASSERT_EQ(g_Particles.GetEffects().size(), 7u);
    EXPECT_EQ(g_Particles.GetEffects().back().kind, CParticles::KindShipWave);
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    for (int32_t frame = 0; frame < 100 && ship->GetCargoCount() > 0; ++frame)
        world.Frame(10);
    EXPECT_EQ(ship->GetCargoCount(), 0);
    for (const CUnit* unit : cargo)
        EXPECT_TRUE(unit->onMap && unit->y == IsletY);
    // It lies where the blocks around its 3 x 3 footprint reach the islet.
    EXPECT_TRUE(ship->x - 1 <= 14 && ship->x + 3 >= 13 && ship->y - 1 <= IsletY && ship->y + 3 >= IsletY);
    EXPECT_TRUE(world.Messages().empty());
    ExpectWorldSound(world);

    // Called to the islet's shore from afar, it stops once it touches it.
    constexpr uint16_t Sea = 1;
    constexpr uint16_t Islet = 2;
    for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
            g_GameMap.Block(bx, by).regionId = g_GameMap.Block(bx, by).waterLevel > 7 ? Sea : Islet;
    CUnitTransportShip* called = SpawnShip(0, 30, 30);
    ASSERT_NE(called, nullptr);
    called->callIsland = Islet;
    called->InitAction(nullptr, nullptr, nullptr, 13, IsletY, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    for (int32_t frame = 0; frame < 100 && called->currentCommand == CMD_MOVE_TO_GARRISON; ++frame)
        world.Frame(10);
    EXPECT_TRUE(called->currentCommand == CMD_NONE && called->IsAdjacentToRegion(Islet));
    ExpectWorldSound(world);
}

// As the host: only the owner's machine announces the drowned.
TEST_F(TransportShip, ACarriedUnitLeavingIsForgottenAndASinkingShipDrownsTheRestAndLeavesAFadingWreck)
{
    AllocGlobalModels();
    std::vector<CUnit*> carried;
    CUnitTransportShip* ship = ShipCarrying(4, carried);
    CUnitTransportShip* foreign = SpawnShip(1, 30, 30);
    ASSERT_TRUE(ship != nullptr && foreign != nullptr);
    CUnit* foreignCargo = Board(*foreign);
    ASSERT_NE(foreignCargo, nullptr);
    EXPECT_FALSE(carried[3]->ConvertToPlayer(2, false));   // nobody converts a unit aboard
    const CUnit* gone = carried.back();
    world.Delete(carried.back());
    carried.pop_back();
    EXPECT_TRUE(!ship->IsCarrying(gone) && FindPlayerTransportShip(carried[0]) == ship);
    const int32_t lost = world.Player(0).statistics[STAT_UNITS_LOST];
    g_Particles.ClearEffects();
    g_Config.networkRole = 1;
    Sink(*ship);
    EXPECT_TRUE(ship->GetCargoCount() == 0 && ship->model == 45);
    for (CUnit* unit : carried)
        EXPECT_FALSE(world.Player(0).HasUnit(unit));
    EXPECT_EQ(world.Player(0).unitsByType[UNIT_WARRIOR], 0);
    EXPECT_EQ(world.Player(0).statistics[STAT_UNITS_LOST], lost + 3);
    int32_t diedCargo = 0;
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        diedCargo += sent.packet.Command() == CMultiplayerGame::CommandUnitDied && sent.packet.Value(0) != Ref(ship);
    EXPECT_EQ(diedCargo, 3);
    int32_t splashes = 0;
    for (const SEffectParticle& effect : g_Particles.GetEffects())
        splashes += effect.kind == CParticles::KindWaterSplash && effect.height >= 20.0f && effect.height < 40.0f;
    EXPECT_EQ(splashes, 20);
    FreeGlobalModels();

    // The other machine's ship sinks here when its owner says so: its
    // cargo leaves with it, with no death of its own and nothing sent.
    g_MultiplayerGame.ClearSent();
    foreign->RemoveFromWorld(false);
    EXPECT_TRUE(g_MultiplayerGame.GetSent().empty() && !world.Player(1).HasUnit(foreignCargo));
    g_Config.networkRole = 0;
    world.Frame(1);
    EXPECT_TRUE(world.DeletedUnits() == 4 && g_GameMap.Block(13, IsletY).unit == nullptr);
    ExpectWorldSound(world);
    for (int32_t frame = 0; frame < 200 && world.Player(0).HasUnit(ship); ++frame)
        world.Frame(1);
    EXPECT_FALSE(world.Player(0).HasUnit(ship));
    ExpectWorldSound(world);
}

TEST_F(TransportShip, TheCargoRoundTripsThroughItsSavedBytesAndDamagedBytesChangeNothing)
{
    std::vector<CUnit*> cargo;
    CUnitTransportShip* ship = ShipCarrying(2, cargo);
    CUnitTransportShip* fresh = SpawnShip(0, 30, 30);
    ASSERT_TRUE(ship != nullptr && fresh != nullptr);
    ship->waveTicks = 5;
    ship->callIsland = 7;
    g_ReferenceBase.Reset();
    const int32_t idShip = g_ReferenceBase.AddUnit(ship);
    g_ReferenceBase.AddUnit(fresh);
    const int32_t idB = g_ReferenceBase.AddUnit(cargo[1]);
    const int32_t idA = g_ReferenceBase.AddUnit(cargo[0]);
    CMemorySaveStream saved;
    ship->SaveGameExtra(saved, g_ReferenceBase);
    EXPECT_EQ(saved.Bytes(), Int32Bytes({5, 2, idA, idB, 7}));
    CMemorySaveStream reading(saved.Bytes());
    ASSERT_TRUE(fresh->LoadGameExtra(reading, g_ReferenceBase));
    EXPECT_TRUE(fresh->GetCargo(0) == cargo[0] && fresh->GetCargo(1) == cargo[1]);
    CMemorySaveStream again;
    fresh->SaveGameExtra(again, g_ReferenceBase);
    EXPECT_EQ(again.Bytes(), saved.Bytes());

    const std::string damaged[] = {
        Int32Bytes({1, 17, idA, 7}),       // more than 16 aboard
        Int32Bytes({1, -1, 7}),            // a negative count
        Int32Bytes({1, 1, 99, 7}),         // an id the table does not hold
        Int32Bytes({1, 1, idShip, 7}),     // the ship aboard itself
        Int32Bytes({1, 2, idA, idA, 7}),   // one unit twice
        Int32Bytes({1, 1, idA}),           // cut short
    };
    ship->callIsland = 0;
    for (const std::string& bytes : damaged)
    {
        CMemorySaveStream in(bytes);
        EXPECT_TRUE(!ship->LoadGameExtra(in, g_ReferenceBase) && in.HasError() &&
                    ship->GetCargoCount() == 2 && ship->GetCargo(0) == cargo[0] && ship->callIsland == 0);
    }
    g_ReferenceBase.Reset();
}
