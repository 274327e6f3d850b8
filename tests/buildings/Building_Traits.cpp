// What a building answers of itself, and the guards of its tables.

#include "tests/buildings/BuildingWorld.h"
#include "tests/support/OffsetRange.h"

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

// Pieces of debris of kinds 24 and 25 a projectile knocks off, per cast and class; and the point
// attackers aim at, corner plus (x, y) at a height only once fully built (the docks 25 before).
TEST_F(BuildingTraits, HitDebrisAndAimPointsFollowTheirTablesRowByRow)
{
    const struct { int32_t cast, resourceKind, decorationKind, first, second; } debris[] = {
        {CastCastle, 0, 0, 5, 0},     {CastTower, 0, 0, 5, 0},       {CastWall, 0, 0, 5, 0},
        {CastTrap, 0, 0, 5, 0},       {CastDarkAltar, 0, 0, 5, 0},   {CastDecoration, 0, 39, 5, 0},
        {CastDecoration, 0, 41, 5, 0}, {CastBarracks, 0, 0, 3, 2},   {CastAlchemy, 0, 0, 4, 1},
        {CastBlacksmith, 0, 0, 4, 1}, {CastHouse, 0, 0, 4, 1},       {CastMonastery, 0, 0, 4, 1},
        {CastDecoration, 0, 1, 4, 1}, {CastDecoration, 0, 37, 4, 1}, {CastWarehouse, 0, 0, 0, 5},
        {CastDocks, 0, 0, 0, 5},      {CastKeep, 0, 0, 0, 5},        {CastResource, ResourceKindGoldMine, 0, 3, 2},
        {CastResource, ResourceKindTree, 0, 0, 10}, {CastResource, ResourceKindRock, 0, 3, 0},
        {CastDecoration, 0, 27, 2, 0}, {CastDecoration, 0, 6, 0, 2},  {CastDecoration, 0, 11, 4, 0},
        {CastDecoration, 0, 19, 4, 0}, {CastDecoration, 0, 70, 4, 0}, {CastDecoration, 0, 72, 4, 0},
        {CastDecoration, 0, 74, 4, 0}, {CastDecoration, 0, 2, 0, 0},  {CastDecoration, 0, 32, 0, 0}};
    for (const auto& row : debris)
    {
        int32_t pieces[2] = {-1, -1};
        Make(row.cast, row.resourceKind, row.decorationKind)->GetHitDebris(&pieces[0], &pieces[1]);
        EXPECT_TRUE(pieces[0] == row.first && pieces[1] == row.second)
            << row.cast << "/" << row.resourceKind << "/" << row.decorationKind << ": " << pieces[0] << ", " << pieces[1];
    }
    const struct { int32_t cast; float x, y, height, unfinished; } aims[] = {
        {CastCastle, 3.5f, 3.5f, 95.81f, 0},   {CastBarracks, 2.0f, 2.0f, 67.98f, 0}, {CastAlchemy, 1.65f, 2.51f, 44.71f, 0},
        {CastBlacksmith, 2.0f, 1.5f, 51.15f, 0}, {CastHouse, 1.39f, 0.84f, 63.8f, 0}, {CastTower, 1.0f, 1.0f, 98.8f, 0},
        {CastWarehouse, 1.0f, 1.0f, 52.0f, 0}, {CastMonastery, 2.35f, 2.39f, 44.77f, 0}, {CastWall, 0.5f, 0.5f, 45.3f, 0},
        {CastKeep, 1.23f, 1.0f, 68.47f, 0},    {CastTrap, 0.5f, 0.5f, 0.0f, 0},       {CastDocks, 2.98f, 2.82f, 47.32f, 25.0f},
        {CastDarkAltar, 2.0f, 2.0f, 67.98f, 0}};
    for (const auto& aim : aims)
    {
        CBuilding* building = Make(aim.cast);
        building->x = 10;
        building->y = 20;
        for (const float progress : {CBuilding::FinishedProgress, 99.9f})
        {
            building->buildProgress = progress;
            float at[3] = {};
            building->GetTargetPosition(at);
            const float height = progress == CBuilding::FinishedProgress ? aim.height : aim.unfinished;
            EXPECT_EQ(std::vector<float>(at, at + 3), (std::vector<float>{10 + aim.x, height, 20 + aim.y}))
                << aim.cast << " at " << progress;
        }
    }
}

// Each step of construction raises the cast's dust puffs anywhere on the footprint, a tenth of a block
// apart, 10 to 29 above the ground there; the docks raise none, and an instant completion none either.
TEST_F(BuildingTraits, ConstructionRaisesItsCastsDustAllOverTheFootprint)
{
    const struct { int32_t cast, puffs; } rows[] = {
        {CastCastle, 15},    {CastBarracks, 15}, {CastAlchemy, 10}, {CastBlacksmith, 15}, {CastHouse, 5},
        {CastTower, 15},     {CastWarehouse, 5}, {CastMonastery, 10}, {CastWall, 5},      {CastKeep, 10},
        {CastTrap, 15},      {CastDocks, 0},     {CastDarkAltar, 15}};
    constexpr int32_t Steps = 60;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.cast);
        g_Particles.Reset();
        CBuilding* site = m_World.Make(0, row.cast, 10, 20);
        for (int32_t step = 0; step < Steps; ++step)
            EXPECT_TRUE(site->Construct(0.0f, false));
        const size_t beforeInstant = g_Particles.GetEffects().size();
        EXPECT_FALSE(site->Construct(0.0f, true));   // an instant completion raises none
        EXPECT_EQ(g_Particles.GetEffects().size(), beforeInstant);
        SOffsetRange range;
        int32_t puffs = 0;
        for (const SEffectParticle& e : g_Particles.GetEffects())
            if (e.kind == CParticles::KindDust)
            {
                ++puffs;
                EXPECT_FALSE(e.hidden);
                range.Add(e.x - 10.0f, e.y - 20.0f, e.height - g_GameMap.GetHeight(e.x, e.y));
            }
        EXPECT_EQ(puffs, row.puffs * Steps);
        const float most[3] = {float(site->GetWidth()) - 0.1f, float(site->GetDepth()) - 0.1f, 29.0f};
        const float least[3] = {0.0f, 0.0f, 10.0f};
        for (int32_t i = 0; i < 3 && puffs > 0; ++i)
            EXPECT_TRUE(std::abs(range.low[i] - least[i]) < 1e-4f && std::abs(range.high[i] - most[i]) < 1e-4f)
                << i << ": " << range.low[i] << " to " << range.high[i];
    }
}
