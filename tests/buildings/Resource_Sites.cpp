// The resource sites: the tree's strokes, fall and removal, the gold mine
// closing, the rock's shapes, the host rule for emptied sites, amounts that
// could overflow or go negative, and the amounts a saved game keeps.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingGoldMine.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "tests/buildings/Catalogue_World.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t HostRole = 1;
constexpr int32_t ClientRole = 2;

class NoReferences : public CObjectReferences
{
public:
    void RegisterBuilding(CBuilding*) override {}
    int32_t GetUnitRef(const CUnit*) const override { return NoObject; }
    int32_t GetBuildingRef(const CBuilding*) const override { return NoObject; }
    CUnit* GetUnit(int32_t) const override { return nullptr; }
    CBuilding* GetBuilding(int32_t) const override { return nullptr; }
};

class ResourceSites : public ::testing::Test
{
protected:
    CBuilding* Site(int32_t kind, int32_t x, int32_t y, int32_t treeCast = 1, int32_t amount = 0)
    {
        CBuilding* site = m_World.Player(0).CreateResource(kind, x, y, amount, treeCast);
        if (site != nullptr)
            m_World.World().Track(site, true, false);
        return site;
    }
    // The destroyed site now belongs to its ruin.
    void Gone(CBuilding* site) { m_World.World().Forget(site); }
    void SeeBlock(int32_t x, int32_t y, uint8_t value)
    {
        m_World.Player(0).exploredMap[x * MapCornerSide + y] = value;
    }

    CatalogueWorld m_World;
};

TEST_F(ResourceSites, FiveStrokesFellATreeAndAHundredRemoveItWithOneRuin)
{
    CBuilding* tree = Site(ResourceKindTree, 12, 12, 3);
    ASSERT_NE(tree, nullptr);
    for (int32_t stroke = 1; stroke <= 4; ++stroke)
        EXPECT_EQ(tree->TakeResource(), 1);
    EXPECT_EQ(tree->GetResourceAmount(), 96);
    EXPECT_EQ(tree->model, 214);
    EXPECT_EQ(g_GameMap.Block(12, 12).blocked, 1);
    EXPECT_TRUE(m_World.Samples().empty());

    EXPECT_EQ(tree->TakeResource(), 1);
    EXPECT_EQ(tree->GetResourceAmount(), 95);
    EXPECT_EQ(tree->model, 215);
    EXPECT_EQ(g_GameMap.Block(12, 12).blocked, 0);
    EXPECT_EQ(g_GameMap.Block(12, 12).decorationModel, 254);
    ASSERT_EQ(m_World.Samples().size(), 1u);
    EXPECT_TRUE(m_World.Samples()[0] == 146 || m_World.Samples()[0] == 147);

    for (int32_t stroke = 6; stroke <= 99; ++stroke)
        EXPECT_EQ(tree->TakeResource(), 1);
    EXPECT_FALSE(tree->IsTakenDown());
    EXPECT_EQ(tree->TakeResource(), 1);
    EXPECT_TRUE(tree->IsTakenDown());
    EXPECT_EQ(g_Particles.GetRuinCount(), 1);
    EXPECT_EQ(tree->TakeResource(), 0);
    EXPECT_EQ(m_World.Samples().size(), 1u);
    Gone(tree);
}

TEST_F(ResourceSites, ATreeSetToZeroGoesOnceAndOnlyWhereEmptiedSitesAreRemoved)
{
    struct SCase
    {
        int32_t role;
        bool removed;
        bool broadcast;
    };
    const SCase cases[] = {{0, true, false}, {HostRole, true, true}, {ClientRole, false, false}};
    int32_t slot = 0;
    for (const SCase& c : cases)
    {
        m_World.SetNetworkRole(c.role);
        g_Particles.Reset();
        g_UnitCommandOutbox.Clear();
        CBuilding* tree = Site(ResourceKindTree, 5 + 3 * slot++, 20);
        ASSERT_NE(tree, nullptr);
        tree->SetResourceAmount(0);
        EXPECT_EQ(tree->GetResourceAmount(), 0) << c.role;
        EXPECT_EQ(tree->IsTakenDown(), c.removed) << c.role;
        EXPECT_EQ(g_Particles.GetRuinCount(), c.removed ? 1 : 0) << c.role;
        const bool sent = !g_UnitCommandOutbox.GetSent().empty() &&
                          g_UnitCommandOutbox.GetSent().back().command == CUnitCommandOutbox::CommandBuildingDestroyed;
        EXPECT_EQ(sent, c.broadcast) << c.role;
        // A later update changes nothing on an emptied tree.
        tree->SetResourceAmount(40);
        EXPECT_EQ(tree->GetResourceAmount(), 0);
        if (c.removed)
            Gone(tree);
    }
    m_World.SetNetworkRole(0);
}

TEST_F(ResourceSites, AStandingTreeSetBelowTheThresholdFalls)
{
    CBuilding* tree = Site(ResourceKindTree, 12, 12, 1);
    ASSERT_NE(tree, nullptr);
    tree->SetResourceAmount(50);
    EXPECT_EQ(tree->GetResourceAmount(), 50);
    EXPECT_EQ(tree->model, 211);
    EXPECT_EQ(g_GameMap.Block(12, 12).blocked, 0);
    EXPECT_FALSE(static_cast<CResourceTree*>(tree)->CastsShade());
    // Set again, it does not fall a second time.
    tree->SetResourceAmount(20);
    EXPECT_EQ(tree->GetResourceAmount(), 20);
    EXPECT_EQ(m_World.Samples().size(), 1u);
}

TEST_F(ResourceSites, PanelNamesFollowTheVariant)
{
    const struct { int32_t variant; const char* name; } trees[] = {
        {1, "RES_TREE_PINE"}, {2, "RES_TREE_PINE"}, {4, "RES_TREE_OAK"},   {5, "RES_TREE_PALM"},
        {6, "RES_TREE_DEAD"}, {7, "RES_TREE_PLANE"}, {8, "RES_TREE_SWAMP"}, {0, "Ujuj, bajvan"}, {9, "Ujuj, bajvan"}};
    for (const auto& c : trees)
        EXPECT_STREQ(CResourceTree(c.variant).GetPanelName(), c.name) << c.variant;
    EXPECT_STREQ(CResource().GetPanelName(), "RES_ROCK");
    EXPECT_STREQ(CBuildingGoldMine().GetPanelName(), "RES_GOLDMINE");
    EXPECT_STREQ(CBuildingGoldMine().GetName(), "Default");
}

TEST_F(ResourceSites, AMineSetToThreeGivesThreeThenClosesWithItsNewsOnlyWhenSeen)
{
    for (const bool seen : {true, false})
    {
        g_Particles.Reset();
        const_cast<CatalogueServices&>(m_World.Services()).messages.clear();
        CBuilding* mine = Site(ResourceKindGoldMine, seen ? 10 : 30, 10, 0, 3000);
        ASSERT_NE(mine, nullptr);
        EXPECT_EQ(mine->GetResourceAmount(), 3000);
        const int32_t centreX = mine->x + 2;
        const int32_t centreY = mine->y + 2;
        SeeBlock(centreX, centreY, seen ? 200 : 0);
        mine->SetResourceAmount(3);
        EXPECT_EQ(mine->TakeResource(), 1);
        EXPECT_EQ(mine->TakeResource(), 1);
        EXPECT_TRUE(m_World.Services().messages.empty());
        EXPECT_EQ(mine->TakeResource(), 1);
        EXPECT_EQ(mine->TakeResource(), 0);
        EXPECT_EQ(mine->model, 231);
        EXPECT_EQ(mine->GetResourceKind(), ResourceKindGold);
        EXPECT_FALSE(mine->IsTakenDown());
        if (seen)
        {
            ASSERT_EQ(m_World.Services().messages.size(), 1u);
            EXPECT_EQ(m_World.Services().messages[0].text, "MSG_GOLDMINE_CLOSED");
            EXPECT_EQ(m_World.Services().messages[0].colour, 0xFFFFFFu);
            ASSERT_EQ(g_Particles.GetMinimapMarkers().size(), 1u);
            EXPECT_EQ(g_Particles.GetMinimapMarkers()[0].x, centreX);
            EXPECT_EQ(g_Particles.GetMinimapMarkers()[0].colour, 0xFFFF00u);
        }
        else
        {
            EXPECT_TRUE(m_World.Services().messages.empty());
            EXPECT_TRUE(g_Particles.GetMinimapMarkers().empty());
        }
        // A closed mine stays closed.
        mine->SetResourceAmount(5);
        EXPECT_EQ(mine->GetResourceAmount(), 0);
    }
}

TEST_F(ResourceSites, TheRockChangesShapeAndTheHostTellsTheOthers)
{
    CBuilding* rock = Site(ResourceKindRock, 12, 12);
    ASSERT_NE(rock, nullptr);
    m_World.SetNetworkRole(HostRole);
    static_cast<CResource*>(rock)->amount = 601;
    EXPECT_EQ(rock->TakeResource(), 1);
    EXPECT_EQ(rock->model, 227);
    ASSERT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].command, CUnitCommandOutbox::CommandBuildingRecord);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent()[0].number, 227);
    EXPECT_EQ(rock->TakeResource(), 1);
    EXPECT_EQ(rock->model, 227);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent().size(), 1u);
    m_World.SetNetworkRole(0);
    // A negative amount empties the rock, which goes.
    rock->SetResourceAmount(-5);
    EXPECT_EQ(rock->GetResourceAmount(), 0);
    EXPECT_TRUE(rock->IsTakenDown());
    Gone(rock);
}

TEST_F(ResourceSites, TheLargestAmountsDoNotOverflow)
{
    CResource rock;
    rock.SetResourceAmount(INT_MAX);
    EXPECT_EQ(rock.GetResourceAmount(), CResource::MostAmount);
    CBuildingGoldMine mine;
    mine.SetResourceAmount(INT_MAX);
    EXPECT_EQ(mine.GetResourceAmount(), CResource::MostAmount);
    // On a client an emptied tree waits for the host's removal.
    m_World.SetNetworkRole(ClientRole);
    CResourceTree tree(2);
    tree.SetResourceAmount(INT_MIN);
    EXPECT_EQ(tree.GetResourceAmount(), 0);
    EXPECT_FALSE(tree.IsTakenDown());
    m_World.SetNetworkRole(0);
}

TEST_F(ResourceSites, SavedAmountsComeBackAndDamagedOnesAreRefused)
{
    NoReferences references;
    CBuildingGoldMine mine;
    mine.amount = 3000;
    CMemorySaveStream mineBytes;
    mine.SaveGameExtra(mineBytes, references);
    EXPECT_EQ(mineBytes.Bytes(), std::string("\xB8\x0B\x00\x00", 4));
    CMemorySaveStream mineIn(mineBytes.Bytes());
    CBuildingGoldMine loaded;
    ASSERT_TRUE(loaded.LoadGameExtra(mineIn, references));
    EXPECT_EQ(loaded.GetResourceAmount(), 3000);

    CResourceTree tree(7);
    tree.amount = 42;
    tree.facing = 90.0f;
    tree.look = 3;
    CMemorySaveStream treeBytes;
    tree.SaveGameExtra(treeBytes, references);
    // Amount, facing, look, variant.
    EXPECT_EQ(treeBytes.Bytes(), std::string("\x2A\x00\x00\x00\x00\x00\xB4\x42\x03\x00\x00\x00\x07\x00\x00\x00", 16));
    CMemorySaveStream treeIn(treeBytes.Bytes());
    CResourceTree loadedTree(7);
    ASSERT_TRUE(loadedTree.LoadGameExtra(treeIn, references));
    EXPECT_EQ(loadedTree.amount, 42);
    EXPECT_EQ(loadedTree.facing, 90.0f);
    EXPECT_EQ(loadedTree.look, 3);

    CTestLog log;
    CMemorySaveStream wrongVariant(treeBytes.Bytes());
    CResourceTree other(2);
    const int32_t amountBefore = other.amount;
    EXPECT_FALSE(other.LoadGameExtra(wrongVariant, references));
    EXPECT_EQ(other.amount, amountBefore);
    CMemorySaveStream negative(std::string("\xFF\xFF\xFF\xFF", 4));
    CBuildingGoldMine refused;
    EXPECT_FALSE(refused.LoadGameExtra(negative, references));
    EXPECT_EQ(refused.GetResourceAmount(), CBuildingGoldMine::StartAmount);
    CMemorySaveStream shortRock(std::string("\x10\x00", 2));
    CResource rock;
    EXPECT_FALSE(rock.LoadGameExtra(shortRock, references));
    EXPECT_EQ(rock.GetResourceAmount(), CResource::RockAmount);
}
}  // namespace
