#include <array>
#include <climits>
#include <tuple>

#include "buildings/C_BuildingGoldMine.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "core/C_Config.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/media/FileBytes.h"
#include "tests/support/RecordBytes.h"

namespace
{
class ResourceSites : public ::testing::Test
{
protected:
    CBuilding* Site(int32_t kind, int32_t x, int32_t y, int32_t treeCast = 1, int32_t amount = 0)
    {
        return m_World.Track(m_World.Player(0).CreateResource(kind, x, y, amount, treeCast));
    }

    CBuildingWorld m_World;
};

TEST_F(ResourceSites, FiveStrokesFellATreeAndAHundredRemoveItWithOneRuin)
{
    CBuilding* tree = Site(ResourceKindTree, 12, 12, 3);
    for (int32_t stroke = 1; stroke <= 4; ++stroke) EXPECT_EQ(tree->TakeOne(), 1);
    EXPECT_EQ(Ints({tree->GetAmount(), tree->model, g_GameMap.Block(12, 12).blocked}), Ints({96, 214, 1}));
    EXPECT_TRUE(m_World.Samples().empty() && tree->TakeOne() == 1);
    EXPECT_EQ(Ints({tree->GetAmount(), tree->model, g_GameMap.Block(12, 12).blocked,
                    g_GameMap.Block(12, 12).decorationModel}), Ints({95, 215, 0, 254}));
    ASSERT_TRUE(m_World.Samples().size() == 2u && (m_World.Samples()[0] == 146 || m_World.Samples()[0] == 147));
    for (int32_t stroke = 6; stroke <= 99; ++stroke) EXPECT_EQ(tree->TakeOne(), 1);
    EXPECT_TRUE(!tree->IsTakenDown() && tree->TakeOne() == 1 && tree->IsTakenDown() && g_Particles.GetRuinCount() == 1 &&
                tree->TakeOne() == 0 && m_World.Samples().size() == 2u);

    // A standing tree set below the threshold falls, once.
    CBuilding* other = Site(ResourceKindTree, 20, 12, 1);
    other->SetAmount(50);
    EXPECT_EQ(Ints({other->GetAmount(), other->model, g_GameMap.Block(20, 12).blocked,
                    static_cast<CResourceTree*>(other)->CastsShade()}), Ints({50, 211, 0, 0}));
    other->SetAmount(20);
    EXPECT_TRUE(other->GetAmount() == 20 && m_World.Samples().size() == 4u);
}

// Leafy trees shade while standing (96 and more), bare ones (winter oak, palm, dead) never.  Standing,
// a tree sways 0.6 frames a tick; felled (10 frames) it falls 1.2 a tick until past frame 8 and rests,
// or lies at once when it fell out of view.
TEST_F(ResourceSites, TreesShadeWhileStandingSwayAndFallOnceToRest)
{
    std::string shade;
    for (int32_t variant = 1; variant <= 8; ++variant) shade += CResourceTree(variant).CastsShade() ? '1' : '0';
    EXPECT_EQ(shade, "11100011");
    const SGlobalModels models;
    GetGlobalModel(211)->object.frameCount = GetGlobalModel(213)->object.frameCount = 10;
    auto* seen = static_cast<CResourceTree*>(Site(ResourceKindTree, 10, 10, 1));
    CBuilding* unseen = Site(ResourceKindTree, 20, 10, 2);
    g_GameMap.Block(10, 10).frameStamp = g_GameMap.frameStamp;
    g_GameMap.Block(20, 10).frameStamp = g_GameMap.frameStamp - 1;
    seen->Animate(5.0f);
    EXPECT_FLOAT_EQ(seen->animTime, 3.0f);
    for (int32_t stroke = 1; stroke <= 4; ++stroke) seen->TakeOne();
    EXPECT_TRUE(seen->CastsShade());
    seen->TakeOne(), unseen->SetAmount(95);
    EXPECT_EQ(Floats({float(seen->CastsShade()), seen->animTime, unseen->animTime}), Floats({0.0f, 0.0f, 9.0f}));
    for (const auto& [ticks, frame] : {std::pair{1.0f, 1.2f}, {3.0f, 4.8f}, {10.0f, 8.4f}})
    {
        seen->Animate(ticks);
        EXPECT_NEAR(seen->animTime, frame, 1e-4f) << ticks;
    }
}

TEST_F(ResourceSites, AnEmptiedSiteGoesOnceAndOnlyWhereEmptiedSitesAreRemoved)
{
    const struct { int32_t role; bool removed, broadcast; } cases[] = {
        {0, true, false}, {1, true, true}, {2, false, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.role);
        g_Config.networkRole = c.role, g_Particles.Reset(), g_MultiplayerGame.ClearSent();
        CBuilding* tree = Site(ResourceKindTree, 5 + 3 * c.role, 20);
        tree->SetAmount(0);
        EXPECT_TRUE(tree->GetAmount() == 0 && tree->IsTakenDown() == c.removed &&
                    g_Particles.GetRuinCount() == (c.removed ? 1 : 0));
        const auto& sent = g_MultiplayerGame.GetSent();
        const bool told = !sent.empty() && sent.back().packet.Command() == CMultiplayerGame::CommandBuildingDestroyed;
        // A later update changes nothing on an emptied tree.
        tree->SetAmount(40);
        EXPECT_TRUE(told == c.broadcast && tree->GetAmount() == 0);
    }
    // The host tells the others of the rock's new shape, once.
    g_Config.networkRole = 1, g_MultiplayerGame.ClearSent();
    CBuilding* rock = Site(ResourceKindRock, 30, 30);
    static_cast<CResource*>(rock)->amount = 601;
    EXPECT_TRUE(rock->TakeOne() == 1 && rock->TakeOne() == 1 && rock->model == 227);
    ASSERT_EQ(g_MultiplayerGame.GetSent().size(), 1u);
    for (const auto& [from, before, after] : {std::tuple{401, 227, 228}, {400, 228, 228}, {201, 228, 229}})
    {
        auto* shaped = static_cast<CResource*>(Site(ResourceKindRock, 40, 30 + from % 7));
        shaped->amount = from, shaped->model = before, shaped->TakeOne();
        EXPECT_EQ(shaped->model, after) << from;
    }
    const CNetPacket& record = g_MultiplayerGame.GetSent()[0].packet;
    EXPECT_TRUE(record.Command() == CMultiplayerGame::CommandBuildingRecord && record.Value(0) == 30 * 65536 + 30 &&
                record.Value(1) == 227);
    // A negative amount empties the rock, which goes; the largest do not overflow.
    g_Config.networkRole = 0, rock->SetAmount(-5);
    EXPECT_TRUE(rock->GetAmount() == 0 && rock->IsTakenDown());
    CResource bigRock;
    CBuildingGoldMine bigMine;
    bigRock.SetAmount(INT_MAX), bigMine.SetAmount(INT_MAX);
    EXPECT_TRUE(bigRock.GetAmount() == CResource::MostAmount && bigMine.GetAmount() == CResource::MostAmount);
}

TEST_F(ResourceSites, AMineSetToThreeGivesThreeThenClosesWithItsNewsOnlyWhenSeen)
{
    for (const bool seen : {true, false})
    {
        SCOPED_TRACE(seen);
        CBuilding* mine = Site(ResourceKindGoldMine, seen ? 10 : 30, 10, 0, 3000);
        // The names the map's services know the amount and the margin by.
        EXPECT_TRUE(mine->GetResourceAmount() == 3000 && mine->GetFootprintBorder() == 1);
        const int32_t centreX = mine->x + 2, centreY = mine->y + 2;
        m_World.Player(0).exploredMap[centreX * MapCornerSide + centreY] = seen ? 200 : 0;
        const size_t before = m_World.Messages().size();
        mine->SetResourceAmount(3);
        EXPECT_TRUE(mine->TakeOne() == 1 && mine->TakeOne() == 1 && m_World.Messages().size() == before);
        EXPECT_TRUE(mine->TakeOne() == 1 && mine->TakeOne() == 0 && mine->model == 231);
        EXPECT_TRUE(mine->GetResourceKind() == ResourceKindGold && !mine->IsTakenDown() &&
                    m_World.Messages().size() == (before + (seen ? 1 : 0)));
        EXPECT_TRUE(!seen || (m_World.Messages().back().text == "MSG_GOLDMINE_CLOSED" &&
                              m_World.Messages().back().colour == 0xFFFFFFu &&
                              m_World.Markers() == Ints({centreX, centreY, 0xFFFF00})));
        // A closed mine stays closed.
        mine->SetAmount(5);
        EXPECT_EQ(mine->GetAmount(), 0);
    }
    EXPECT_EQ(m_World.Markers().size(), 3u);
}

TEST_F(ResourceSites, SavedAmountsComeBackAndDamagedOnesAreRefused)
{
    CBuildingGoldMine mine;
    ExpectSavedExtra(mine, CRecordBytes().I32(3000).Bytes(), CRecordBytes().I32(-1).Bytes());
    EXPECT_EQ(mine.GetAmount(), 3000);
    // Amount, facing, look, variant; a tree of another variant refuses it.
    const std::string extra = CRecordBytes().I32(42).F32(90.0f).I32(3).I32(7).Bytes();
    CResourceTree tree(7);
    ExpectSavedExtra(tree, extra, CRecordBytes::WithI32At(extra, 12, 2));
    EXPECT_TRUE(tree.amount == 42 && tree.facing == 90.0f && tree.look == 3);
    CResource rock;
    ExpectSavedExtra(rock, CRecordBytes().I32(16).F32(45.0f).Bytes(), std::string(2, '\x10'));
    EXPECT_TRUE(rock.GetAmount() == 16 && std::string(CResource().GetPanelName()) == "RES_ROCK" &&
                std::string(CBuildingGoldMine().GetPanelName()) == "RES_GOLDMINE");
    // A tree variant outside the list has no name of its own.
    EXPECT_STREQ(CResourceTree(9).GetPanelName(), CResourceTree(0).GetPanelName());
    EXPECT_STRNE(CResourceTree(8).GetPanelName(), CResourceTree(0).GetPanelName());
}

// A group box in model units: x and z, height 0 .. 50.
void GiveGroup(int32_t modelNumber, float minX, float maxX, float minZ, float maxZ)
{
    CModelRecord* record = GetGlobalModel(modelNumber);
    C3DObject::SGroup group{};
    group.boxMin[0] = minX, group.boxMax[0] = maxX, group.boxMin[2] = minZ, group.boxMax[2] = maxZ;
    group.boxMax[1] = 50.0f, record->object.groups.push_back(group);
    record->object.groupCount = static_cast<int32_t>(record->object.groups.size());
}

class ResourcePicking : public ::testing::Test
{
protected:
    CBuildingWorld m_World;
    SGlobalModels m_Models;
};

TEST_F(ResourcePicking, PointsAndMissilesHitThePartBoxesAtTheBuilding)
{
    // The house's box: its 3 x 2 blocks (z grows toward smaller y).
    GiveGroup(129, 0.0f, 96.0f, -64.0f, 0.0f);
    CBuilding* house = m_World.PlaceFinished(0, CastHouse, 10, 10);
    const float ground = g_GameMap.GetHeight(10.0f, 10.0f);
    EXPECT_EQ(Floats({house->GetHeightAt(11.5f, 11.0f), house->GetHeightAt(13.0f, 12.0f),
                      house->GetHeightAt(13.1f, 11.0f), house->GetHeightAt(11.0f, 9.9f)}),
              Floats({ground, ground, -1.0f, -1.0f}));
    EXPECT_EQ(std::vector<bool>({house->IsPointInside(11.0f, ground + 10.0f, 11.0f),
                                 house->IsPointInside(13.0f, ground + 50.0f, 12.0f),
                                 house->IsPointInside(11.0f, ground + 50.5f, 11.0f),
                                 house->IsPointInside(9.9f, ground + 10.0f, 11.0f)}),
              std::vector<bool>({true, true, false, false}));
    // Across the ground: 320 steps of 10 / 321 blocks; the first within 5
    // model units of the box's near face (x = 10 - 5 / 32).
    const float from[3] = {5.0f, ground + 20.0f, 11.0f}, to[3] = {15.0f, ground + 20.0f, 11.0f};
    float out[3] = {};
    ASSERT_TRUE(house->IntersectSegment(from, to, out));
    EXPECT_TRUE(out[0] >= 10.0f - 5.0f / 32.0f && out[0] < 10.0f - 5.0f / 32.0f + 10.0f / 321.0f) << out[0];
    // A vertical segment makes one step, at its middle.
    const float high[3] = {11.0f, ground + 100.0f, 11.0f}, low[3] = {11.0f, ground, 11.0f};
    ASSERT_TRUE(house->IntersectSegment(high, low, out));
    EXPECT_FLOAT_EQ(out[1], ground + 50.0f);
    const float above[3] = {11.0f, ground + 300.0f, 11.0f};
    // A gold mine's model without groups is never hit.
    CBuildingGoldMine mine;
    mine.x = mine.y = 5;
    EXPECT_TRUE(!house->IntersectSegment(above, high, out) && mine.GetHeightAt(6.0f, 6.0f) == -1.0f);
}

// Drawn by the software path 100 in front of the camera, a cube of half side 16 shows its near
// face (depth 84) from x (1 - 1.4 x 16 / 84) x 512 = 375.5 to 648.5 and y (1 - 1.6 x 16 / 84) x 384
// = 267.0 to 501.0: the rectangle (375, 266) to (648, 501).  Trees and rocks take a screen point and
// answer the drawing's depth inside it, edges included; the mine is picked by the band alone.
TEST_F(ResourcePicking, SitesArePickedOnTheScreenWhereTheyWereLastDrawn)
{
    g_Config.hardwareTnL = 0;
    const std::vector<uint8_t> cube = BuildModel(CubeLayout(16.0f));
    std::ranges::copy(std::array<float, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}, g_GameMap.viewMatrix);
    std::ranges::copy(std::array{0.0f, 0.0f, 100.0f}, g_GameMap.viewTranslation);
    // Drawn at the block centre, or the mine at its corner.
    const struct { int32_t kind, model; float drawnAt; } sites[] = {
        {ResourceKindRock, 226, 20.5f}, {ResourceKindTree, 210, 20.5f}, {ResourceKindGoldMine, 230, 20.0f}};
    const struct { float x, y; bool hit; } points[] = {{512, 384, true}, {375, 266, true}, {648, 501, true},
        {374, 384, false}, {649, 384, false}, {512, 265, false}, {512, 502, false}};
    for (const auto& site : sites)
    {
        SCOPED_TRACE(site.kind);
        ASSERT_TRUE(GetGlobalModel(site.model)->object.LoadFromMemory(cube.data(), cube.size(), "cube.okm", 0));
        auto* drawn = static_cast<CResource*>(m_World.Player(0).BuildingFactory(CastResource, site.kind, 1, 0));
        drawn->x = drawn->y = 20, drawn->facing = 0.0f;
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = site.drawnAt;
        EXPECT_TRUE(drawn->GetHeightAt(512.0f, 384.0f) == -1.0f && !drawn->IsInScreenRect(0, 0, 1023, 767));
        drawn->Render(0.0f);
        EXPECT_TRUE(Ints(drawn->screenRect, drawn->screenRect + 4) == Ints({375, 266, 648, 501}) &&
                    drawn->IsInScreenRect(648, 501, 700, 700) && !drawn->IsInScreenRect(649, 0, 1023, 767));
        for (const auto& p : points)   // the mine answers no depth anywhere
            EXPECT_EQ(drawn->GetHeightAt(p.x, p.y), p.hit && site.kind != ResourceKindGoldMine ? 100.0f : -1.0f)
                << p.x << "," << p.y;
        delete drawn;
    }
    g_GameMap.ResetCamera();
}

TEST_F(ResourcePicking, ScreenRectanglesCountOnlyCornersInside)
{
    CResource rock;
    EXPECT_FALSE(rock.IsInScreenRect(0, 0, 1000, 1000));
    rock.screenRect[0] = rock.screenRect[1] = 100, rock.screenRect[2] = 140, rock.screenRect[3] = 160;
    const struct { int32_t l, t, r, b; bool hit; } cases[] = {
        {90, 90, 100, 100, true},     // its corner on the band's corner, bounds inclusive
        {120, 120, 300, 300, true},   // the band's first corner inside
        {0, 0, 110, 110, true},       // the band's second corner inside
        {0, 0, 500, 500, true},       // the whole site inside the band
        {110, 0, 130, 500, false},    // a crossing overlap with no corner inside
        {141, 100, 200, 160, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rock.IsInScreenRect(c.l, c.t, c.r, c.b), c.hit) << c.l << " " << c.t << " " << c.r << " " << c.b;
}

TEST_F(ResourcePicking, HitsOnSitesPlayTheirOwnSounds)
{
    // The first sample, -1 for none, and the number of variants.
    const struct { int32_t kind, damageType; bool dead; int32_t first, variants; } cases[] = {
        {ResourceKindGoldMine, 2, false, 169, 4}, {ResourceKindGoldMine, 9, false, 173, 4},
        {ResourceKindGoldMine, 8, false, 179, 1}, {ResourceKindGoldMine, 1, false, -1, 0},
        {ResourceKindTree, 3, false, 133, 2},     {ResourceKindTree, 4, false, 148, 1},
        {ResourceKindTree, 1, true, 149, 1},      {ResourceKindTree, 6, false, -1, 0},
        {ResourceKindRock, 4, false, -1, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.kind << " hit by " << c.damageType);
        CBuilding* site = m_World.Player(0).BuildingFactory(CastResource, c.kind, 1, 0);
        site->x = site->y = 4, site->health = c.dead ? 0.0f : 100.0f;
        const size_t before = m_World.Samples().size();
        site->OnHit(static_cast<TENUMDAMAGETYPE>(c.damageType));
        ASSERT_EQ(m_World.Samples().size(), before + (c.first < 0 ? 0 : 2));
        EXPECT_TRUE(c.first < 0 || (m_World.Samples()[before] >= c.first &&
                                    m_World.Samples()[before] < c.first + c.variants));
        delete site;
    }
}
}  // namespace
