// The harness's invariant checker sees what a building holds and what links
// to buildings name: a link to a ruin, a waiting unit on the map or of
// another player, a ruin still holding one, a research state naming a
// building that does not research it.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Technology.h"

TEST(SimHarnessBuildingLinks, TheCheckerSeesBuildingLinksAndWaitingUnits)
{
    CSimHarness world;
    CUnit* living = world.Spawn(0, UNIT_WARRIOR, 10, 10);
    CUnit* enemy = world.Spawn(1, UNIT_WARRIOR, 12, 10);
    CUnit* waiting = world.Spawn(0, UNIT_WARRIOR, -1, -1);
    CBuilding* workshop = world.Player(0).CreateBuilding(CastBlacksmith, 20, 20);
    CBuilding* smithy = world.Player(0).CreateBuilding(CastBlacksmith, 5, 30);
    CBuilding* ruin = world.Player(3).CreateBuilding(CastHouse, 30, 30);
    ASSERT_TRUE(living && enemy && waiting && workshop && smithy && ruin);
    workshop->productionUnit = waiting;
    ruin->Destroy(false);
    CTechnology& technology = world.Player(0).technologies[5];
    ASSERT_TRUE(world.CheckInvariants().empty());

    const struct
    {
        std::function<void()> breakLink;
        const char* fault;
    } cases[] = {
        {[&] { enemy->targetBuilding = ruin; }, "target building is a ruin"},
        {[&] { enemy->actionTargetBuilding = ruin; }, "action target building is a ruin"},
        {[&] { ruin->productionUnit = waiting; }, "a ruin holds a production unit"},
        {[&] { workshop->productionUnit = living; }, "production unit stands on the map"},
        {[&] { smithy->productionUnit = enemy; }, "production unit is not listed by the building's owner"},
        {[&] { technology.researchingBuilding = smithy; },
         "player 0 researches in a building that does not research it"},
    };
    for (const auto& entry : cases)
    {
        entry.breakLink();
        const std::vector<std::string> faults = world.CheckInvariants();
        EXPECT_NE(std::find(faults.begin(), faults.end(), entry.fault), faults.end()) << entry.fault;
        enemy->targetBuilding = nullptr;
        enemy->actionTargetBuilding = nullptr;
        ruin->productionUnit = nullptr;
        workshop->productionUnit = waiting;
        smithy->productionUnit = nullptr;
        technology.researchingBuilding = nullptr;
    }
    EXPECT_TRUE(world.CheckInvariants().empty());
}
