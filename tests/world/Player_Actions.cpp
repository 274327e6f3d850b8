// The time-sliced action pass, starvation, spending the stock, and the training and building rules.

#include <set>

#include "Player_Fixture.h"

using PlayerActions = PlayerTest;
using PlayerEconomy = PlayerTest;

TEST_F(PlayerActions, EachCallPerformsOneActionResumesBehindItAndSurvivesRemovals)
{
    CPlayer& player = Player(1);
    std::vector<TestUnit*> units;
    for (int32_t i = 0; i < 4; ++i)
        units.push_back(Create(player, 2));
    units[0]->pendingActions[0] = 1;
    units[1]->pendingActions[0] = 1;
    units[1]->health = 1.0f;
    units[1]->starvation = 1.0f;   // dead: skipped
    units[2]->pendingActions[1] = 1;
    units[3]->pendingActions[0] = 1;
    EXPECT_TRUE(player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 1 && player.UpdateUnitsTimeSliced());
    EXPECT_TRUE(units[3]->performed[0] == 1 && units[1]->performed[0] == 0);
    // Phase 0 exhausted: phase 1 performs its action and the call ends false.
    EXPECT_TRUE(!player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 0 && units[2]->performed[1] == 1);
    EXPECT_TRUE(player.unitCursors[1] == 3 && !player.UpdateUnitsTimeSliced() && player.unitCursors[1] == 0);
    // Removals leave the cursor past the list: nothing beyond it is touched.
    for (TestUnit* unit : units)
        unit->pendingActions[0] = 1;
    player.UpdateUnitsTimeSliced();
    player.UpdateUnitsTimeSliced();
    ASSERT_EQ(player.unitCursors[0], 3);
    for (int32_t i = 0; i < 3; ++i)
    {
        CUnit* unit = player.units[0];
        player.RemoveUnit(unit, 0);
        delete unit;
    }
    EXPECT_TRUE(!player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 0);
}

TEST_F(PlayerActions, TheLocalPlayerIsToldOncePerMinuteAndHungerNeverKills)
{
    CPlayer& player = Player(0);
    TestUnit* unit = Create(player, 1);   // a limit of 0
    Services().networkGame = true;
    player.CheckStarvation(10.0f);
    Services().networkGame = false;
    player.starvationEnabled = 0;
    player.CheckStarvation(10.0f);
    player.starvationEnabled = 1;
    player.CheckStarvation(0.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 0.0f);
    player.CheckStarvation(5.0f);
    player.CheckStarvation(5.0f);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_TRUE(Services().messages[0].text == "People starving" && Services().messages[0].colour == 0xFFFF00u);
    SysClock::AdvanceTestClock(60001);
    player.CheckStarvation(5.0f);
    EXPECT_EQ(Services().messages.size(), 2u);
    // 1.5 + 60 = 61.5 percent; the next step would reach 100 and is taken back.
    unit->health = 100.0f;
    for (int32_t i = 0; i < 3; ++i)
        player.CheckStarvation(600.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 61.5f);
    EXPECT_TRUE(unit->IsAlive());
    // A house lifts the limit: hunger goes by the same amount per call, and a catapult never starved.
    TestUnit* catapult = Create(player, 4);
    player.finishedBuildings[5] = 1;
    player.CheckStarvation(600.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 1.5f);
    EXPECT_FLOAT_EQ(catapult->starvation, 0.0f);
    // A computer player starves quietly.
    TestUnit* hungry = Create(Player(2), 1);
    Player(2).CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(hungry->starvation, 1.0f);
    EXPECT_EQ(Services().messages.size(), 2u);
}

TEST_F(PlayerEconomy, SpendingChargesAllThreeOrNothingAndOnlyTheLocalPlayerHearsWhy)
{
    CPlayer& player = Player(0);
    EXPECT_TRUE(player.HasResources(300, 200, 100, 0) && player.wood == 1000 && player.HasResources(300, 200, 100, 1));
    EXPECT_FALSE(player.HasResources(100, 900, 1000, 1));
    EXPECT_EQ(std::vector<int32_t>({player.wood, player.stone, player.gold}), std::vector<int32_t>({700, 800, 900}));
    EXPECT_TRUE(!Player(4).HasResources(0, 5000, 5000, 1) && !player.HasResources(5000, 0, 0, 1) &&
                !player.HasResources(0, 0, 5000, 1));
    std::vector<std::string> texts;
    for (const SRecordedMessage& message : Services().messages)
    {
        texts.push_back(message.text);
        EXPECT_EQ(message.colour, 0xFFFF00u);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Stone needed", "Wood needed", "Gold needed"}));
    // The script's sums: military units and flagged buildings.
    for (int32_t type : {1, 2, 3, 7})
        Create(player, type);
    for (int32_t cast : {2, 4, 5})
        Finish(player, cast);
    EXPECT_TRUE(player.SumUnitValues() == 2 && player.SumBuildingValues() == 2);
}

// Everything standing and researched, exactly the listed subjects hold; each
// row of the rules asks for exactly its buildings and technologies.
TEST_F(PlayerEconomy, TrainingAndBuildingNeedEachListedBuildingAndTechnology)
{
    const std::set<int32_t> trainable = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 20, 21, 22};
    const std::set<int32_t> buildable = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15};
    CPlayer& player = Player(1);
    std::memset(player.enabledUnitTypes, 1, sizeof(player.enabledUnitTypes));
    std::memset(player.enabledBuildingCasts, 1, sizeof(player.enabledBuildingCasts));
    const auto everything = [&] {
        std::fill(std::begin(player.finishedBuildings), std::end(player.finishedBuildings), 1);
        for (CTechnology& technology : player.technologies)
            technology.progress = 100.0f;
    };
    everything();
    for (int32_t type = -1; type <= 36; ++type)
        EXPECT_EQ(player.CanTrainUnit(type), trainable.count(type) == 1) << type;
    for (int32_t cast = -1; cast <= BuildCastCount; ++cast)
        EXPECT_EQ(player.CanBuildBuilding(cast), buildable.count(cast) == 1) << cast;
    const std::pair<std::vector<int32_t>, const char*> training[] = {
        {{1}, "B11"},         {{2, 3}, "B2"},         {{4}, "B4 B1"},      {{5}, "B8"},
        {{6}, "T30 B2"},      {{7}, "B13"},           {{9}, "T31 B2"},     {{10}, "T13 T16 T19 B4 B2"},
        {{11}, "T32 T54 B4 B13"},                     {{12}, "B3 B1 T54 T55"},
        {{13}, "T30 T28 T16 T19 B4 B2"},              {{20, 22}, "B4 B15"}, {{21}, "B3 B15"}};
    const std::pair<std::vector<int32_t>, const char*> building[] = {
        {{1, 8, 12, 13}, "T53"}, {{2, 4}, "T9"}, {{3}, "B4 T10"}, {{5, 7}, "B11"}, {{6, 9, 11}, "T10"},
        {{15}, "T53 T51"}};
    for (const auto& [types, conditions] : training)
        for (int32_t type : types)
            ExpectExactlyTheConditions(player, conditions, type, [&] { return player.CanTrainUnit(type); });
    for (const auto& [casts, conditions] : building)
        for (int32_t cast : casts)
            ExpectExactlyTheConditions(player, conditions, cast, [&] { return player.CanBuildBuilding(cast); });
    everything();
    ASSERT_TRUE(player.CanTrainUnit(13) && player.CanBuildBuilding(15));
    player.enabledUnitTypes[13] = 0;
    player.enabledBuildingCasts[15] = 0;
    EXPECT_FALSE(player.CanTrainUnit(13) || player.CanBuildBuilding(15));
}
