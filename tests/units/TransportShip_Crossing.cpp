// The transport ship at sea: three warriors board it on one island, it
// crosses the strait and puts them all ashore on the other, then flees an
// archer on the shore.

#include "Islands_World.h"
#include "TransportShip_Fixture.h"

#include "units/C_UnitActionBuffer.h"

TEST_F(TransportShip, ThreeWarriorsCrossTheStraitAndLandThenTheShipFleesAnArcher)
{
    TwoIslands::Lay(WaterLevel);
    auto runUntil = [this](auto done) {
        for (int32_t frame = 0; frame < 300 && !done(); ++frame)
            world.Frame(5);
        return done();
    };
    CUnitTransportShip* ship = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 10, 20));
    CUnit* warriors[3] = {world.Spawn(0, UNIT_WARRIOR, 4, 18), world.Spawn(0, UNIT_WARRIOR, 5, 21),
                          world.Spawn(0, UNIT_WARRIOR, 3, 24)};
    // The selection's boarding order: the units walk to the ship, which is
    // called to the first one's island.
    for (CUnit* warrior : warriors)
        warrior->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
    ship->callIsland = warriors[0]->GetRegionId();
    ship->InitAction(nullptr, nullptr, nullptr, 4, 18, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    ASSERT_TRUE(runUntil([&] { return ship->GetCargoCount() == 3; }));

    ship->onCommand(nullptr, nullptr, nullptr, 29, 20, CMD_MOVE_TO);
    ASSERT_TRUE(runUntil([&] { return ship->x == 29 && ship->currentCommand == CMD_NONE; }));
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    ASSERT_TRUE(runUntil([&] { return ship->GetCargoCount() == 0; }));
    for (CUnit* warrior : warriors)
        EXPECT_EQ(warrior->GetRegionId(), TwoIslands::RegionB);
    EXPECT_TRUE(world.Messages().empty());

    // Shot at from the shore it sails to the edge of the archer's sight.
    CUnit* archer = world.Spawn(1, UNIT_ARCHER, 35, 22);
    ship->TakeHit(archer, 1, 2, true);
    EXPECT_EQ(ship->currentCommand, CMD_RUNAWAY);
    ASSERT_TRUE(runUntil([&] { return ship->currentCommand == CMD_NONE && ship->pathFlag == 0; }));
    EXPECT_GE(ship->BlocksTo(archer->GetCentreCellX(), archer->GetCentreCellY()), archer->GetSightRadius());
    ExpectSound();
}
