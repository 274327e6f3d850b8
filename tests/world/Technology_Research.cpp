// The prerequisite tree, research of one state, and the type records.

#include <set>

#include "Player_Fixture.h"

using TechnologyTree = PlayerTest;
using TechnologyResearch = PlayerTest;

TEST_F(TechnologyTree, EnablingOrMarkingPrerequisitesReachesTheWholeChainWithoutEffects)
{
    const std::set<int32_t> enabled = {43, 42, 29, 8, 55, 54, 53};
    const std::set<int32_t> researched = {25, 24, 23, 8, 29, 53};
    CPlayer& player = Player(2);
    player.SetTechnologyEnabled(43);
    player.MarkPrerequisitesResearched(25);
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        EXPECT_EQ(player.technologies[id].enabled, enabled.count(id)) << id;
        EXPECT_EQ(player.IsResearched(id), researched.count(id) == 1) << id;
    }
    // Ids out of range are refused with a log line.
    player.SetTechnologyEnabled(61);
    player.MarkPrerequisitesResearched(-1);
    EXPECT_FALSE(player.IsTechnologyAvailable(-5));
    player.OnTechnologyResearched(99);
    for (const char* id : {"61", "-1", "-5", "99"})
        EXPECT_TRUE(Log().Has(std::string("Invalid technology id: ") + id)) << id;
    EXPECT_EQ(player.score, 0);
}

TEST_F(TechnologyResearch, ResearchFinishesOnceTheSpellIsSpentWhenCastAndEffectsRefreshSightAndShips)
{
    CPlayer& player = Player(1);
    CTechnology& technology = player.technologies[13];   // rate 0.05
    technology.StartResearch(Finish(player, 4));
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::Running);
    EXPECT_FLOAT_EQ(technology.progress, 50.0f);
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::FinishedNow);
    EXPECT_EQ(technology.researchingBuilding, nullptr);
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::AlreadyFinished);
    EXPECT_FALSE(Log().Has("#DEBUG: Invalid technology!"));
    player.technologies[6].StartResearch(Finish(Player(2), 11));   // another player's building
    EXPECT_TRUE(Log().Has("#DEBUG: Invalid technology!"));
    player.SetTechnologyEnabled(52);
    player.technologies[51].progress = 100.0f;
    EXPECT_EQ(player.GetRainHellSpell(nullptr), nullptr);
    player.technologies[52].StartResearch(Finish(player, 15));
    EXPECT_FALSE(player.IsTechnologyAvailable(52));   // being researched
    while (player.technologies[52].AdvanceResearch(100.0f) == EResearchStep::Running)
        continue;
    int32_t power = 0;
    EXPECT_TRUE(player.GetRainHellSpell(&power) == GetTechnologyRecord(52) && power == 4);
    player.ClearRainHell();
    EXPECT_TRUE(player.GetRainHellSpell(nullptr) == nullptr && player.IsTechnologyAvailable(52));
    TestUnit* archer = Create(player, 3);
    TestUnit* galley = Create(player, 11);
    galley->speed = 2.0f;
    TestBuilding* tower = Finish(player, 6);
    for (int32_t id : {24, 33, 37, 45})
        player.OnTechnologyResearched(id);
    EXPECT_EQ(Services().sightRefreshed, (std::vector<CUnit*>{archer, galley}));
    EXPECT_EQ(Services().archerRefreshed, std::vector<CBuilding*>{tower});
    EXPECT_FLOAT_EQ(galley->speed, 2.2f);
    EXPECT_EQ(player.computerAI.GetNotices().back().value, 45);
}

// The type records: texts from the locale or fixed, and the health option
// that triples units but the demolition man.
TEST_F(TechnologyTree, TypeRecordsTakeTheirTextsAndTheHealthOption)
{
    g_Config.unitHealthMultiply = 1;
    InitTypeRecords();
    EXPECT_TRUE(g_UnitStats[0].hitPoints == 90 && g_UnitStats[11].hitPoints == 20);
    EXPECT_EQ(g_UnitStats[25].hitPoints, 400);   // buildings keep theirs
    EXPECT_STREQ(g_UnitStats[13].name, "Quib");
    EXPECT_STREQ(g_UnitStats[0].name, "Worker");
    EXPECT_STREQ(g_UnitStats[1].name, "*error*");   // a key the locale lacks
    EXPECT_TRUE(g_UnitStats[0].message == "Worker ready" &&
                GetTechnologyRecord(52)->message == "Researched: Rain of fire" && GetTechnologyRecord(61) == nullptr);
}
