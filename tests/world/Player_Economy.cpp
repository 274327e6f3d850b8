// Stock, wealth score, population limit and the training and building rules.

#include "Player_Fixture.h"

using PlayerEconomy = PlayerTest;
using PlayerRules = PlayerTest;

TEST_F(PlayerEconomy, InitGivesTheStartingStock)
{
    const CPlayer& player = Player(3);
    EXPECT_EQ(player.wood, 1000);
    EXPECT_EQ(player.gold, 1000);
    EXPECT_EQ(player.stone, 1000);
    EXPECT_EQ(player.populationMaximum, 256);
    EXPECT_TRUE(Log().Has("Initializing player:3"));
    EXPECT_TRUE(Log().Has("PlayerID=-1"));
}

TEST_F(PlayerEconomy, SpendingChargesAllThreeOrNothing)
{
    CPlayer& player = Player(0);
    EXPECT_TRUE(player.HasResources(300, 200, 100, 0));
    EXPECT_EQ(player.wood, 1000);
    EXPECT_TRUE(player.HasResources(300, 200, 100, 1));
    EXPECT_EQ(player.wood, 700);
    EXPECT_EQ(player.stone, 800);
    EXPECT_EQ(player.gold, 900);
    EXPECT_FALSE(player.HasResources(100, 900, 1000, 1));
    EXPECT_EQ(player.wood, 700);
    // Only the local player is told what is missing.
    EXPECT_FALSE(Player(4).HasResources(0, 5000, 5000, 1));
    EXPECT_FALSE(player.HasResources(5000, 0, 0, 1));
    EXPECT_FALSE(player.HasResources(0, 0, 5000, 1));
    ASSERT_EQ(Services().messages.size(), 3u);
    EXPECT_EQ(Services().messages[0].text, "Stone needed");
    EXPECT_EQ(Services().messages[0].colour, 0xFFFF00u);
    EXPECT_EQ(Services().messages[1].text, "Wood needed");
    EXPECT_EQ(Services().messages[2].text, "Gold needed");
}

TEST_F(PlayerEconomy, HarvestCountsAndRefundsLeaveTheWealthScore)
{
    CPlayer& player = Player(1);
    // 1000 / 5 + 1000 / 10 + 1000 / 2
    EXPECT_EQ(player.GetWealthScore(), 800);
    player.AddResources(7, 13, 3);
    EXPECT_EQ(player.statistics[STAT_WOOD_HARVESTED], 7);
    EXPECT_EQ(player.statistics[STAT_STONE_HARVESTED], 13);
    EXPECT_EQ(player.statistics[STAT_GOLD_HARVESTED], 3);
    // 1007 / 5 = 201, 1013 / 10 = 101, 1003 / 2 = 501
    EXPECT_EQ(player.GetWealthScore(), 803);
    player.RefundResources(50, 40, 33);
    EXPECT_EQ(player.wood, 1057);
    EXPECT_EQ(player.GetWealthScore(), 803);
    EXPECT_EQ(player.statistics[STAT_WOOD_HARVESTED], 7);
}

TEST_F(PlayerEconomy, PopulationLimitComesFromHousesAndKeepsAndFullIsAtTheLimitOrTheMaximum)
{
    CPlayer& player = Player(1);
    EXPECT_EQ(player.GetPopulationLimit(), 0);
    Finish(player, 5);
    EXPECT_EQ(player.GetPopulationLimit(), 5);
    uint8_t atMaximum = 9;
    for (int32_t i = 0; i < 4; ++i)
        Create(player, 1);
    EXPECT_FALSE(player.IsPopulationFull(&atMaximum));
    EXPECT_EQ(atMaximum, 0);
    player.queuedUnits = 1;
    EXPECT_TRUE(player.IsPopulationFull(&atMaximum));
    EXPECT_EQ(atMaximum, 0);
    player.populationMaximum = 5;
    EXPECT_TRUE(player.IsPopulationFull(&atMaximum));
    EXPECT_EQ(atMaximum, 1);

    Finish(player, 5);
    Finish(player, 5);
    Finish(player, 11);
    player.populationMaximum = 256;
    EXPECT_EQ(player.GetPopulationLimit(), 25);
    player.populationMaximum = 20;
    EXPECT_EQ(player.GetPopulationLimit(), 20);
}

TEST_F(PlayerEconomy, ScriptSumsCountMilitaryUnitsAndFlaggedBuildings)
{
    CPlayer& player = Player(1);
    Create(player, 1);
    Create(player, 2);
    Create(player, 3);
    Create(player, 7);
    EXPECT_EQ(player.SumUnitValues(), 2);
    Finish(player, 2);
    Finish(player, 4);
    Finish(player, 5);
    EXPECT_EQ(player.SumBuildingValues(), 2);
    EXPECT_EQ(player.GetWorkerSearchLimit(), 75);
    EXPECT_EQ(Player(0).GetWorkerSearchLimit(), 15);
}

namespace
{
// A rule's subject and its conditions: finished buildings (by cast) and
// researched technologies.
struct SRule
{
    int32_t subject;
    std::vector<int32_t> casts;
    std::vector<int32_t> technologies;
};

// `holds` is true with every condition met and false with any one of them
// taken away (a technology at `unfinishedProgress`) or with the subject
// disabled through `enabled` (when given); all is taken away afterwards.
template <typename Holds>
void ExpectEachConditionNeeded(CPlayer& player, const SRule& rule, float unfinishedProgress, uint8_t* enabled,
                               Holds holds)
{
    for (int32_t cast : rule.casts)
        player.finishedBuildings[cast] = 1;
    for (int32_t id : rule.technologies)
        player.technologies[id].progress = 100.0f;
    EXPECT_TRUE(holds()) << rule.subject;
    for (int32_t cast : rule.casts)
    {
        player.finishedBuildings[cast] = 0;
        EXPECT_FALSE(holds()) << rule.subject << " without B" << cast;
        player.finishedBuildings[cast] = 1;
    }
    for (int32_t id : rule.technologies)
    {
        player.technologies[id].progress = unfinishedProgress;
        EXPECT_FALSE(holds()) << rule.subject << " without T" << id;
        player.technologies[id].progress = 100.0f;
    }
    if (enabled != nullptr)
    {
        enabled[rule.subject] = 0;
        EXPECT_FALSE(holds()) << rule.subject << " disabled";
        enabled[rule.subject] = 1;
    }
    std::memset(player.finishedBuildings, 0, sizeof(player.finishedBuildings));
    for (CTechnology& technology : player.technologies)
        technology.progress = 0.0f;
}
} // namespace

// Each rule: it holds with its conditions met, and fails with any one of
// them taken away.
TEST_F(PlayerRules, TrainingNeedsEachListedBuildingAndTechnology)
{
    const SRule rules[] = {
        {1, {11}, {}},          {2, {2}, {}},           {3, {2}, {}},          {4, {4, 1}, {}},
        {5, {8}, {}},           {6, {2}, {30}},         {7, {13}, {}},         {9, {2}, {31}},
        {10, {4, 2}, {13, 16, 19}}, {11, {4, 13}, {32, 54}}, {12, {3, 1}, {54, 55}},
        {13, {4, 2}, {30, 28, 16, 19}}, {20, {4, 15}, {}}, {21, {3, 15}, {}}, {22, {4, 15}, {}},
    };
    CPlayer& player = Player(1);
    std::memset(player.enabledUnitTypes, 1, sizeof(player.enabledUnitTypes));
    for (const SRule& rule : rules)
        ExpectEachConditionNeeded(player, rule, 99.9f, player.enabledUnitTypes,
                                  [&] { return player.CanTrainUnit(rule.subject); });
    // Types without a rule are never trained.
    for (int32_t cast = 0; cast < BuildCastCount; ++cast)
        player.finishedBuildings[cast] = 1;
    for (int32_t type : {0, 8, 14, 30, 33, 35, 36, -1})
        EXPECT_FALSE(player.CanTrainUnit(type)) << type;
}

TEST_F(PlayerRules, BuildingNeedsEachListedBuildingAndTechnology)
{
    const SRule rules[] = {
        {1, {}, {53}},  {8, {}, {53}},  {12, {}, {53}}, {13, {}, {53}}, {2, {}, {9}},
        {4, {}, {9}},   {3, {4}, {10}}, {5, {11}, {}},  {7, {11}, {}},  {6, {}, {10}},
        {9, {}, {10}},  {11, {}, {10}}, {15, {}, {53, 51}},
    };
    CPlayer& player = Player(1);
    std::memset(player.enabledBuildingCasts, 1, sizeof(player.enabledBuildingCasts));
    for (const SRule& rule : rules)
        ExpectEachConditionNeeded(player, rule, 0.0f, player.enabledBuildingCasts,
                                  [&] { return player.CanBuildBuilding(rule.subject); });
    for (int32_t id = 0; id < TechnologyCount; ++id)
        player.technologies[id].progress = 100.0f;
    for (int32_t cast : {0, 10, 14, 16, 17, 18, 19})
        EXPECT_FALSE(player.CanBuildBuilding(cast)) << cast;
}

// The availability rules for a few representative rows, written out from
// the table.
TEST_F(PlayerRules, TechnologyRulesNeedEachCondition)
{
    const SRule rules[] = {
        {0, {7, 11}, {}},          {2, {7, 4, 11}, {8, 1}},     {8, {4, 11}, {53}},
        {16, {4}, {15, 8, 29}},    {34, {13, 4}, {8, 33}},      {43, {4, 3, 1}, {42, 29, 8, 55}},
        {47, {1}, {46, 8}},        {51, {8}, {50, 8}},          {52, {15}, {51}},
        {58, {3}, {54, 31}},       {60, {3}, {8}},
    };
    CPlayer& player = Player(1);
    for (const SRule& rule : rules)
    {
        player.SetTechnologyEnabled(rule.subject);
        ExpectEachConditionNeeded(player, rule, 0.0f, nullptr,
                                  [&] { return player.IsTechnologyAvailable(rule.subject); });
    }
}
