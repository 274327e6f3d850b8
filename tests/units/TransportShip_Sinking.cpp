// The transport ship's cargo when things go wrong: the ship sinks with
// units aboard (here, as its owner in a network game, and as another
// machine's copy), a carried unit leaves the game while aboard, and the
// cargo's saved part with its damaged variants.

#include "TransportShip_Fixture.h"

#include <cstring>

#include "tests/support/MemorySaveStream.h"
#include "world/C_ReferenceBase.h"

namespace
{
std::string Int32Bytes(std::initializer_list<int32_t> values)
{
    std::string bytes;
    for (int32_t value : values)
    {
        const uint32_t v = static_cast<uint32_t>(value);
        bytes += {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
    }
    return bytes;
}

void Sink(CUnit& ship)
{
    ship.TakeHit(nullptr, 100000, 1, false);
}
}  // namespace

TEST_F(TransportShip, ASinkingShipDrownsEveryCarriedUnitAtOnce)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* carried[3] = {};
    for (CUnit*& unit : carried)
        ASSERT_NE(unit = Board(*ship), nullptr);
    const int32_t lost = world.Player(0).statistics[STAT_UNITS_LOST];
    Sink(*ship);
    EXPECT_EQ(ship->GetCargoCount(), 0);
    EXPECT_EQ(ship->model, 45);
    for (CUnit* unit : carried)
        EXPECT_FALSE(world.Player(0).HasUnit(unit));
    EXPECT_EQ(world.Player(0).unitsByType[UNIT_WARRIOR], 0);
    EXPECT_EQ(world.Player(0).statistics[STAT_UNITS_LOST], lost + 3);
    world.Frame(1);
    EXPECT_EQ(world.DeletedUnits(), 3);
    EXPECT_EQ(g_GameMap.Block(13, IsletY).unit, nullptr);
    ExpectSound();
    for (int32_t frame = 0; frame < 200 && world.Player(0).HasUnit(ship); ++frame)
        world.Frame(1);
    EXPECT_FALSE(world.Player(0).HasUnit(ship));
    ExpectSound();
}

TEST_F(TransportShip, OnlyTheOwnerAnnouncesTheDrownedUnits)
{
    CUnitTransportShip* own = SpawnShip(0);
    CUnitTransportShip* foreign = static_cast<CUnitTransportShip*>(world.Spawn(1, UNIT_TRANSPORTSHIP, 30, 30));
    ASSERT_TRUE(own != nullptr && foreign != nullptr);
    CUnit* ownCargo[2] = {Board(*own), Board(*own)};
    CUnit* foreignCargo = Board(*foreign);
    ASSERT_TRUE(ownCargo[0] != nullptr && ownCargo[1] != nullptr && foreignCargo != nullptr);
    g_Config.networkRole = 1;
    Sink(*own);
    int32_t diedCargo = 0;
    for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
        diedCargo += sent.command == CUnitCommandOutbox::CommandUnitDied && sent.unit != own ? 1 : 0;
    EXPECT_EQ(diedCargo, 2);

    // The other machine's ship sinks here when its owner says so: its
    // cargo leaves with it, with no death of its own and nothing sent.
    g_UnitCommandOutbox.Clear();
    foreign->RemoveFromWorld(false);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());
    EXPECT_FALSE(world.Player(1).HasUnit(foreignCargo));
    g_Config.networkRole = 0;
    world.Frame(1);
    EXPECT_EQ(world.DeletedUnits(), 3);
    ExpectSound();
}

TEST_F(TransportShip, ACarriedUnitThatLeavesTheGameIsForgotten)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* kept = Board(*ship);
    CUnit* gone = Board(*ship);
    ASSERT_TRUE(kept != nullptr && gone != nullptr);
    EXPECT_FALSE(gone->ConvertToPlayer(2, false));   // nobody converts a unit aboard
    world.Delete(gone);
    EXPECT_FALSE(ship->IsCarrying(gone));
    EXPECT_EQ(FindPlayerTransportShip(kept), ship);
    ship->UnloadAll();
    EXPECT_EQ(ship->GetCargoCount(), 0);
    EXPECT_EQ(kept->onMap, 1);
    EXPECT_TRUE(world.Messages().empty());
    ExpectSound();
}

TEST_F(TransportShip, TheCargoRoundTripsThroughTheSavedPart)
{
    CUnitTransportShip* ship = SpawnShip(0);
    CUnitTransportShip* fresh = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 30, 30));
    ASSERT_TRUE(ship != nullptr && fresh != nullptr);
    CUnit* a = Board(*ship);
    CUnit* b = Board(*ship);
    ASSERT_TRUE(a != nullptr && b != nullptr);
    ship->waveTicks = 5;
    ship->callIsland = 7;
    g_ReferenceBase.Reset();
    g_ReferenceBase.AddUnit(ship);
    g_ReferenceBase.AddUnit(fresh);
    const int32_t idB = g_ReferenceBase.AddUnit(b);
    const int32_t idA = g_ReferenceBase.AddUnit(a);

    CMemorySaveStream saved;
    ship->SaveGameExtra(saved, g_ReferenceBase);
    EXPECT_EQ(saved.Bytes(), Int32Bytes({5, 2, idA, idB, 7}));

    CMemorySaveStream reading(saved.Bytes());
    ASSERT_TRUE(fresh->LoadGameExtra(reading, g_ReferenceBase));
    EXPECT_EQ(fresh->GetCargo(0), a);
    EXPECT_EQ(fresh->GetCargo(1), b);
    CMemorySaveStream again;
    fresh->SaveGameExtra(again, g_ReferenceBase);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
    g_ReferenceBase.Reset();
}

TEST_F(TransportShip, ADamagedCargoPartIsRefusedAndChangesNothing)
{
    CUnitTransportShip* ship = SpawnShip(0);
    ASSERT_NE(ship, nullptr);
    CUnit* a = Board(*ship);
    ASSERT_NE(a, nullptr);
    g_ReferenceBase.Reset();
    const int32_t idShip = g_ReferenceBase.AddUnit(ship);
    const int32_t idA = g_ReferenceBase.AddUnit(a);
    const std::string damaged[] = {
        Int32Bytes({1, 17, idA, 7}),             // more than 16 aboard
        Int32Bytes({1, -1, 7}),                  // a negative count
        Int32Bytes({1, 1, 99, 7}),               // an id the table does not hold
        Int32Bytes({1, 1, idShip, 7}),           // the ship aboard itself
        Int32Bytes({1, 2, idA, idA, 7}),         // one unit twice
        Int32Bytes({1, 1, idA}),                 // cut short
    };
    for (const std::string& bytes : damaged)
    {
        CMemorySaveStream reading(bytes);
        EXPECT_FALSE(ship->LoadGameExtra(reading, g_ReferenceBase));
        EXPECT_TRUE(reading.HasError());
        EXPECT_EQ(ship->GetCargoCount(), 1);
        EXPECT_EQ(ship->GetCargo(0), a);
        EXPECT_EQ(ship->callIsland, 0);
    }
    g_ReferenceBase.Reset();
}
