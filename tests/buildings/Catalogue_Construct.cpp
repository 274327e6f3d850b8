// The construction step of the building classes: stages and their dust,
// completion once at exactly 100 percent with the owner's news, the network
// rules, the hit sounds, and a real barracks burning down under hits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDust.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t HostRole = 1;
constexpr int32_t ClientRole = 2;

class CatalogueConstruct : public ::testing::Test
{
protected:
    std::vector<int32_t> SentCommands() const
    {
        std::vector<int32_t> commands;
        for (const CUnitCommandOutbox::SCommand& sent : g_UnitCommandOutbox.GetSent())
            commands.push_back(sent.command);
        return commands;
    }

    CatalogueWorld m_World;
};

TEST_F(CatalogueConstruct, StageBoundariesPickTheModelAndRaiseTheClassDust)
{
    struct SCase
    {
        int32_t cast;
        float progress;
        int32_t model;
        size_t dust;
    };
    const SCase cases[] = {
        {CastHouse, 25.0f, 130, 5},      {CastHouse, 25.01f, 131, 5},     {CastHouse, 50.0f, 131, 5},
        {CastHouse, 50.01f, 132, 5},     {CastHouse, 75.0f, 132, 5},      {CastHouse, 75.01f, 133, 5},
        {CastCastle, 25.0f, 109, 15},    {CastCastle, 75.01f, 112, 15},   {CastMonastery, 50.01f, 160, 10},
        {CastDocks, 25.01f, 205, 0},     {CastKeep, 75.01f, 168, 10},     {CastAlchemy, 0.1f, 123, 10},
    };
    for (const SCase& c : cases)
    {
        CBuilding* building = m_World.Player(0).BuildingFactory(c.cast, 0, 0, 0);
        ASSERT_NE(building, nullptr);
        building->x = 8;
        building->y = 8;
        building->buildProgress = c.progress;
        g_BuildingDust.Clear();
        EXPECT_TRUE(building->Construct(0.0f, false));
        EXPECT_EQ(building->model, c.model) << c.cast << " at " << c.progress;
        EXPECT_EQ(g_BuildingDust.GetPuffs().size(), c.dust) << c.cast;
        for (const SDustPuff& puff : g_BuildingDust.GetPuffs())
        {
            EXPECT_GE(puff.x, 8.0f);
            EXPECT_LT(puff.x, 8.0f + static_cast<float>(building->GetWidth()));
            EXPECT_GE(puff.height, 10.0f);
            EXPECT_LT(puff.height, 30.0f);
        }
        delete building;
    }
}

TEST_F(CatalogueConstruct, CompletionHappensOnceAtExactlyOneHundred)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    ASSERT_NE(house, nullptr);
    const int32_t limitBefore = m_World.Player(0).GetPopulationLimit();
    house->buildProgress = 99.0f;
    // Rate 3.0: one step of 1 reaches 102, which is held at exactly 100.
    EXPECT_FALSE(house->Construct(1.0f, false));
    EXPECT_EQ(house->buildProgress, 100.0f);
    EXPECT_EQ(house->model, 129);
    EXPECT_FALSE(house->Construct(1.0f, false));
    EXPECT_FALSE(house->Construct(0.0f, true));
    m_World.World().Find(house)->finished = true;
    ASSERT_EQ(m_World.Services().messages.size(), 1u);
    EXPECT_EQ(m_World.Services().messages[0].text, "BD_MSG_HOUSE");
    EXPECT_EQ(m_World.Services().messages[0].colour, 0x00FF00u);
    ASSERT_EQ(g_Particles.GetMinimapMarkers().size(), 1u);
    EXPECT_EQ(g_Particles.GetMinimapMarkers()[0].x, 11);
    EXPECT_EQ(g_Particles.GetMinimapMarkers()[0].y, 11);
    EXPECT_EQ(m_World.Samples(), std::vector<int32_t>{190});
    EXPECT_EQ(m_World.Player(0).finishedBuildings[CastHouse], 1);
    EXPECT_GT(m_World.Player(0).GetPopulationLimit(), limitBefore);
    EXPECT_BUILDINGS_SOUND(m_World.World());
}

TEST_F(CatalogueConstruct, AnInstantCompletionTellsNobody)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    ASSERT_NE(house, nullptr);
    m_World.SetNetworkRole(HostRole);
    g_UnitCommandOutbox.Clear();
    EXPECT_FALSE(house->Construct(0.0f, true));
    m_World.World().Find(house)->finished = true;
    EXPECT_TRUE(house->IsFinished());
    EXPECT_TRUE(g_BuildingDust.GetPuffs().empty());
    EXPECT_TRUE(m_World.Services().messages.empty());
    EXPECT_TRUE(m_World.Samples().empty());
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());
}

TEST_F(CatalogueConstruct, NetworkStepsFollowTheOwner)
{
    CBuilding* own = m_World.Place(0, CastHouse, 10, 10);
    CBuilding* foreign = m_World.Place(1, CastHouse, 20, 10);
    ASSERT_TRUE(own && foreign);
    m_World.SetNetworkRole(HostRole);
    g_UnitCommandOutbox.Clear();

    // Amount 0 on the owner: the progress goes out, the model change not.
    own->buildProgress = 30.0f;
    own->model = 130;
    EXPECT_TRUE(own->Construct(0.0f, false));
    EXPECT_EQ(own->model, 131);
    EXPECT_EQ(SentCommands(), std::vector<int32_t>{CUnitCommandOutbox::CommandBuildProgress});

    // A real step that changes the stage sends both: 30 + 3.0 x 10 = 60.
    g_UnitCommandOutbox.Clear();
    EXPECT_TRUE(own->Construct(10.0f, false));
    EXPECT_EQ(own->model, 132);
    EXPECT_EQ(SentCommands(), (std::vector<int32_t>{CUnitCommandOutbox::CommandBuildProgress,
                                                    CUnitCommandOutbox::CommandBuildingRecord}));
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[1].number, 132);
    EXPECT_FLOAT_EQ(g_UnitCommandOutbox.GetSent()[0].value, 60.0f);

    // Another machine's building waits for its owner's broadcast.
    g_UnitCommandOutbox.Clear();
    foreign->buildProgress = 30.0f;
    EXPECT_TRUE(foreign->Construct(10.0f, false));
    EXPECT_EQ(foreign->buildProgress, 30.0f);
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());

    // Completed at once it finishes without the news.
    EXPECT_FALSE(foreign->Construct(0.0f, true));
    m_World.World().Find(foreign)->finished = true;
    EXPECT_TRUE(m_World.Services().messages.empty());
    EXPECT_TRUE(g_UnitCommandOutbox.GetSent().empty());
}

// The hit sound sets as (first sample, variants) pairs played in order.
struct SSoundSet
{
    int32_t first;
    int32_t variants;
};

void ExpectSounds(const std::vector<int32_t>& played, const std::vector<SSoundSet>& expected, const char* what)
{
    ASSERT_EQ(played.size(), expected.size()) << what;
    for (size_t i = 0; i < played.size(); ++i)
    {
        EXPECT_GE(played[i], expected[i].first) << what << " sound " << i;
        EXPECT_LT(played[i], expected[i].first + expected[i].variants) << what << " sound " << i;
    }
}

TEST_F(CatalogueConstruct, HitSoundsFollowTheClassRows)
{
    struct SCase
    {
        int32_t cast;
        int32_t damageType;
        bool dead;
        std::vector<SSoundSet> sounds;
    };
    const std::vector<SCase> cases = {
        {CastHouse, 9, false, {{173, 4}}},
        {CastWarehouse, 4, false, {{173, 4}}},
        {CastKeep, 9, false, {{173, 4}, {184, 1}}},
        {CastMonastery, 4, false, {{173, 4}, {184, 1}}},
        {CastHouse, 1, false, {{165, 4}}},
        {CastHouse, 6, false, {{177, 2}}},
        {CastHouse, 5, false, {}},
        {CastHouse, 1, true, {{165, 4}, {180, 4}}},
        {CastCastle, 1, true, {{180, 4}}},
        {CastBarracks, 7, false, {{179, 1}}},
    };
    for (const SCase& c : cases)
    {
        CBuilding* building = m_World.Player(0).BuildingFactory(c.cast, 0, 0, 0);
        ASSERT_NE(building, nullptr);
        building->x = 5;
        building->y = 5;
        building->buildProgress = CBuilding::FinishedProgress;
        building->health = c.dead ? 0.0f : 100.0f;
        const_cast<CatalogueServices&>(m_World.Services()).playedSamples.clear();
        building->OnHit(c.damageType);
        ExpectSounds(m_World.Samples(), c.sounds, building->GetName());
        delete building;
    }
}

TEST_F(CatalogueConstruct, TwelveSmashingHitsBurnAndDestroyARealBarracks)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    ASSERT_NE(barracks, nullptr);
    ASSERT_EQ(barracks->GetMaxHitPoints(), 1200);
    // 100 of 1200 a hit: 58.3 percent after 5 (threshold 60), 41.7 after 7
    // (60, 50, 50, 45), 16.7 after 10 (all ten).
    for (int32_t hit = 1; hit <= 11; ++hit)
    {
        barracks->ApplyDamage(nullptr, 100, 4, false);
        const int32_t expectedFires = hit == 5 ? 1 : hit == 7 ? 4 : hit == 10 ? 10 : -1;
        if (expectedFires >= 0)
        {
            EXPECT_EQ(g_Particles.GetBurningFireCount(), expectedFires) << "after hit " << hit;
        }
        EXPECT_FALSE(barracks->IsTakenDown()) << "after hit " << hit;
    }
    EXPECT_TRUE(barracks->ApplyDamage(nullptr, 100, 4, false));
    EXPECT_TRUE(barracks->IsTakenDown());
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    EXPECT_EQ(g_Particles.GetBurningFireCount(), 0);
    // The ruin holds it now.
    m_World.World().Forget(barracks);
}
}  // namespace
