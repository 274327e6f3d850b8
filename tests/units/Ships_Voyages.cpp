#include <algorithm>
#include <cmath>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Ctrl.h"
#include "effects/C_Particles.h"
#include "game/C_BuildingPanel.h"
#include "game/C_ObjectLinks.h"
#include "game/C_Selection.h"
#include "media/C_ModelRecord.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/SaveGameRun.h"
#include "tests/units/UnitWorld.h"
#include "units/C_ShipWake.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_Unit_WarGalley.h"
#include "world/C_GameMap.h"
#include "world/C_ReferenceBase.h"

namespace
{
constexpr uint32_t Yellow = 0xFFFF00;
constexpr int32_t CannonSample = 24;
// Two islands across a strait on the harness map: island A (region 1) is x 0..9, the strait (region 3)
// x 10..33 and island B (region 2) x 34 to the map's edge.
constexpr int32_t StraitWest = 10, StraitEast = 34, RegionA = 1, RegionB = 2, RegionStrait = 3;

std::string Int32s(std::initializer_list<int32_t> values)
{
    CRecordBytes bytes;
    for (int32_t value : values) bytes.I32(value);
    return bytes.Bytes();
}

// Open water with a two-block islet beside a transport ship.
class TransportShip : public UnitWorldTest
{
protected:
    // The ship covers (10..12, 9..11); the islet is (13, 10) and (14, 10).
    static constexpr int32_t ShipX = 10, ShipY = 9, IsletY = 10, WaterLevel = 9;

    void SetUp() override
    {
        UseTexts("MSG_TRANSPORTNOPLACE1,\"No place\"\nMSG_TRANSPORTNOPLACEALL,\"No place for all\"\n");
        for (SMapBlock& block : g_GameMap.AllBlocks()) block.waterLevel = WaterLevel;
        g_GameMap.Block(13, IsletY).waterLevel = g_GameMap.Block(14, IsletY).waterLevel = 0;
    }

    CUnitTransportShip* SpawnShip(int32_t player, int32_t x = ShipX, int32_t y = ShipY)
    {
        return static_cast<CUnitTransportShip*>(world.Spawn(player, UNIT_TRANSPORTSHIP, x, y));
    }

    // A warrior made off the map and taken aboard.
    CUnit* Board(CUnitTransportShip& ship)
    {
        CUnit* unit = world.Spawn(ship.player, UNIT_WARRIOR, -1, -1);
        return unit != nullptr && ship.AcceptGarrison(unit) ? unit : nullptr;
    }
    // A new ship of the player's with that many warriors aboard, in `cargo`; or null.
    CUnitTransportShip* ShipCarrying(int32_t count, int32_t player = 0, int32_t x = ShipX, int32_t y = ShipY)
    {
        CUnitTransportShip* ship = SpawnShip(player, x, y);
        for (int32_t i = 0; ship != nullptr && i < count; ++i) cargo.push_back(Board(*ship));
        return ship == nullptr || std::count(cargo.begin(), cargo.end(), nullptr) > 0 ? nullptr : ship;
    }
    CUnitWarGalley* SpawnGalley(int32_t player, int32_t x, int32_t y)
    {
        return static_cast<CUnitWarGalley*>(world.Spawn(player, UNIT_WARGALLEY, x, y));
    }
    int32_t CannonShots() const { return int32_t(std::ranges::count(world.Samples(), CannonSample)); }

    std::vector<CUnit*> cargo;
};
using Islands = TransportShip;
using WarGalley = TransportShip;
}  // namespace

TEST_F(TransportShip, SixteenBoardTheSeventeenthAndRepeatsAreRefusedAndTheCarrierIsFound)
{
    CUnitTransportShip *empty = SpawnShip(0, 30, 30), *ship = ShipCarrying(CUnitTransportShip::CargoCapacity);
    ASSERT_TRUE(ship != nullptr && empty != nullptr && !ship->AcceptGarrison(cargo[0]));
    g_GameMap.Block(2, 2).waterLevel = 0;
    CUnit* seventeenth = world.Spawn(0, UNIT_WARRIOR, 2, 2);
    ASSERT_NE(seventeenth, nullptr);
    g_Selection.AddUnit(seventeenth, 0);
    EXPECT_TRUE(!seventeenth->BoardTransport(ship) && seventeenth->onMap && g_Selection.unitCount == 1 &&
                ship->GetCargoCount() == 16 && !ship->AcceptGarrison(ship) && !ship->AcceptGarrison(nullptr));
    // The first ship in the list that carries the unit.
    EXPECT_TRUE(FindPlayerTransportShip(cargo[15]) == ship && FindPlayerTransportShip(seventeenth) == nullptr &&
                FindPlayerTransportShip(nullptr) == nullptr);
    g_Selection.RemoveUnit(seventeenth);
    ExpectWorldSound(world);
    // A lying ship creaks (sample 21, 3 variants) on a draw of 1 in 500.
    for (const auto& [draw, creaks] : {std::pair{501, true}, {500, false}})
    {
        const size_t heard = world.Samples().size();
        CSimHarness::SeedForDraws({{32768, draw}}), empty->Animate(1);
        EXPECT_EQ(world.Samples().size() > heard && world.Samples()[heard] >= 21 && world.Samples()[heard] <= 23,
                  creaks);
    }
    // Two panel rows of eight, 20 apart and 45 down: the mouse at (150, 530) is over the boxes of
    // units 14 and 15 (x 125 and 145, y 520); the lower index is the one meant.
    g_BuildingPanel.BeginFrame();
    VirtualMouseX = 150, VirtualMouseY = 530, ship->RenderDetailsOnPanel();
    EXPECT_TRUE(g_BuildingPanel.hoverUnit == cargo[14] && g_BuildingPanel.hoverObjectKind == 17 &&
                g_BuildingPanel.hintX == 206 && g_BuildingPanel.hintY == 768);
    VirtualMouseX = VirtualMouseY = 0, g_BuildingPanel.BeginFrame(), ship->RenderDetailsOnPanel();   // over none
    EXPECT_TRUE(g_BuildingPanel.hoverUnit == nullptr && g_BuildingPanel.hintX == -1 && g_BuildingPanel.hintY == -1);
}

// A defeated player's worker aboard its ship forgets its order: put ashore, it would carry on for nobody.
TEST_F(TransportShip, ADefeatedPlayersWorkerAboardForgetsItsOrder)
{
    world.Player(1).type = PLAYER_REMOTE;
    CUnitTransportShip* ship = SpawnShip(1);
    CUnit* worker = world.Spawn(1, UNIT_WORKER, 13, IsletY);
    ASSERT_TRUE(ship != nullptr && worker != nullptr);
    worker->onCommand(nullptr, nullptr, nullptr, 14, IsletY, CMD_MOVE_TO);
    ASSERT_TRUE(worker->currentCommand == CMD_MOVE_TO && worker->BoardTransport(ship));
    world.Player(1).SetDefeated();
    EXPECT_TRUE(ship->IsCarrying(worker) && !worker->onMap && worker->currentCommand == CMD_NONE);
}

// The islet holds two: the target lands alone, then all the rest is asked ashore and only one finds room.
TEST_F(TransportShip, UngarrisonWithATargetUnloadsItAloneAndUnloadAllTellsTheOwnerOnceWhatFound)
{
    CUnitTransportShip* ship = ShipCarrying(3);
    ASSERT_NE(ship, nullptr);
    ship->onCommand(cargo[1], nullptr, nullptr, 40, 40, CMD_UNGARRISON);
    EXPECT_EQ(ship->currentCommand, CMD_FIND_UNGARRISON_COAST);
    // The ship names the unit it is to put ashore, which a save may keep.
    EXPECT_TRUE(ship->targetKind == TARGET_NONE && ship->threaded == 1 && ship->targetX == ShipX &&
                ship->targetUnit == cargo[1] && CObjectLinks().FindFault() == nullptr);
    for (int32_t frame = 0; frame < 4 && ship->GetCargoCount() == 3; ++frame) world.Frame(1);
    ASSERT_TRUE(cargo[1]->onMap && cargo[1]->y == IsletY && ship->GetCargoCount() == 2 &&
                ship->GetCargo(0) == cargo[0] && ship->GetCargo(1) == cargo[2] && ship->currentCommand == CMD_NONE &&
                world.Messages().empty());

    ship->UnloadAll();
    ASSERT_TRUE(cargo[0]->onMap && !cargo[2]->onMap && cargo[0]->x != cargo[1]->x && ship->GetCargoCount() == 1 &&
                world.Messages().size() == 1u && world.Messages()[0].text == "No place for all" &&
                world.Messages()[0].colour == Yellow && !ship->UnloadOne(cargo[2], true) &&
                world.Messages().size() == 2u);
    EXPECT_TRUE(world.Messages()[1].text == "No place" && !ship->UnloadOne(cargo[0], true) &&   // ashore already
                world.Messages().size() == 2u);
    // Land is searched three sights (36 steps) out, on through the player's own units: with a causeway of them
    // to x 45, room at x 46 lies a step too far until the last one leaves.
    for (int32_t x = 15; x < 47; ++x) g_GameMap.Block(x, IsletY).waterLevel = 0;
    for (int32_t x = 15; x < 46; ++x) world.Spawn(0, UNIT_WARRIOR, x, IsletY);
    EXPECT_EQ(ship->GetSightRadius(), 12);
    EXPECT_FALSE(ship->UnloadOne(cargo[2], true));
    world.Delete(g_GameMap.Block(45, IsletY).unit);
    EXPECT_TRUE(ship->UnloadOne(cargo[2], true) && cargo[2]->x == 45 && cargo[2]->y == IsletY);
}

TEST_F(TransportShip, AClientBatchShowsItsMessageAfterTheLastAnswer)
{
    g_LocalPlayer = 1;
    CUnitTransportShip* ship = ShipCarrying(5, 1);
    ASSERT_NE(ship, nullptr);
    g_Config.networkRole = 2, ship->UnloadAll();
    EXPECT_EQ(SentCommands(CMultiplayerGame::CommandRequestUnload), 5);
    EXPECT_TRUE(g_MultiplayerGame.GetSent()[0].target == 0 &&
                ship->GetCargoCount() == 5 && ship->pendingAnswers == 5 && ship->UnloadUnit(cargo[0], 13, IsletY));
    ship->OnUnloadRefused(cargo[1]);
    EXPECT_TRUE(ship->UnloadUnit(cargo[2], 14, IsletY));
    ship->OnUnloadRefused(cargo[3]);
    EXPECT_TRUE(!ship->UnloadUnit(cargo[4], -3, IsletY) && world.Messages().empty());   // off the map: ignored
    cargo[0]->ShowUnit(false);
    EXPECT_TRUE(ship->UnloadUnit(cargo[4], 13, IsletY));
    EXPECT_TRUE(world.Messages().size() == 1u && world.Messages()[0].text == "No place for all" &&
                ship->GetCargoCount() == 2 && ship->pendingAnswers == 0);

    EXPECT_TRUE(ship->UnloadOne(cargo[1], true));
    ship->OnUnloadRefused(cargo[1]);
    ASSERT_TRUE(world.Messages().size() == 2u && world.Messages()[1].text == "No place");
    ship->OnUnloadRefused(cargo[1]);   // answers no question
    EXPECT_TRUE(ship->pendingAnswers == 0 && world.Messages().size() == 2u);
}

TEST_F(TransportShip, TheHostAnnouncesEveryLandingAndRefusesStaleRequests)
{
    CUnitTransportShip* ship = ShipCarrying(2);
    ASSERT_NE(ship, nullptr);
    g_Config.networkRole = 1;
    ASSERT_TRUE(ship->UnloadOne(cargo[0], false) && SentCommands(CMultiplayerGame::CommandUnitUnloaded) == 1);
    const int32_t landedX = cargo[0]->x;

    // The same request again finds the unit ashore: refused, nothing moves.
    g_MultiplayerGame.ClearSent(), ship->OnUnloadRequest(cargo[0]);
    EXPECT_TRUE(SentCommands(CMultiplayerGame::CommandUnloadRefused) == 1 &&
                g_GameMap.Block(landedX, IsletY).unit == cargo[0] && !ship->UnloadUnit(cargo[0], 14, IsletY));
    EXPECT_EQ(g_GameMap.Block(14, IsletY).unit, nullptr);

    // Another player's hidden unit may not be asked ashore.
    CUnit* stranger = world.Spawn(2, UNIT_WARRIOR, -1, -1);
    ASSERT_NE(stranger, nullptr);
    ship->OnUnloadRequest(stranger);
    EXPECT_TRUE(stranger->onMap == 0 && SentCommands(CMultiplayerGame::CommandUnloadRefused) == 2);

    g_MultiplayerGame.ClearSent(), ship->OnUnloadRequest(cargo[1]);
    ASSERT_EQ(SentCommands(CMultiplayerGame::CommandUnitUnloaded), 1);
    const CMultiplayer::SSentPacket& landed = g_MultiplayerGame.GetSent().back();
    EXPECT_EQ(std::vector<int32_t>(landed.packet.fields + 2, landed.packet.fields + 6),
              (std::vector<int32_t>{Ref(ship), Ref(cargo[1]), cargo[1]->x, cargo[1]->y}));
    EXPECT_TRUE(landed.target == CMultiplayer::AllMachines && !ship->IsCarrying(cargo[1]));
}

TEST_F(TransportShip, UngarrisonSailsToTheNearestCoastAndACalledShipStopsAtTheIsland)
{
    CUnitTransportShip* ship = ShipCarrying(2, 0, 30, 24);
    ASSERT_NE(ship, nullptr);
    // Lying, it leaves seven wake waves on the water every 128 ticks, at the rows of its wake table turned with
    // it: facing east, a row (x, y) lies y / 32 east and x / 32 north of its centre.
    g_Particles.ClearEffects(), ship->facing = ship->shownFacing = 90, world.Frame(128);
    const float wake[7][2] = {{14.87f, 35.7f}, {-14.87f, 35.7f}, {25.66f, -8.63f}, {-25.49f, -8.63f},
                              {19.41f, -45.15f}, {-19.27f, -45.15f}, {0.0f, -60.0f}};
    const std::vector<SEffectParticle>& waves = g_Particles.GetEffects();
    ASSERT_EQ(waves.size(), 7u);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_TRUE(waves[i].kind == CParticles::KindShipWave &&
                    std::fabs(waves[i].x - ship->centreX - wake[i][1] / 32) < 1e-4f &&
                    std::fabs(waves[i].y - ship->centreY + wake[i][0] / 32) < 1e-4f) << i;
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    for (int32_t frame = 0; frame < 100 && ship->GetCargoCount() > 0; ++frame) world.Frame(10);
    EXPECT_EQ(ship->GetCargoCount(), 0);
    for (const CUnit* unit : cargo) EXPECT_TRUE(unit->onMap && unit->y == IsletY);
    // It lies where the blocks around its 3 x 3 footprint reach the islet.
    EXPECT_TRUE(ship->x - 1 <= 14 && ship->x + 3 >= 13 && ship->y - 1 <= IsletY && ship->y + 3 >= IsletY &&
                world.Messages().empty());
    ExpectWorldSound(world);

    // Called to the islet's shore from afar, it stops once it touches it.
    constexpr uint16_t Sea = 1, Islet = 2;
    for (SMapBlock& block : g_GameMap.AllBlocks()) block.regionId = block.waterLevel > 7 ? Sea : Islet;
    CUnitTransportShip* called = SpawnShip(0, 30, 30);
    ASSERT_NE(called, nullptr);
    called->callIsland = Islet;
    called->InitAction(nullptr, nullptr, nullptr, 13, IsletY, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    for (int32_t frame = 0; frame < 100 && called->currentCommand == CMD_MOVE_TO_GARRISON; ++frame) world.Frame(10);
    EXPECT_TRUE(called->currentCommand == CMD_NONE && called->IsAdjacentToRegion(Islet) && called->x < 20 &&
                !called->IsAdjacentToRegion(3)) << called->x;   // no block around it of a region none has
    // Shut in a pond, it gives up at once.
    CUnitTransportShip* penned = SpawnShip(0, 40, 40);
    ASSERT_NE(penned, nullptr);
    for (int32_t i = 0; i < 25; ++i)
        g_GameMap.Block(39 + i / 5, 39 + i % 5).waterLevel = i / 5 % 4 && i % 5 % 4 ? 9 : 0;
    penned->callIsland = Islet;
    penned->InitAction(nullptr, nullptr, nullptr, 13, IsletY, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    world.Frame(10);
    EXPECT_TRUE(penned->currentCommand == CMD_NONE && !penned->pathFlag && penned->x == 40);
}

// As the host: only the owner's machine announces the drowned.
TEST_F(TransportShip, ACarriedUnitLeavingIsForgottenAndASinkingShipDrownsTheRestAndLeavesAFadingWreck)
{
    AllocGlobalModels();
    CUnitTransportShip *ship = ShipCarrying(4), *foreign = SpawnShip(1, 30, 30);
    ASSERT_TRUE(ship != nullptr && foreign != nullptr);
    CUnit* foreignCargo = Board(*foreign);
    ASSERT_NE(foreignCargo, nullptr);
    EXPECT_FALSE(cargo[3]->ConvertToPlayer(2, false));   // nobody converts a unit aboard
    const CUnit* gone = cargo.back();
    world.Delete(cargo.back()), cargo.pop_back();
    EXPECT_TRUE(!ship->IsCarrying(gone) && FindPlayerTransportShip(cargo[0]) == ship);
    const int32_t lost = world.Player(0).statistics[STAT_UNITS_LOST];
    // The drowned leave no holder behind (the world's check at the end): a hunter's links, the selection.
    CUnit* hunter = world.Spawn(1, UNIT_WARRIOR, 30, 20);
    hunter->actionTargetUnit = hunter->targetUnit = hunter->followedUnit = hunter->attacker = cargo[0];
    g_Selection.AddUnit(cargo[2], 0);
    g_Particles.ClearEffects(), g_Config.networkRole = 1;
    ship->TakeHit(nullptr, 100000, DAMAGE_BLADE, false);   // sunk
    EXPECT_TRUE(ship->GetCargoCount() == 0 && ship->model == 45 && g_Selection.unitCount == 0);
    for (CUnit* unit : cargo) EXPECT_FALSE(world.Player(0).HasUnit(unit));
    EXPECT_EQ(std::pair(world.Player(0).unitsByType[UNIT_WARRIOR], world.Player(0).statistics[STAT_UNITS_LOST]),
              std::pair(0, lost + 3));
    EXPECT_EQ(std::ranges::count_if(g_MultiplayerGame.GetSent(), [&](const CMultiplayer::SSentPacket& sent) {
        return sent.packet.Command() == CMultiplayerGame::CommandUnitDied && sent.packet.Value(0) != Ref(ship); }), 3);
    EXPECT_EQ(std::ranges::count_if(g_Particles.GetEffects(), [](const SEffectParticle& effect) {
        return effect.kind == CParticles::KindWaterSplash && effect.height >= 20.0f && effect.height < 40.0f; }), 20);
    // A splash of draws 0 and 39 in 40, then 19 in 20: 20/15 blocks west and 19/15 south of the centre, 39 high.
    g_Particles.ClearEffects(), CSimHarness::SeedForDraws({{40, 0}, {40, 39}, {20, 19}});
    CShipWake::ThrowSplashes(*ship);
    const SEffectParticle& splash = g_Particles.GetEffects().front();
    EXPECT_TRUE(splash.x == ship->centreX - 20 / 15.0f && splash.y == ship->centreY + 19 / 15.0f &&
                splash.height == 39);
    FreeGlobalModels();

    // The other machine's ship sinks here when its owner says so: its
    // cargo leaves with it, with no death of its own and nothing sent.
    g_MultiplayerGame.ClearSent(), foreign->RemoveFromWorld(false);
    EXPECT_TRUE(g_MultiplayerGame.GetSent().empty() && !world.Player(1).HasUnit(foreignCargo));
    g_Config.networkRole = 0, world.Frame(1);
    EXPECT_TRUE(world.DeletedUnits() == 4 && g_GameMap.Block(13, IsletY).unit == nullptr);
    ExpectWorldSound(world);
    for (int32_t frame = 0; frame < 200 && world.Player(0).HasUnit(ship); ++frame) world.Frame(1);
    EXPECT_FALSE(world.Player(0).HasUnit(ship));
}

TEST_F(TransportShip, TheCargoRoundTripsThroughItsSavedBytesAndDamagedBytesChangeNothing)
{
    CUnitTransportShip *ship = ShipCarrying(2), *fresh = SpawnShip(0, 30, 30);
    ASSERT_TRUE(ship != nullptr && fresh != nullptr);
    ship->waveTicks = 5, ship->callIsland = 7, g_ReferenceBase.Reset();
    const int32_t idShip = g_ReferenceBase.AddUnit(ship);
    g_ReferenceBase.AddUnit(fresh);
    const int32_t idB = g_ReferenceBase.AddUnit(cargo[1]), idA = g_ReferenceBase.AddUnit(cargo[0]);
    CMemorySaveStream saved;
    ship->SaveGameExtra(saved, g_ReferenceBase);
    EXPECT_EQ(saved.Bytes(), Int32s({5, 2, idA, idB, 7}));
    CMemorySaveStream reading(saved.Bytes());
    ASSERT_TRUE(fresh->LoadGameExtra(reading, g_ReferenceBase));
    EXPECT_TRUE(fresh->GetCargo(0) == cargo[0] && fresh->GetCargo(1) == cargo[1]);
    CMemorySaveStream again;
    fresh->SaveGameExtra(again, g_ReferenceBase);
    EXPECT_EQ(again.Bytes(), saved.Bytes());

    // More than 16 aboard, a negative count, an id the table does not hold, the ship aboard itself, one unit
    // twice, cut short, a negative wave count.
    const std::string damaged[] = {Int32s({1, 17, idA, 7}), Int32s({1, -1, 7}), Int32s({1, 1, 99, 7}),
        Int32s({1, 1, idShip, 7}), Int32s({1, 2, idA, idA, 7}), Int32s({1, 1, idA}), Int32s({-1, 0, 7})};
    ship->callIsland = 0;
    for (const std::string& bytes : damaged)
    {
        CMemorySaveStream in(bytes);
        EXPECT_TRUE(!ship->LoadGameExtra(in, g_ReferenceBase) && in.HasError() &&
                    ship->GetCargoCount() == 2 && ship->GetCargo(0) == cargo[0] && ship->callIsland == 0);
    }
    g_ReferenceBase.Reset();
}

// Three warriors and a settler board on island A, land on island B, the settler founds a keep there, and
// an enemy war galley then sinks the empty ship without touching anyone ashore.
TEST_F(Islands, ASettlerCrossesFoundsAKeepAndTheEmptyShipSinksWithoutLosses)
{
    constexpr int32_t MostFrames = 3000;
    for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
        for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        {
            SMapBlock& block = g_GameMap.Block(bx, by);
            const bool strait = bx >= StraitWest && bx < StraitEast;
            block.waterLevel = static_cast<uint16_t>(strait ? WaterLevel : 0);
            block.regionId = static_cast<uint16_t>(bx < StraitWest ? RegionA : (strait ? RegionStrait : RegionB));
        }
    g_Particles.Reset();
    CUnitTransportShip* ship = SpawnShip(0, 10, 20);
    CUnit* warriors[3] = {world.Spawn(0, UNIT_WARRIOR, 4, 18), world.Spawn(0, UNIT_WARRIOR, 5, 21),
                          world.Spawn(0, UNIT_WARRIOR, 3, 24)};
    CUnit* settler = world.Spawn(0, UNIT_SETTLER, 4, 27);
    ASSERT_NE(settler, nullptr);
    for (CUnit* passenger : {warriors[0], warriors[1], warriors[2], settler})
        passenger->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
    ship->callIsland = RegionA;
    ship->InitAction(nullptr, nullptr, nullptr, 4, 18, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->GetCargoCount() == 4; }), 0);

    ship->onCommand(nullptr, nullptr, nullptr, 29, 20, CMD_MOVE_TO);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->x == 29 && ship->currentCommand == CMD_NONE; }), 0);
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->GetCargoCount() == 0; }), 0);
    for (CUnit* landed : {warriors[0], warriors[1], warriors[2], settler})
        EXPECT_TRUE(landed->onMap && landed->GetRegionId() == RegionB);

    // Inland, clear of the warriors on the beach, the cart founds the keep.
    settler->onCommand(nullptr, nullptr, nullptr, 41, 32, CMD_MOVE_TO);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return settler->currentCommand == CMD_NONE; }), 0);
    const int32_t settlerX = settler->x, settlerY = settler->y;
    const int32_t buildingsLost = world.Player(0).statistics[STAT_BUILDINGS_LOST];
    settler->onCommand(nullptr, nullptr, nullptr, settlerX, settlerY, CMD_FOUND_SETTLEMENT);
    ASSERT_GT(FramesUntil(1, [&] { return !settler->onMap; }), 0);
    CBuilding* keep = g_GameMap.Block(settlerX - 1, settlerY - 1).building;
    ASSERT_NE(keep, nullptr);
    EXPECT_TRUE(keep->GetBuildCast() == CastKeep && keep->x == settlerX - 1 && keep->y == settlerY - 1);

    // The enemy galley lies eleven blocks off the empty ship and fires.
    CUnit* galley = world.Spawn(1, UNIT_WARGALLEY, 17, 18);
    ASSERT_NE(galley, nullptr);
    galley->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_ATTACK);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return g_Particles.HoldsCorpse(ship); }), 0);
    EXPECT_FALSE(world.Player(0).HasUnit(ship));
    for (CUnit* warrior : warriors)
        EXPECT_TRUE(world.Player(0).HasUnit(warrior) && warrior->IsAlive() && warrior->onMap);
    EXPECT_TRUE(g_GameMap.Block(settlerX - 1, settlerY - 1).building == keep && !keep->IsFinished() &&
                world.Player(0).statistics[STAT_BUILDINGS_LOST] == buildingsLost);
}

TEST_F(WarGalley, FiresOnTheFirstCountedTickAndAfterTwentyNineMoreEveryHundredAndTwenty)
{
    g_Particles.Reset();
    CUnitWarGalley* galley = SpawnGalley(0, 20, 20);
    ASSERT_NE(galley, nullptr);
    // A ground point ten blocks south of its centre block (22, 22).
    galley->onCommand(nullptr, nullptr, nullptr, 22, 32, CMD_ATTACK_GROUND);
    std::vector<int32_t> shotFrames, cycleAtShot;
    int32_t frame = 0;
    FramesUntil(400, [&] {
        ++frame;
        if (CannonShots() > static_cast<int32_t>(shotFrames.size()))
        {
            shotFrames.push_back(frame), cycleAtShot.push_back(galley->cycleTicks);
            EXPECT_TRUE(!g_Particles.GetProjectiles().empty() &&
                        g_Particles.GetProjectiles().back().aimHeight == 5.0f);   // a ground point
        }
        return shotFrames.size() >= 4;
    });
    ASSERT_EQ(shotFrames.size(), 4u);
    EXPECT_EQ(galley->facing, 270);   // its side to the point due south (facing 0)
    // The first shot on the first tick counted broadside on, the second on the thirtieth; the next cycle
    // starts 120 counted ticks after the first.
    EXPECT_EQ(std::vector<int32_t>({cycleAtShot[0], cycleAtShot[1], shotFrames[1] - shotFrames[0],
                                    shotFrames[2] - shotFrames[0], shotFrames[3] - shotFrames[0]}),
              std::vector<int32_t>({1, 30, 29, 120, 149}));
    // Another machine's copy counts every tick of a long frame too: the cycle ends at 120, ready with both guns
    // unfired, and the next one fires its first at once.
    g_Config.networkRole = 1, g_LocalPlayer = 1, galley->cycleTicks = CUnitWarGalley::CycleTicks - 3;
    const size_t shots = g_Particles.GetProjectiles().size();
    galley->Animate(5);
    EXPECT_EQ(std::tuple(galley->cycleTicks, galley->ready, galley->firstShotFired, galley->secondShotFired,
                         g_Particles.GetProjectiles().size()),
              std::tuple(2, uint8_t(1), uint8_t(1), uint8_t(0), shots + 1));
}

TEST_F(WarGalley, ALostTargetCoolsDownOnlyAReadyShipWhichStopsAtTheEndOfTheCycle)
{
    CUnitWarGalley* galley = SpawnGalley(0, 20, 20);
    CUnitTransportShip* prey = SpawnShip(1, 20, 32);
    ASSERT_TRUE(galley != nullptr && prey != nullptr);
    galley->onCommand(prey, nullptr, nullptr, prey->x, prey->y, CMD_ATTACK);
    ASSERT_GT(FramesUntil(400, [&] { return CannonShots() >= 1; }), 0);
    // A unit is aimed at 40 up.  In the middle of its cycle the ship is not ready: a renewed attack
    // keeps the shot fired, and a lost target changes nothing.
    ASSERT_TRUE(galley->animType == ANIM_ATTACK && galley->ready == 0 && galley->cycleTicks == 1);
    EXPECT_EQ(g_Particles.GetProjectiles().back().aimHeight, 40.0f);
    galley->SetModelByAnimation();
    EXPECT_TRUE(galley->firstShotFired == 1 && galley->ready == 0);
    galley->onTargetLost(prey, nullptr);
    EXPECT_EQ(galley->animType, ANIM_ATTACK);
    // Ready, it cools down for the rest of the 120 ticks, then stops.
    galley->ready = 1, galley->onTargetLost(prey, nullptr);
    ASSERT_EQ(galley->animType, ANIM_WIND_DOWN);
    EXPECT_EQ(FramesUntil(200, [&] { return galley->animType != ANIM_WIND_DOWN; }), 119);
    EXPECT_TRUE(galley->currentCommand == CMD_NONE && galley->firstShotFired == 0 && galley->secondShotFired == 0);
    // An attack that ends its walk short stops; a stopped one just drops its command.
    for (const uint8_t stopped : {0, 1})
    {
        galley->currentCommand = CMD_ATTACK, galley->targetUnit = prey, galley->stopped = stopped, galley->onMoveEnd();
        EXPECT_TRUE(galley->currentCommand == CMD_NONE && (galley->targetUnit == prey) == (stopped == 1)) << stopped;
    }
    // A patrol ended short more than 3 whole blocks from its point tries again later.
    for (const int32_t blocks : {3, 4})
    {
        galley->currentCommand = CMD_PATROL, galley->orderState = 0, galley->deadline = 0;
        galley->targetX = galley->x + blocks, galley->targetY = galley->y, galley->onMoveEnd();
        EXPECT_TRUE(galley->orderState == (blocks == 4) && (galley->deadline != 0) == (blocks == 4)) << blocks;
    }
}

// In a strait seven blocks wide a computer's galley sails west for a far ground point and meets an enemy ship
// sailing east; the ship, unable to pass, stays under way beside it, inside its least range of 6 blocks.  The
// galley never fires, but its cycle ends at every 120th counted tick, and the game saved then loads.
TEST_F(WarGalley, AShipTooNearToFireAtEndsEveryCycleAtItsLastTickAndTheGameSavedThenLoads)
{
    for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
        for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
            g_GameMap.Block(bx, by).waterLevel = by >= 19 && by <= 25 ? WaterLevel : 0;
    CSaveGameRun::UseSaveLanguage();
    CUnitWarGalley* galley = SpawnGalley(1, 42, 20);
    CUnitTransportShip* near = SpawnShip(0, 2, 22);
    ASSERT_TRUE(galley != nullptr && near != nullptr);
    galley->onCommand(nullptr, nullptr, nullptr, 0, 22, CMD_ATTACK_GROUND);
    near->onCommand(nullptr, nullptr, nullptr, 44, 22, CMD_MOVE_TO);
    ASSERT_GT(FramesUntil(1000, [&] { return galley->cycleTicks == CUnitWarGalley::CycleTicks - 1; }), 0);
    world.Frame(1);
    EXPECT_TRUE(galley->cycleTicks == 0 && CannonShots() == 0 && galley->actionTargetUnit == near &&
                near->x + 3 == galley->x);
    const std::vector<uint8_t> saved = CSaveGameRun::SaveDrawn();
    ASSERT_TRUE(world.Load(saved) && CSaveGameRun::SaveDrawn() == saved);
}
