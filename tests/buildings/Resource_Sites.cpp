// The resource sites: strokes, closing, the host rule and saved amounts.

#include <climits>
#include <tuple>

#include "buildings/C_BuildingGoldMine.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/BuildingWorld.h"
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
    for (int32_t stroke = 1; stroke <= 4; ++stroke)
        EXPECT_EQ(tree->TakeOne(), 1);
    EXPECT_EQ(Ints({tree->GetAmount(), tree->model, g_GameMap.Block(12, 12).blocked}), Ints({96, 214, 1}));
    EXPECT_TRUE(m_World.Samples().empty() && tree->TakeOne() == 1);
    EXPECT_EQ(Ints({tree->GetAmount(), tree->model, g_GameMap.Block(12, 12).blocked,
                    g_GameMap.Block(12, 12).decorationModel}),
              Ints({95, 215, 0, 254}));
    ASSERT_EQ(m_World.Samples().size(), 2u);
    EXPECT_TRUE(m_World.Samples()[0] == 146 || m_World.Samples()[0] == 147);
    for (int32_t stroke = 6; stroke <= 99; ++stroke)
        EXPECT_EQ(tree->TakeOne(), 1);
    EXPECT_TRUE(!tree->IsTakenDown() && tree->TakeOne() == 1 && tree->IsTakenDown());
    EXPECT_TRUE(g_Particles.GetRuinCount() == 1 && tree->TakeOne() == 0 && m_World.Samples().size() == 2u);

    // A standing tree set below the threshold falls, once.
    CBuilding* other = Site(ResourceKindTree, 20, 12, 1);
    other->SetAmount(50);
    EXPECT_EQ(Ints({other->GetAmount(), other->model, g_GameMap.Block(20, 12).blocked}), Ints({50, 211, 0}));
    EXPECT_FALSE(static_cast<CResourceTree*>(other)->CastsShade());
    other->SetAmount(20);
    EXPECT_TRUE(other->GetAmount() == 20 && m_World.Samples().size() == 4u);
}

// Leafy trees shade while standing (96 and more), bare ones (winter oak, palm, dead) never.  Standing,
// a tree sways 0.6 frames a tick; felled (10 frames) it falls 1.2 a tick until past frame 8 and rests,
// or lies at once when it fell out of view.
TEST_F(ResourceSites, TreesShadeWhileStandingSwayAndFallOnceToRest)
{
    std::string shade;
    for (int32_t variant = 1; variant <= 8; ++variant)
        shade += CResourceTree(variant).CastsShade() ? '1' : '0';
    EXPECT_EQ(shade, "11100011");
    const SGlobalModels models;
    GetGlobalModel(211)->object.frameCount = GetGlobalModel(213)->object.frameCount = 10;
    auto* seen = static_cast<CResourceTree*>(Site(ResourceKindTree, 10, 10, 1));
    CBuilding* unseen = Site(ResourceKindTree, 20, 10, 2);
    g_GameMap.Block(10, 10).frameStamp = g_GameMap.frameStamp;
    g_GameMap.Block(20, 10).frameStamp = g_GameMap.frameStamp - 1;
    seen->Animate(5.0f);
    EXPECT_FLOAT_EQ(seen->animTime, 3.0f);
    for (int32_t stroke = 1; stroke <= 4; ++stroke)
        seen->TakeOne();
    EXPECT_TRUE(seen->CastsShade());
    seen->TakeOne();
    unseen->SetAmount(95);
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
    int32_t slot = 0;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.role);
        g_Config.networkRole = c.role;
        g_Particles.Reset();
        g_MultiplayerGame.ClearSent();
        CBuilding* tree = Site(ResourceKindTree, 5 + 3 * slot++, 20);
        tree->SetAmount(0);
        EXPECT_TRUE(tree->GetAmount() == 0 && tree->IsTakenDown() == c.removed &&
                    g_Particles.GetRuinCount() == (c.removed ? 1 : 0));
        const auto& sent = g_MultiplayerGame.GetSent();
        EXPECT_EQ(!sent.empty() && sent.back().packet.Command() == CMultiplayerGame::CommandBuildingDestroyed, c.broadcast);
        // A later update changes nothing on an emptied tree.
        tree->SetAmount(40);
        EXPECT_EQ(tree->GetAmount(), 0);
    }
    // The host tells the others of the rock's new shape, once.
    g_Config.networkRole = 1;
    g_MultiplayerGame.ClearSent();
    CBuilding* rock = Site(ResourceKindRock, 30, 30);
    static_cast<CResource*>(rock)->amount = 601;
    EXPECT_TRUE(rock->TakeOne() == 1 && rock->TakeOne() == 1 && rock->model == 227);
    ASSERT_EQ(g_MultiplayerGame.GetSent().size(), 1u);
    for (const auto& [from, before, after] : {std::tuple{401, 227, 228}, {400, 228, 228}, {201, 228, 229}})
    {
        auto* shaped = static_cast<CResource*>(Site(ResourceKindRock, 40, 30 + from % 7));
        shaped->amount = from;
        shaped->model = before;
        shaped->TakeOne();
        EXPECT_EQ(shaped->model, after) << from;
    }
    const CNetPacket& record = g_MultiplayerGame.GetSent()[0].packet;
    EXPECT_TRUE(record.Command() == CMultiplayerGame::CommandBuildingRecord && record.Value(0) == 30 * 65536 + 30 &&
                record.Value(1) == 227);
    g_Config.networkRole = 0;
    // A negative amount empties the rock, which goes; the largest do not overflow.
    rock->SetAmount(-5);
    EXPECT_TRUE(rock->GetAmount() == 0 && rock->IsTakenDown());
    CResource bigRock;
    bigRock.SetAmount(INT_MAX);
    CBuildingGoldMine bigMine;
    bigMine.SetAmount(INT_MAX);
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
        const int32_t centreX = mine->x + 2;
        const int32_t centreY = mine->y + 2;
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
    EXPECT_EQ(rock.GetAmount(), 16);
    EXPECT_STREQ(CResource().GetPanelName(), "RES_ROCK");
    EXPECT_STREQ(CBuildingGoldMine().GetPanelName(), "RES_GOLDMINE");
    // A tree variant outside the list has no name of its own.
    EXPECT_STREQ(CResourceTree(9).GetPanelName(), CResourceTree(0).GetPanelName());
    EXPECT_STRNE(CResourceTree(8).GetPanelName(), CResourceTree(0).GetPanelName());
}
}  // namespace
