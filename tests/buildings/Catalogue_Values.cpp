// The record-based values of the building classes: maximum hit points by
// build progress with the firewall bonus, the damage factors with the
// building defence technologies, the stronghold's record and aim points.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t Firewall = 48;
constexpr int32_t BuildDefence1 = 46;
constexpr int32_t BuildDefence2 = 47;
constexpr int32_t Stronghold = 8;

class CatalogueValues : public ::testing::Test
{
protected:
    CatalogueWorld m_World;
};

TEST_F(CatalogueValues, MaximumHitPointsFollowProgressAndTheFirewall)
{
    struct SCase
    {
        int32_t cast;
        float progress;
        bool firewall;
        int32_t expected;
    };
    const SCase cases[] = {
        {CastCastle, 50.0f, false, 1000}, {CastCastle, 50.0f, true, 1500},   {CastCastle, 100.0f, true, 3000},
        {CastBarracks, 100.0f, false, 1200}, {CastBarracks, 100.0f, true, 1200}, {CastHouse, 100.0f, false, 400},
        {CastWall, 50.0f, true, 850},     {CastTower, 100.0f, true, 1200},   {CastTrap, 10.0f, false, 1},
        {CastHouse, 0.1f, false, 1},      {CastDarkAltar, 75.0f, false, 1200},
    };
    int32_t slot = 0;
    for (const SCase& c : cases)
    {
        const int32_t owner = c.firewall ? 1 : 0;
        if (c.firewall)
            m_World.World().Harness().Research(owner, Firewall);
        CBuilding* building = m_World.Place(owner, c.cast, 2 + (slot % 6) * 9, 2 + (slot / 6) * 9);
        ++slot;
        ASSERT_NE(building, nullptr) << c.cast;
        building->buildProgress = c.progress;
        EXPECT_EQ(building->GetMaxHitPoints(), c.expected) << "cast " << c.cast << " at " << c.progress;
    }
}

TEST_F(CatalogueValues, BuildingDefenceLowersTheThirdFactorOnly)
{
    CBuilding* plain = m_World.PlaceFinished(0, CastCastle, 2, 2);
    m_World.World().Harness().Research(1, BuildDefence1);
    CBuilding* first = m_World.PlaceFinished(1, CastCastle, 12, 2);
    m_World.World().Harness().Research(2, BuildDefence1);
    m_World.World().Harness().Research(2, BuildDefence2);
    CBuilding* both = m_World.PlaceFinished(2, CastCastle, 22, 2);
    ASSERT_TRUE(plain && first && both);
    EXPECT_FLOAT_EQ(plain->GetDamageFactor3(), 1.0f);
    EXPECT_FLOAT_EQ(first->GetDamageFactor3(), 0.9f);
    EXPECT_FLOAT_EQ(both->GetDamageFactor3(), 0.7f);
    EXPECT_FLOAT_EQ(both->GetDamageFactor1(), 0.2f);
    EXPECT_FLOAT_EQ(both->GetDamageFactor2(), 0.1f);
}

TEST_F(CatalogueValues, AStrongholdAnswersItsOwnRecord)
{
    CBuilding* keep = m_World.PlaceFinished(0, CastKeep, 10, 10);
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->GetMaxHitPoints(), 1200);
    EXPECT_FLOAT_EQ(keep->GetRepairRate(), 0.6f);
    EXPECT_FLOAT_EQ(keep->GetDamageFactor1(), 0.4f);
    m_World.World().Harness().Research(0, Stronghold);
    EXPECT_EQ(keep->GetMaxHitPoints(), 1600);
    EXPECT_FLOAT_EQ(keep->GetRepairRate(), 0.5f);
    EXPECT_FLOAT_EQ(keep->GetDamageFactor1(), 0.2f);
    EXPECT_FLOAT_EQ(keep->GetDamageFactor2(), 0.1f);
    ASSERT_NE(keep->GetPriceRecord(), nullptr);
    EXPECT_EQ(keep->GetPriceRecord()->index, 36);
    float cost[3] = {-1.0f, -1.0f, -1.0f};
    keep->GetWorkCost(&cost[0], &cost[1], &cost[2]);
    EXPECT_FLOAT_EQ(cost[0], 0.2f);
    EXPECT_FLOAT_EQ(cost[1], 0.8f);
    int32_t debris[2] = {};
    keep->GetHitDebris(&debris[0], &debris[1]);
    EXPECT_EQ(debris[0], 5);
    EXPECT_EQ(debris[1], 0);
}

TEST_F(CatalogueValues, AimPointsRiseOnlyOnceFinishedAndTheDocksStandHalfway)
{
    for (const int32_t cast : {CastHouse, CastDocks})
    {
        CBuilding* building = m_World.Player(0).BuildingFactory(cast, 0, 0, 0);
        ASSERT_NE(building, nullptr);
        building->x = 10;
        building->y = 20;
        float aim[3] = {};
        building->GetTargetPosition(aim);
        EXPECT_FLOAT_EQ(aim[1], cast == CastDocks ? 25.0f : 0.0f);
        building->buildProgress = CBuilding::FinishedProgress;
        building->GetTargetPosition(aim);
        EXPECT_FLOAT_EQ(aim[0], cast == CastDocks ? 12.98f : 11.39f);
        EXPECT_FLOAT_EQ(aim[1], cast == CastDocks ? 47.32f : 63.8f);
        EXPECT_FLOAT_EQ(aim[2], cast == CastDocks ? 22.82f : 20.84f);
        delete building;
    }
}
}  // namespace
