// What a building answers of itself, and the guards of its tables.

#include "tests/buildings/BuildingWorld.h"

namespace
{
class BuildingTraits : public ::testing::Test
{
protected:
    CBuilding* Make(int32_t cast, int32_t resourceKind = 0, int32_t decorationKind = 0)
    {
        CBuilding* building = m_World.Player(1).BuildingFactory(cast, resourceKind, 0, decorationKind);
        m_World.Track(building);
        return building;
    }

    CBuildingWorld m_World;
};
}  // namespace

TEST_F(BuildingTraits, FriendsIslandAndVisibilityFollowTheOwnerAndTheCentreBlock)
{
    CBuilding* rock = Make(CastResource, ResourceKindRock);
    for (int32_t p = -1; p < MaxPlayers; ++p)
        EXPECT_TRUE(rock->IsFriendTo(p)) << p;
    EXPECT_EQ(rock->GetOwnerColour(), -1);
    CBuilding* house = Make(CastHouse);
    EXPECT_EQ(std::vector<bool>({house->IsFriendTo(-1), house->IsFriendTo(1), house->IsFriendTo(2),
                                 house->IsFriendTo(8)}),
              std::vector<bool>({true, true, false, false}));
    EXPECT_EQ(house->GetOwnerColour(), m_World.Player(1).colourScheme);

    house->x = 20;
    house->y = 30;
    // 3 x 2: the centre block is (21, 31).
    g_GameMap.Block(21, 31).regionId = 42;
    EXPECT_TRUE(house->GetIslandId() == 42 && house->IsOnIsland(42) && !house->IsOnIsland(41));
    house->x = -10;
    EXPECT_EQ(house->GetIslandId(), NoRegion);
    house->x = 20;
    g_Config.fogOfWar = 1;
    EXPECT_FALSE(house->IsVisibleToLocalPlayer());
    house->owner = 0;
    EXPECT_TRUE(house->IsVisibleToLocalPlayer());
    house->owner = 1;
    g_Config.fogOfWar = 0;
    EXPECT_TRUE(house->IsVisibleToLocalPlayer());
}

TEST_F(BuildingTraits, SoundIsLouderWhereTheLocalPlayerSeesAndTablesRefuseWhatLiesBeyondThem)
{
    CBuilding* barracks = Make(CastBarracks);
    barracks->x = 10;
    barracks->y = 10;
    // The centre block is (12, 13).
    barracks->PlaySound(100, 1, false);
    m_World.Player(0).RevealArea(12, 13, 12, 13, 255);
    barracks->PlaySound(100, 4, false);
    ASSERT_EQ(m_World.Samples().size(), 4u);
    EXPECT_TRUE(m_World.Samples()[0] == 100 && m_World.Samples()[1] == 50 &&
                m_World.Samples()[2] >= 100 && m_World.Samples()[2] <= 103);
    EXPECT_EQ(m_World.Samples()[3], 100);
    CBuilding* ally = Make(CastDecoration, 0, 74);
    // "100001100001", six per row.
    const struct
    {
        int32_t x, y;
        bool set;
    } cells[] = {{0, 0, true}, {1, 0, false}, {5, 1, true}, {6, 0, false}, {-1, 0, false}, {0, 2, false},
                 {0, -1, false}};
    for (const auto& cell : cells)
        EXPECT_EQ(ally->IsFootprintMaskSet(cell.x, cell.y), cell.set) << cell.x << "," << cell.y;

    CBuilding* wall = Make(CastWall);
    CTestLog log;
    wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_TRUE(log.Contains("#DEBUG: Too many firepos") && wall->fireCount == 0);
    wall->InitFirePositions(1);
    wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_TRUE(wall->fireCount == 1 && wall->firePositions[0].particle == -1);
    // The base class has no aim point of its own.
    float position[3] = {1, 2, 3};
    CBuilding().GetTargetPosition(position);
    EXPECT_TRUE(log.Contains("#DEBUG: CBuilding::GetTargetPosition") && position[0] == 1.0f);
}

TEST_F(BuildingTraits, ATowerFinishedWithoutArchersIsReportedAndStillCounts)
{
    g_Config.fogOfWar = 1;
    CBuilding* tower = m_World.Player(0).CreateBuilding(CastTower, 12, 30);
    m_World.Track(tower);
    CTestLog log;
    tower->buildProgress = CBuilding::FinishedProgress;
    tower->BuildingFinished();
    EXPECT_TRUE(log.Contains("#DEBUG: The tower doesn't contain any archers. InitTower() should be called before "
                             "BuildingFinished()"));
    EXPECT_EQ(m_World.Player(0).finishedBuildings[CastTower], 1);
}
