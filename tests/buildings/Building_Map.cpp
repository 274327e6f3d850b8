#include <numeric>

#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
class BuildingMap : public ::testing::Test
{
protected:
    // Gentle hills (steps below the steepest walkable slope) and four textures, so that levelling and restoring show.
    void SetUp() override
    {
        for (int32_t x = 0; x <= g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y <= g_GameMap.GetHeight(); ++y)
            {
                g_GameMap.CornerHeight(x, y) = (x * 7 + y * 3) % 21;
                g_GameMap.cornerTextures[x * MapCornerSide + y] = uint8_t((x + 2 * y) % 4 + 1);
            }
        m_Heights.assign(g_GameMap.cornerHeights, g_GameMap.cornerHeights + MapCornerCount);
        m_Textures.assign(g_GameMap.cornerTextures, g_GameMap.cornerTextures + MapCornerCount);
    }
    bool TerrainAsAtStart() const
    {
        return std::equal(m_Heights.begin(), m_Heights.end(), g_GameMap.cornerHeights) &&
               std::equal(m_Textures.begin(), m_Textures.end(), g_GameMap.cornerTextures);
    }

    CBuildingWorld m_World;
    Ints m_Heights;
    std::vector<uint8_t> m_Textures;
};
}  // namespace

TEST_F(BuildingMap, FootprintLeavingTheMapIsRefusedAndChangesNothing)
{
    const int32_t side = g_GameMap.GetWidth();
    for (const auto& [x, y] : {std::pair{side - 6, 10}, {10, side - 1}, {-1, 10}, {10, -3}, {side, side}})
    {
        CBuilding* castle = m_World.Make(1, CastCastle, x, y);
        CTestLog log;
        EXPECT_TRUE(!castle->CanPlaceAt(1, 0, 0, 0) && !castle->PlaceOnMap() && !castle->placed &&
                    !castle->IsOnMap() && log.Contains("#DEBUG: Building footprint outside the map"));
        castle->RemoveFromMap();
    }
    EXPECT_TRUE(TerrainAsAtStart());
    // The last column and row of the map still take a building; the player's create operation leaves none off the map.
    EXPECT_TRUE(m_World.Make(1, CastCastle, side - 7, side - 7)->PlaceOnMap() &&
                !m_World.Player(2).CreateBuilding(CastHouse, side - 1, 7) &&
                !m_World.Player(2).CreateBuilding(CastHouse, 7, side));
}

// Ruins, corpses and blood on the claimed blocks go to deferred deletion; those beside stay.
TEST_F(BuildingMap, PlacingFreesTheParticlesStandingOnItsBlocks)
{
    CBuilding* house = m_World.Make(2, CastHouse, 30, 30);   // its ruin on (31, 31)
    ASSERT_TRUE(house->PlaceOnMap());
    house->Destroy(false);
    CUnit *fallen = m_World.Spawn(1, UNIT_WARRIOR, 32, 31), *beside = m_World.Spawn(1, UNIT_WARRIOR, 34, 34);
    for (CUnit* unit : {fallen, beside}) unit->RemoveFromWorld(false), unit->FinishDeath();
    g_Particles.AddBlood(false, 31.5f, 32.25f, 0.0f, 8.0f, false);
    g_Particles.AddBlood(false, 34.5f, 31.5f, 0.0f, 8.0f, true);
    ASSERT_TRUE(m_World.Make(3, CastTower, 31, 31)->PlaceOnMap());   // blocks (31..32, 31..32)
    m_World.Forget(house);   // deferred deletion has it now
    EXPECT_TRUE(!(g_Particles.HoldsRuin(house) || g_Particles.HoldsCorpse(fallen)) && g_Particles.HoldsCorpse(beside) &&
                g_Particles.GetEffects().size() == 1u && g_Particles.GetEffects()[0].x == 34.5f &&
                g_PtrGarbage.FindUnit(1, fallen->uniqueId) == fallen && !g_PtrGarbage.FindUnit(1, beside->uniqueId));
    m_World.Flush();
}

// The AI tilt map counts each building over its footprint grown by its clearance; a building
// placed over a standing one destroys it first, with the network told, and takes over its count.
TEST_F(BuildingMap, PlacingOverAStandingBuildingDestroysItFirstAndTheTiltMapFollowsBothFootprints)
{
    std::fill(std::begin(g_GameMap.aiTiltMap), std::end(g_GameMap.aiTiltMap), uint8_t(0));
    const auto tilted = [](int32_t left, int32_t top, int32_t right, int32_t bottom) {
        int32_t cells = 0;   // the tilted cells, all of them in the rectangle
        for (int32_t cx = 0; cx < g_GameMap.GetWidth(); ++cx)
            for (int32_t cy = 0; cy < g_GameMap.GetHeight(); ++cy)
            {
                const int32_t value = g_GameMap.aiTiltMap[cx * MapBlockSide + cy];
                const bool inside = cx >= left && cx <= right && cy >= top && cy <= bottom;
                cells += value != 0 ? 1 : 0;
                EXPECT_TRUE(value == (inside ? 1 : 0)) << cx << "," << cy;
            }
        return cells;
    };
    g_Config.networkRole = 1;   // the host, which owns player 0's buildings
    CBuilding* house = m_World.PlaceFinished(0, CastHouse, 20, 20);   // 3 x 2, clearance 1
    EXPECT_EQ(tilted(19, 19, 23, 22), 20);
    g_MultiplayerGame.ClearSent();
    CBuilding* tower = m_World.Make(2, CastTower, 22, 21);   // 2 x 2, clearance 0, over (22, 21)
    ASSERT_TRUE(tower->PlaceOnMap());
    m_World.Forget(house);
    EXPECT_TRUE(house->health == 0.0f && g_Particles.HoldsRuin(house) && m_World.Player(0).buildingCount == 0 &&
                g_GameMap.Block(20, 20).building == nullptr && g_GameMap.Block(22, 21).building == tower);
    const auto& sent = g_MultiplayerGame.GetSent();
    EXPECT_TRUE(sent.size() == 1u && sent[0].packet.Command() == CMultiplayerGame::CommandBuildingDestroyed &&
                sent[0].packet.Value(0) == Ref(house) && tilted(22, 21, 23, 22) == 4);
    // A wider margin, and the cells beyond the map's edges skipped on both sides.
    tower->RemoveFromMap(), g_GameMap.PlaceBuildingFootprint(*tower, 0, 1, 1, 1);
    EXPECT_EQ(tilted(0, 0, 2, 3), 12);
    g_GameMap.PlaceBuildingFootprint(*tower, 0, 1, 1, -1);
    const int32_t last = g_GameMap.GetWidth() - 1;
    g_GameMap.PlaceBuildingFootprint(*tower, last - 1, last - 1, 2, 1);
    EXPECT_EQ(tilted(last - 3, last - 3, last, last), 16);
    g_GameMap.PlaceBuildingFootprint(*tower, last - 1, last - 1, 2, -1), g_Config.networkRole = 0;
    m_World.Flush();
}

// Around a 3 x 2 house at (20, 20) a free cell is looked for along the far y side (x 19 up to 23), the
// far x side (y 22 down to 19), the near x side (the same) and the near y side (x 20 up to 23); a free
// start point wins at once.  With every cell taken the point holds the last one tried.
TEST_F(BuildingMap, AnExitIsTheFirstFreeCellAroundTheFootprintInItsOrder)
{
    CBuilding* house = m_World.Place(1, CastHouse, 20, 20);
    int32_t point[2] = {5, 5};
    EXPECT_TRUE(house->FindExitCell(1, 1, point) && point[0] == 5 && point[1] == 5);
    point[0] = point[1] = -1;
    EXPECT_TRUE(house->FindExitCell(2, 1, point) && point[0] == 18 && point[1] == 22);
    const std::pair<int32_t, int32_t> ring[] = {{19, 22}, {20, 22}, {21, 22}, {22, 22}, {23, 22}, {23, 21}, {23, 20},
                                                {23, 19}, {19, 21}, {19, 20}, {19, 19}, {20, 19}, {21, 19}, {22, 19}};
    for (const auto& [cx, cy] : ring)
    {
        point[0] = point[1] = -1;
        EXPECT_TRUE(house->FindExitCell(1, 1, point) && point[0] == cx && point[1] == cy) << cx << "," << cy;
        g_GameMap.Block(cx, cy).blocked = 1;
    }
    EXPECT_TRUE(!house->FindExitCell(1, 1, point) && point[0] == 23 && point[1] == 19);
}

TEST_F(BuildingMap, PlacingNeedsASpreadOfFortyEightFreeDryExploredBlocksAndTheReservedRings)
{
    std::fill(g_GameMap.cornerHeights, g_GameMap.cornerHeights + MapCornerCount, 0);
    CBuilding* house = m_World.Make(1, CastHouse, 20, 20);
    for (const int32_t height : {48, 49, -49})
    {
        g_GameMap.CornerHeight(21, 21) = height;
        EXPECT_EQ(house->CanPlaceAt(1, 0, 0, 0), height == 48) << height;
    }
    g_GameMap.CornerHeight(21, 21) = 0, g_GameMap.Block(22, 21).waterLevel = 1;
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    g_GameMap.Block(22, 21).waterLevel = 0, g_GameMap.Block(20, 20).blocked = 1;
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    g_GameMap.Block(20, 20).blocked = 0;
    CUnit* worker = m_World.Spawn(1, UNIT_WORKER, 21, 20);
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    // Unexplored ground stops only the local player, and only when asked.
    m_World.Delete(worker), house->owner = 0;
    EXPECT_EQ(std::vector<bool>({house->CanPlaceAt(0, 0, 0, 1), house->CanPlaceAt(0, 0, 0, 0),
                                 house->CanPlaceAt(1, 0, 0, 1)}), std::vector<bool>({false, true, true}));
    m_World.Player(0).RevealArea(18, 18, 24, 24, 255);
    EXPECT_TRUE(house->CanPlaceAt(0, 0, 0, 1));

    // The margin ring tolerates single-block buildings only; the tower's
    // reserved ring (clearance 0) is its footprint, a castle's three blocks.
    CBuilding* wall = m_World.Make(1, CastWall, 24, 21);
    ASSERT_TRUE(wall->PlaceOnMap() && house->CanPlaceAt(1, 2, 0, 0));
    wall->RemoveFromMap();
    CBuilding* tower = m_World.Make(1, CastTower, 24, 21);
    ASSERT_TRUE(tower->PlaceOnMap());
    EXPECT_EQ(std::vector<bool>({house->CanPlaceAt(1, 2, 0, 0), house->CanPlaceAt(1, 1, 0, 0),
                                 house->CanPlaceAt(1, 1, 1, 0)}), std::vector<bool>({false, true, true}));
    tower->RemoveFromMap();
    ASSERT_TRUE(m_World.Make(1, CastCastle, 25, 20)->PlaceOnMap());
    EXPECT_TRUE(!house->CanPlaceAt(1, 0, 1, 0) && house->CanPlaceAt(1, 0, 0, 0));
}

// Placing levels the corners of the footprint to the mean of their lowest and highest (a 1 x 1
// decoration's too; a 1 x 1 building's and the docks' not) and gives the solid corners the base texture;
// taking the building off puts the textures back, and the heights too unless it is 1 x 1 or the docks.
TEST_F(BuildingMap, PlacingLevelsAndRepaintsTheGroundAndTakingItOffPutsItBack)
{
    constexpr int32_t x = 20, y = 10, PlainDecoration = 2;
    // Cast, footprint, whether it levels, whether it puts the heights back, whether corner (0, 0) is solid.
    const std::tuple<int32_t, int32_t, int32_t, bool, bool, bool> cases[] = {
        {CastHouse, 3, 2, true, true, true}, {CastWall, 1, 1, false, false, false},
        {CastDocks, 6, 6, false, false, false}, {CastDecoration, 1, 1, true, false, false}};
    for (const auto& [cast, width, depth, levels, restores, solid] : cases)
    {
        SCOPED_TRACE(cast);
        SetUp();
        const auto height = [](int32_t cx, int32_t cy) { return (cx * 7 + cy * 3) % 21; };
        int32_t lowest = height(x, y), highest = lowest;
        for (int32_t i = 0; i <= width; ++i)
            for (int32_t j = 0; j <= depth; ++j)
                std::tie(lowest, highest) = std::pair(std::min(lowest, height(x + i, y + j)),
                                                      std::max(highest, height(x + i, y + j)));
        CBuilding* building = cast == CastDecoration
                                  ? m_World.Track(m_World.Player(0).CreateDecorationBuilding(PlainDecoration, x, y))
                                  : m_World.Make(1, cast, x, y);
        ASSERT_TRUE(building->placed || building->PlaceOnMap());
        for (const auto& [cx, cy] : {std::pair{x, y}, {x + width, y + depth}})
            EXPECT_EQ(g_GameMap.CornerHeight(cx, cy), levels ? (lowest + highest) / 2 : height(cx, cy));
        EXPECT_EQ(g_GameMap.cornerTextures[x * MapCornerSide + y], solid ? 0 : m_Textures[x * MapCornerSide + y]);
        building->RemoveFromMap();
        EXPECT_TRUE(std::equal(m_Textures.begin(), m_Textures.end(), g_GameMap.cornerTextures) &&
                    TerrainAsAtStart() == (restores || !levels));
    }
}

// Under fog of war the local player's building sites count as seen: each carries one mark
// on each block of its footprint until it is finished, removed or changes sides, never two.
TEST_F(BuildingMap, TheLocalPlayersSitesCountAsSeenUnderFogUntilFinishedRemovedOrConverted)
{
    g_Config.fogOfWar = 1;
    const auto marks = [this](int32_t player) {
        const uint8_t* counts = m_World.Player(player).constructionSiteCounts;
        return std::accumulate(counts, counts + MapBlockCount, 0);
    };
    CBuilding *finished = m_World.Place(0, CastHouse, 10, 10), *removed = m_World.Place(0, CastHouse, 20, 10);
    CBuilding* converted = m_World.Place(0, CastHouse, 30, 10);
    m_World.Place(1, CastHouse, 40, 10);
    EXPECT_EQ(Ints({marks(0), marks(1), m_World.Player(0).constructionSiteCounts[12 * 256 + 11]}), Ints({18, 0, 1}));
    EXPECT_TRUE(m_World.Player(0).IsCellSeen(12, 11) && !m_World.Player(0).IsCellSeen(13, 11));
    finished->Construct(0.0f, true), removed->TakeDown(false);
    const auto explored = [this](int32_t player, int32_t cx) {
        return m_World.Player(player).exploredMap[cx * MapCornerSide + 10] != 0;
    };
    EXPECT_FALSE(explored(1, 26));
    converted->ConvertToPlayer(1, false);
    // At once: the marks gone, the site counted by its new owner and no loss for the old; the new
    // owner explores around it, 4 blocks out but not 8.
    const auto sites = [this](int32_t player) { return m_World.Player(player).buildingsUnderConstruction[CastHouse]; };
    const int32_t lost = m_World.Player(0).statistics[STAT_BUILDINGS_LOST];
    EXPECT_EQ(Ints({marks(0) + marks(1), sites(0), sites(1), lost, explored(1, 26), explored(1, 22)}),
              Ints({0, 0, 2, 1, 1, 0}));
    converted->ConvertToPlayer(0, false), finished->ConvertToPlayer(1, false), finished->ConvertToPlayer(0, false);
    EXPECT_TRUE(marks(0) == 6 && m_World.Player(0).IsCellSeen(32, 11) && sites(0) == 1 && sites(1) == 1);
    // A loaded game's map holds no marks until the sites make theirs again.
    std::fill_n(m_World.Player(0).constructionSiteCounts, MapBlockCount, uint8_t(0));
    m_World.Player(0).RestoreConstructionSites();
    EXPECT_EQ(marks(0), 6);
    // Placed without fog, a site has no mark to take away when it is finished under fog.
    g_Config.fogOfWar = 0;
    CBuilding* unmarked = m_World.Place(0, CastHouse, 30, 20);
    g_Config.fogOfWar = 1, unmarked->Construct(0.0f, true);
    EXPECT_EQ(marks(0), 6);
}

// The creating player counts the resource sites on each block of their footprint, and the
// decorations on each block of theirs (their margin is 0), masked cells or not.
TEST_F(BuildingMap, SitesAndDecorationsAreCountedOnTheBlocksTheyCover)
{
    CPlayer& player = m_World.Player(0);
    m_World.Track(player.CreateResource(ResourceKindGoldMine, 10, 10, 500, 0));
    m_World.Track(player.CreateDecorationBuilding(7, 30, 30));   // a branch of 3 x 2, "100111"
    const auto sum = [](const uint8_t* counts) { return std::accumulate(counts, counts + MapBlockCount, 0); };
    EXPECT_EQ(Ints({sum(player.resourceSiteCounts), player.resourceSiteCounts[13 * 256 + 14],
                    sum(player.decorationCounts), player.decorationCounts[31 * 256 + 30]}), Ints({20, 1, 6, 1}));
}
