// The production queue and research: paid when queued, 28 places, the
// population gate, the rates, tower archers, cancelling, and a research
// applied once through the simulation step.

#include <algorithm>

#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Production_Fixture.h"
#include "units/C_Unit.h"

TEST_F(ProductionTest, TheTwentyNinthItemIsRefusedAndShiftStopsAtTheFirstRefusal)
{
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    g_Selection.shiftDown = 1;
    Player(0).wood = 160;
    Panel(*barracks, Record(1), -1, -1, 0);
    EXPECT_EQ(std::vector<int32_t>({barracks->queueCount, Player(0).wood}), std::vector<int32_t>({3, 10}));
    Player(0).wood = 10000;
    for (int32_t i = 0; i < 6; ++i)
        Panel(*barracks, Record(1), -1, -1, 0);
    EXPECT_EQ(std::vector<int32_t>({barracks->queueCount, Player(0).wood}), std::vector<int32_t>({28, 8750}));
    EXPECT_EQ(Texts(Yellow), (std::vector<std::string>{"Wood needed", "Queue full"}));
}

TEST_F(ProductionTest, PopulationMessageComesOnceButTowerArchersNeedNoRoom)
{
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    CBuildingTower* tower = static_cast<CBuildingTower*>(Finished(CastTower, 20, 20));
    Player(0).wood = Player(0).gold = 1000;
    barracks->EnqueueItem(Record(1));
    for (int32_t i = 0; i < 10; ++i)
        barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionNeedsHouses);
    ASSERT_TRUE(tower->EnqueueItem(Record(3)));
    tower->UpdateProduction(334);
    ASSERT_EQ(tower->archerCount, 1);
    EXPECT_EQ(tower->archers[0]->GetCastID(), 8);
    EXPECT_EQ(Texts(Yellow), std::vector<std::string>{"Build houses"});
    EXPECT_EQ(Texts(Green), std::vector<std::string>{"Archer ready"});
    EXPECT_EQ(m_Harness.Markers(), (std::vector<int32_t>{21, 21, static_cast<int32_t>(Yellow)}));
    // Four archers more fill the tower's five places.
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_TRUE(tower->EnqueueItem(Record(3)));
    EXPECT_FALSE(tower->EnqueueItem(Record(3)));
    EXPECT_EQ(Player(0).wood, 1000 - 50 - 5 * 50);

    GiveHouses();
    barracks->UpdateProduction(1);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionRunning);
    EXPECT_EQ(std::vector<int32_t>({Player(0).queuedUnits, Player(0).queuedUnitsByType[2]}),
              std::vector<int32_t>({1, 1}));
    Player(0).populationMaximum = 1;
    CBuilding* second = Finished(CastBarracks, 30, 10);
    second->EnqueueItem(Record(1));
    second->UpdateProduction(1);
    second->UpdateProduction(1);
    EXPECT_EQ(second->productionState, CBuilding::ProductionPopulationMaximum);
    EXPECT_EQ(Texts(Yellow), (std::vector<std::string>{"Build houses", "No more people"}));
}

TEST_F(ProductionTest, MercenariesTrainWarriorsFasterButNeverWorkers)
{
    GiveHouses();
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    CBuilding* keep = Finished(CastKeep, 20, 20);
    Player(0).wood = 1000;
    barracks->EnqueueItem(Record(1));
    keep->EnqueueItem(Record(0));
    m_Harness.Research(0, 44);
    barracks->UpdateProduction(1);
    keep->UpdateProduction(1);
    EXPECT_FLOAT_EQ(barracks->progress, 0.39f);
    EXPECT_FLOAT_EQ(keep->progress, 0.5f);
    // The configured speed multiplies the ticks; below 1 it counts as 1.
    g_Config.productionFactor = 2;
    keep->UpdateProduction(1);
    g_Config.productionFactor = 0;
    keep->UpdateProduction(1);
    EXPECT_FLOAT_EQ(keep->progress, 2.0f);
}

TEST_F(ProductionTest, CancellingRefundsInFullAndLowersTheCountsOnce)
{
    GiveHouses();
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    CBuilding* other = Finished(CastBarracks, 30, 10);
    Player(0).wood = Player(0).gold = 1000;
    for (int32_t record : {1, 2, 0})
        barracks->EnqueueItem(Record(record));
    other->EnqueueItem(Record(1));
    BlockExits(*other, true);
    barracks->UpdateProduction(10);
    other->UpdateProduction(334);
    other->UpdateProduction(1);
    ASSERT_NE(other->productionUnit, nullptr);
    ASSERT_EQ(Player(0).queuedUnits, 1);
    Panel(*barracks, nullptr, -1, 1, 0);   // the archer
    Panel(*barracks, nullptr, -1, 2, 0);   // empty since
    EXPECT_EQ(barracks->queue[1], Record(0));
    EXPECT_EQ(std::vector<int32_t>({Player(0).wood, Player(0).gold}), std::vector<int32_t>({1000 - 140, 1000}));

    // The waiting unit is deleted without counting as lost; the counts of
    // the started warrior next door stay.
    Panel(*other, nullptr, -1, 0, 0);
    EXPECT_EQ(other->productionUnit, nullptr);
    EXPECT_EQ(std::vector<int32_t>({Player(0).unitCount, Player(0).statistics[STAT_UNITS_LOST],
                                    Player(0).queuedUnits, Player(0).wood}),
              std::vector<int32_t>({0, 0, 1, 910}));
    m_Harness.FlushDeleted();
    EXPECT_EQ(m_Harness.DeletedUnits(), 1);
    BlockExits(*other, false);
    Panel(*barracks, nullptr, -1, 0, 0);
    EXPECT_EQ(std::vector<int32_t>({Player(0).queuedUnits, Player(0).wood, barracks->queueCount}),
              std::vector<int32_t>({0, 960, 1}));
}

TEST_F(ProductionTest, DestroyingABuildingGivesItsStartedItemBackToThePopulation)
{
    GiveHouses();
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    Player(0).wood = 1000;
    barracks->EnqueueItem(Record(1));
    barracks->EnqueueItem(Record(1));
    barracks->UpdateProduction(10);
    ASSERT_EQ(Player(0).queuedUnits, 1);
    barracks->Destroy(false);
    // Queued items are not refunded; only the started one stops counting.
    EXPECT_EQ(std::vector<int32_t>({Player(0).queuedUnits, Player(0).queuedUnitsByType[Record(1)->unitType],
                                    Player(0).wood}),
              std::vector<int32_t>({0, 0, 900}));
}

TEST_F(ProductionTest, ResearchRunsThroughTheSimulationStepAndIsAppliedOnce)
{
    const int32_t buildSpeed = 9;   // 200 wood, rate 0.3
    g_Config.networkRole = 1;
    CBuilding* barracks = Finished(CastBarracks, 10, 10);
    CBuilding* other = Finished(CastBarracks, 20, 10);
    Player(0).wood = 1000;
    EXPECT_EQ(barracks->StartResearch(buildSpeed), 1);
    barracks->UpdateProduction(50);
    Panel(*barracks, nullptr, -1, 0, 0);
    EXPECT_EQ(Player(0).wood, 1000);
    EXPECT_EQ(Player(0).technologies[buildSpeed].researchingBuilding, nullptr);

    Panel(*barracks, nullptr, buildSpeed, -1, 0);
    // Neither a second research here nor the same one elsewhere is paid.
    EXPECT_EQ(barracks->StartResearch(buildSpeed + 1), 0);
    EXPECT_EQ(other->StartResearch(buildSpeed), 0);
    EXPECT_EQ(Player(0).wood, 800);
    const int32_t score = Player(0).score;
    for (int32_t frame = 0; frame < 3; ++frame)
        m_Harness.Frame(100);
    EXPECT_EQ(barracks->productionState, CBuilding::ProductionResearching);
    EXPECT_FLOAT_EQ(barracks->progress, 90.0f);
    m_Harness.Frame(100);
    m_Harness.Frame(100);
    EXPECT_EQ(Player(0).technologies[buildSpeed].progress, 100.0f);
    EXPECT_EQ(barracks->research, nullptr);
    EXPECT_EQ(Player(0).score, score + 10);
    const auto& events = Player(0).script.GetEvents();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](auto& e) { return e.kind == CScript::EEvent::TechnologyResearched; }),
              1);
    EXPECT_EQ(Texts(Green), std::vector<std::string>{"Fast building researched"});
    const CUnitCommandOutbox::SCommand& last = g_UnitCommandOutbox.GetSent().back();
    EXPECT_EQ(std::vector<int32_t>({last.command, last.player, last.technology}),
              std::vector<int32_t>({42, 0, buildSpeed}));
    EXPECT_EQ(barracks->StartResearch(buildSpeed), 0);
}
