// The prerequisite tree, availability rules and research of one state.

#include <algorithm>
#include <set>

#include "Player_Fixture.h"

using TechnologyTree = PlayerTest;
using TechnologyResearch = PlayerTest;

namespace
{
std::set<int32_t> Chain(int32_t id)
{
    int32_t chain[TechnologyCount];
    const int32_t count = g_TechnologyTree.CollectChain(id, chain);
    return std::set<int32_t>(chain, chain + count);
}
} // namespace

TEST_F(TechnologyTree, EnablingOrMarkingPrerequisitesReachesTheWholeChainWithoutEffects)
{
    CPlayer& player = Player(2);
    player.SetTechnologyEnabled(43);
    player.MarkPrerequisitesResearched(25);
    EXPECT_EQ(Chain(25), (std::set<int32_t>{25, 24, 23, 8, 29, 53}));
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        EXPECT_EQ(player.technologies[id].enabled, Chain(43).count(id)) << id;
        EXPECT_EQ(player.IsResearched(id), Chain(25).count(id) == 1) << id;
    }
    EXPECT_EQ(Chain(43), (std::set<int32_t>{43, 42, 29, 8, 55, 54, 53}));
    EXPECT_EQ(player.score, 0);
}

TEST_F(TechnologyTree, TreePrerequisitesAreAllInTheRules)
{
    for (int32_t id = 0; id < TechnologyCount; ++id)
    {
        const STechnologyRule& rule = CTechnologyTree::GetRule(id);
        const CTechnologyTree::SEntry& entry = g_TechnologyTree.entries[id];
        std::set<int32_t> ruled;
        for (int8_t t : rule.technologies)
            if (t != STechnologyRule::NoRequirement)
                ruled.insert(t);
        std::set<int32_t> tree(entry.prerequisites, entry.prerequisites + entry.count);
        for (int32_t t : tree)
            EXPECT_EQ(ruled.count(t), 1u) << "technology " << id << " prerequisite " << t;
        // Rules ask for no more than the tree, but for T8 on 34 and 51.
        std::set<int32_t> extra;
        std::set_difference(ruled.begin(), ruled.end(), tree.begin(), tree.end(),
                            std::inserter(extra, extra.begin()));
        const bool askedForEight = id == 34 || id == 51;
        EXPECT_EQ(extra, askedForEight ? std::set<int32_t>{8} : std::set<int32_t>{}) << id;
    }
}

TEST_F(TechnologyTree, OutOfRangeIdsAreRefusedWithALogLine)
{
    CPlayer& player = Player(1);
    player.SetTechnologyEnabled(61);
    player.MarkPrerequisitesResearched(-1);
    EXPECT_FALSE(player.IsTechnologyAvailable(61));
    EXPECT_FALSE(player.IsTechnologyAvailable(-5));
    player.OnTechnologyResearched(99);
    EXPECT_TRUE(Log().Has("Invalid technology id: 61"));
    EXPECT_TRUE(Log().Has("Invalid technology id: -1"));
    EXPECT_TRUE(Log().Has("Invalid technology id: -5"));
    EXPECT_TRUE(Log().Has("Invalid technology id: 99"));
    EXPECT_EQ(player.score, 0);
}

TEST_F(TechnologyTree, AvailabilityNeedsEnabledUnresearchedIdleAndItsRule)
{
    CPlayer& player = Player(1);
    player.SetTechnologyEnabled(10);
    EXPECT_FALSE(player.IsTechnologyAvailable(10));   // no keep
    Finish(player, 11);
    EXPECT_FALSE(player.IsTechnologyAvailable(10));   // 9 not researched
    EXPECT_TRUE(player.IsTechnologyAvailable(9));
    player.technologies[9].progress = 100.0f;
    EXPECT_TRUE(player.IsTechnologyAvailable(10));
    // Researched: false even with every building standing.
    EXPECT_FALSE(player.IsTechnologyAvailable(9));
    player.technologies[10].enabled = 0;
    EXPECT_FALSE(player.IsTechnologyAvailable(10));
}

TEST_F(TechnologyResearch, RateOneTwentiethWithAmountThousandFinishesInTwoSteps)
{
    CPlayer& player = Player(1);
    CTechnology& technology = player.technologies[13];   // rate 0.05
    auto* smithy = Finish(player, 4);
    technology.StartResearch(smithy);
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::Running);
    EXPECT_FLOAT_EQ(technology.progress, 50.0f);
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::FinishedNow);
    EXPECT_EQ(technology.progress, 100.0f);
    EXPECT_EQ(technology.researchingBuilding, nullptr);
    EXPECT_EQ(technology.AdvanceResearch(1000.0f), EResearchStep::AlreadyFinished);
}

TEST_F(TechnologyResearch, CompletionByAnotherWayIsNotFinishedNowAndAForeignBuildingIsReported)
{
    CPlayer& player = Player(1);
    CTechnology& technology = player.technologies[5];
    technology.StartResearch(Finish(player, 11));
    technology.AdvanceResearch(10.0f);
    technology.progress = 100.0f;   // a script completed it meanwhile
    EXPECT_EQ(technology.AdvanceResearch(10.0f), EResearchStep::AlreadyFinished);
    EXPECT_EQ(technology.researchingBuilding, nullptr);
    EXPECT_FALSE(Log().Has("#DEBUG: Invalid technology!"));
    player.technologies[6].StartResearch(Finish(Player(2), 11));
    EXPECT_TRUE(Log().Has("#DEBUG: Invalid technology!"));
}

TEST_F(TechnologyResearch, RainOfFireIsSpentWhenCastAndCanBeResearchedAgain)
{
    CPlayer& player = Player(1);
    player.SetTechnologyEnabled(52);
    Finish(player, 15);
    player.technologies[51].progress = 100.0f;
    EXPECT_EQ(player.GetRainHellSpell(nullptr), nullptr);
    auto* altar = Finish(player, 15);
    player.technologies[52].StartResearch(altar);
    EXPECT_FALSE(player.IsTechnologyAvailable(52));   // being researched
    while (player.technologies[52].AdvanceResearch(100.0f) == EResearchStep::Running)
    {
    }
    int32_t power = 0;
    EXPECT_EQ(player.GetRainHellSpell(&power), GetTechnologyRecord(52));
    EXPECT_EQ(power, 4);
    player.ClearRainHell();
    EXPECT_EQ(player.GetRainHellSpell(nullptr), nullptr);
    EXPECT_TRUE(player.IsTechnologyAvailable(52));
}

TEST_F(TechnologyResearch, EffectsRefreshSightSpeedUpShipsAndScore)
{
    CPlayer& player = Player(1);
    auto* archer = Create(player, 3);
    auto* galley = Create(player, 11);
    auto* transport = Create(player, 7);
    auto* worker = Create(player, 1);
    galley->speed = 1.0f;
    transport->speed = 2.0f;
    worker->speed = 1.0f;
    auto* tower = Finish(player, 6);
    player.computerAI.ClearNotices();
    player.OnTechnologyResearched(24);
    EXPECT_EQ(Services().sightRefreshed, std::vector<CUnit*>{archer});
    EXPECT_EQ(Services().archerRefreshed, std::vector<CBuilding*>{tower});
    player.OnTechnologyResearched(33);
    EXPECT_FLOAT_EQ(galley->speed, 1.1f);
    EXPECT_FLOAT_EQ(transport->speed, 2.2f);
    EXPECT_FLOAT_EQ(worker->speed, 1.0f);
    Services().sightRefreshed.clear();
    player.OnTechnologyResearched(45);
    EXPECT_TRUE(Services().sightRefreshed.empty());
    EXPECT_EQ(player.score, 3 + 11 + 7 + 1 + 12 + 30);
    ASSERT_EQ(player.computerAI.GetNotices().size(), 3u);
    EXPECT_EQ(player.computerAI.GetNotices()[2].value, 45);
    EXPECT_EQ(player.script.GetEvents().back().kind, CScript::EEvent::TechnologyResearched);
}
