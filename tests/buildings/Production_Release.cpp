// A finished unit leaving its building: the exit cell, the rally point, the
// wait for the host.

#include <algorithm>

#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Production_Fixture.h"
#include "units/C_Unit.h"

namespace
{
int32_t CountSent(int32_t command)
{
    const auto& sent = g_UnitCommandOutbox.GetSent();
    return static_cast<int32_t>(std::count_if(sent.begin(), sent.end(), [&](auto& c) { return c.command == command; }));
}
}  // namespace

TEST_F(ProductionTest, FinishedUnitLeavesAtTheFirstExitCellForTheRallyPoint)
{
    GiveHouses();
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    Player(0).wood = 1000;
    barracks->EnqueueItem(Record(1));
    barracks->EnqueueItem(Record(1));
    barracks->SetRallyPoint(30, 30);
    barracks->UpdateProduction(334);
    CUnit* warrior = barracks->productionUnit;
    ASSERT_NE(warrior, nullptr);
    EXPECT_EQ(Player(0).queuedUnits, 0);
    barracks->UpdateProduction(1);
    EXPECT_EQ(std::vector<int32_t>({warrior->onMap, warrior->x, warrior->y, warrior->stance}),
              std::vector<int32_t>({1, 9, 16, STANCE_AGGRESSIVE}));
    EXPECT_EQ(std::vector<int32_t>({warrior->currentCommand, warrior->targetKind, warrior->targetX, warrior->targetY}),
              std::vector<int32_t>({-2, 4, 30, 30}));
    EXPECT_EQ(Texts(Green), std::vector<std::string>{"Warrior ready"});
    EXPECT_EQ(m_Harness.Markers(), (std::vector<int32_t>{12, 13, static_cast<int32_t>(Yellow)}));
    EXPECT_EQ(Player(0).script.GetEvents().back().kind, CScript::EEvent::UnitTrained);
    // The second warrior started in the same step.
    EXPECT_EQ(Player(0).queuedUnits, 1);
    EXPECT_TRUE(m_Harness.CheckInvariants().empty());

    g_Selection.pendingAction = 14;
    barracks->SetRallyPoint(12, 12);
    EXPECT_EQ(std::vector<int32_t>({barracks->rallyX, barracks->rallyY, g_Selection.pendingAction}),
              std::vector<int32_t>({-1, -1, 0}));
}

TEST_F(ProductionTest, ClientAsksTheHostFirstThenEveryThirtyTwoStepsAndLeavesOnce)
{
    g_Config.networkRole = 2;
    g_LocalPlayer = 1;
    GiveHouses(1);
    CBuilding* barracks = Finished(CastBarracks, 10, 10, 1);
    Player(1).wood = 1000;
    barracks->EnqueueItem(Record(1));
    barracks->EnqueueItem(Record(1));
    barracks->UpdateProduction(334);
    CUnit* warrior = barracks->productionUnit;
    const auto& sent = g_UnitCommandOutbox.GetSent();
    ASSERT_EQ(CountSent(51), 1);
    EXPECT_EQ(sent.back().uniqueId, warrior->uniqueId);
    barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionWaitingForHost);
    barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionNoExit);
    for (int32_t i = 2; i < 65; ++i)
        barracks->UpdateProduction(1);
    EXPECT_EQ(CountSent(67), 3);
    EXPECT_EQ(sent.back().receiver, 0);
    // The host answers twice: the unit leaves once and one item is popped.
    EXPECT_TRUE(barracks->ReleaseUnit(warrior, 9, 16));
    EXPECT_FALSE(barracks->ReleaseUnit(warrior, 9, 16));
    EXPECT_EQ(barracks->queueCount, 1);
}

TEST_F(ProductionTest, CommandNineteenBringsTheKingOutWhenThereIsRoom)
{
    CBuilding* keep = Finished(CastKeep, 10, 10);
    CUnit* king = Player(0).CreateUnit(33, -1, -1);
    keep->garrisonedUnit = king;
    BlockExits(*keep, true);
    EXPECT_TRUE(Panel(*keep, nullptr, -1, -1, 19));
    EXPECT_EQ(Texts(Yellow), std::vector<std::string>{"King cannot leave"});
    BlockExits(*keep, false);
    Panel(*keep, nullptr, -1, -1, 19);
    EXPECT_EQ(std::vector<int32_t>({king->onMap, king->x, king->y, keep->pendingCommand}),
              std::vector<int32_t>({1, 9, 14, 0}));
    EXPECT_EQ(keep->garrisonedUnit, nullptr);
}
