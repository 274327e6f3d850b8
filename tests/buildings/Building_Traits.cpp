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

// A builder's stroke, even one of nothing, raises the class's dust over the footprint, 10 to 29
// above the ground there; an instant completion raises none.
TEST_F(BuildingTraits, EachStrokeRaisesTheClassesDustOverItsFootprint)
{
    const std::pair<int32_t, int32_t> dustByCast[] = {
        {CastCastle, 15},    {CastBarracks, 15}, {CastBlacksmith, 15}, {CastTower, 15}, {CastDarkAltar, 15},
        {CastTrap, 15},      {CastAlchemy, 10},  {CastMonastery, 10},  {CastKeep, 10},  {CastHouse, 5},
        {CastWarehouse, 5},  {CastWall, 5},      {CastDocks, 0}};
    const std::vector<SEffectParticle>& effects = g_Particles.GetEffects();
    for (size_t i = 0; i < std::size(dustByCast); ++i)
    {
        const auto [cast, puffs] = dustByCast[i];
        SCOPED_TRACE(cast);
        const int32_t x = 2 + 8 * int32_t(i % 7), y = 2 + 9 * int32_t(i / 7);
        CBuilding* site = m_World.Place(0, cast, x, y);
        for (const bool instant : {false, true})
        {
            const size_t before = effects.size();
            EXPECT_EQ(site->Construct(0.0f, instant), !instant);
            ASSERT_EQ(effects.size() - before, size_t(instant ? 0 : puffs));
            for (size_t k = before; k < effects.size(); ++k)
            {
                const SEffectParticle& puff = effects[k];
                const float above = puff.height - g_GameMap.GetHeight(puff.x, puff.y);
                EXPECT_TRUE(puff.kind == CParticles::KindDust && !puff.hidden && puff.x >= float(x) &&
                            puff.x < float(x + site->GetWidth()) && puff.y >= float(y) &&
                            puff.y < float(y + site->GetDepth()) && above >= 10.0f && above < 30.0f)
                    << puff.x << "," << puff.y << " " << above;
            }
        }
    }
}

// The stage changes just above 25, 50 and 75; a stroke to 100 finishes with the local owner's news,
// an instant completion (a foreign one on a network client too) without any.  On the owner's
// machine a stroke of nothing still sends the progress but not the stage it brings.
TEST_F(BuildingTraits, TheProgressPicksTheStageAndOnlyAStrokeToTheEndAnnouncesIt)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    for (const auto& [progress, stage] : {std::pair{25.0f, 130}, {25.01f, 131}, {50.0f, 131}, {50.01f, 132},
                                          {75.0f, 132}, {75.01f, 133}})
    {
        house->buildProgress = progress;
        EXPECT_TRUE(house->Construct(0.0f, false));
        EXPECT_EQ(house->model, stage) << progress;
    }
    house->buildProgress = 98.0f;
    EXPECT_FALSE(house->Construct(1.0f, false));   // 3 per unit of work
    EXPECT_TRUE(house->buildProgress == 100.0f && house->model == 129 && !house->Construct(1.0f, false));
    ASSERT_EQ(m_World.Messages().size(), 1u);
    EXPECT_TRUE(m_World.Messages()[0].text == "BD_MSG_HOUSE" && m_World.Messages()[0].colour == 0x00FF00u);
    EXPECT_EQ(m_World.Markers(), (std::vector<int32_t>{11, 11, 0xFFFF00}));
    EXPECT_EQ(m_World.Samples(), (std::vector<int32_t>{190, 100}));

    g_Config.networkRole = 2;
    CBuilding* foreign = m_World.Place(1, CastHouse, 20, 10);
    CBuilding* own = m_World.Place(0, CastHouse, 30, 10);
    g_MultiplayerGame.ClearSent();
    EXPECT_TRUE(foreign->Construct(1.0f, false) && foreign->buildProgress == CBuilding::StartProgress);
    EXPECT_TRUE(!foreign->Construct(0.0f, true) && foreign->model == 129 && g_MultiplayerGame.GetSent().empty());
    own->buildProgress = 25.01f;
    own->Construct(0.0f, false);
    ASSERT_EQ(g_MultiplayerGame.GetSent().size(), 1u);
    EXPECT_TRUE(own->model == 131 &&
                g_MultiplayerGame.GetSent()[0].packet.Command() == CMultiplayerGame::CommandBuildProgress);
    EXPECT_EQ(m_World.Messages().size(), 1u);
    g_Config.networkRole = 0;
}
