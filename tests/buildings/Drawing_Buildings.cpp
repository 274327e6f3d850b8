// What the buildings and sites draw: the model at its block, the collapse
// wobble and sink, the snow cover and banners of finished buildings, the
// trees' frames and facings, the rally flag and the footprint outline.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t WinterTheme = 1;

class DrawingBuildings : public ::testing::Test
{
protected:
    DrawingBuildings()
    {
        AllocGlobalModels();
        CBuildingDraw::ClearDraws();
        m_Theme = g_GameMap.theme;
    }
    ~DrawingBuildings() override
    {
        g_GameMap.theme = m_Theme;
        CBuildingDraw::ClearDraws();
        FreeGlobalModels();
    }
    std::vector<int32_t> DrawnModels() const
    {
        std::vector<int32_t> models;
        for (const SModelDraw& draw : CBuildingDraw::GetDraws())
            models.push_back(draw.model);
        return models;
    }

    CatalogueWorld m_World;
    int32_t m_Theme = 0;
};

TEST_F(DrawingBuildings, TownBuildingsStandAtTheirBlockWithSnowOnlyOnceFinished)
{
    g_GameMap.theme = WinterTheme;
    CBuilding* house = m_World.Place(0, CastHouse, 10, 12);
    ASSERT_NE(house, nullptr);
    house->Construct(0.0f, false);
    house->Render(0.0f);
    EXPECT_EQ(DrawnModels(), std::vector<int32_t>{130});
    CBuildingDraw::ClearDraws();
    house->Construct(0.0f, true);
    m_World.World().Find(house)->finished = true;
    house->Render(0.0f);
    EXPECT_EQ(DrawnModels(), (std::vector<int32_t>{129, 134}));
    const SModelDraw& draw = CBuildingDraw::GetDraws()[0];
    EXPECT_EQ(draw.x, 10.0f);
    EXPECT_EQ(draw.y, 12.0f);
    EXPECT_EQ(draw.height, g_GameMap.GetHeight(10.0f, 12.0f));
    EXPECT_EQ(house->drawPosition[0], 10.0f);
}

TEST_F(DrawingBuildings, ACollapsingBuildingShakesAndSinksWithoutItsBanners)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    ASSERT_NE(barracks, nullptr);
    GetGlobalModel(233)->object.frameCount = 20;
    barracks->animTime = 7.5f;
    barracks->Render(0.0f);
    // The model, then two banners at frames 7 + 16 and 7 + 24, modulo 20.
    ASSERT_EQ(DrawnModels(), (std::vector<int32_t>{115, 233, 233}));
    EXPECT_EQ(CBuildingDraw::GetDraws()[1].frame, 3);
    EXPECT_EQ(CBuildingDraw::GetDraws()[2].frame, 11);
    EXPECT_FLOAT_EQ(CBuildingDraw::GetDraws()[1].x, 10.8f);
    EXPECT_FLOAT_EQ(CBuildingDraw::GetDraws()[1].y, 15.4f);
    EXPECT_FLOAT_EQ(CBuildingDraw::GetDraws()[1].height, CBuildingDraw::GetDraws()[0].height + 70.0f);

    CBuildingDraw::ClearDraws();
    barracks->Render(0.5f);
    ASSERT_EQ(DrawnModels(), std::vector<int32_t>{115});
    const SModelDraw& draw = CBuildingDraw::GetDraws()[0];
    EXPECT_FLOAT_EQ(draw.x, 10.0f + 0.02f * std::sin(250.0f));
    EXPECT_FLOAT_EQ(draw.y, 10.0f + 0.02f * std::cos(250.0f));
    EXPECT_FLOAT_EQ(draw.height, g_GameMap.GetHeight(10.0f, 10.0f) - 125.0f);
}

TEST_F(DrawingBuildings, TreesTurnByTheirFacingAndTakeTheirLookAsColour)
{
    CResourceTree tree(1);
    tree.x = 5;
    tree.y = 6;
    tree.facing = 90.0f;
    tree.look = 2;
    tree.animTime = 13.7f;
    GetGlobalModel(210)->object.frameCount = 6;
    tree.Render(0.0f);
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 1u);
    const SModelDraw& draw = CBuildingDraw::GetDraws()[0];
    EXPECT_EQ(draw.frame, 1);
    EXPECT_EQ(draw.x, 5.5f);
    EXPECT_EQ(draw.y, 6.5f);
    EXPECT_EQ(draw.facing, 90.0f);
    EXPECT_EQ(GetGlobalModel(210)->object.currentTexture, 2);
    // Sites are not drawn while collapsing.
    tree.Render(0.3f);
    CResource rock;
    rock.Render(0.3f);
    EXPECT_EQ(CBuildingDraw::GetDraws().size(), 1u);
}

TEST_F(DrawingBuildings, TheRallyFlagIsTheLocalOwnersOnly)
{
    CBuilding* own = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    CBuilding* other = m_World.PlaceFinished(1, CastBarracks, 20, 10);
    ASSERT_TRUE(own && other);
    own->RenderRallyFlag();
    EXPECT_TRUE(CBuildingDraw::GetDraws().empty());
    own->rallyX = other->rallyX = 3;
    own->rallyY = other->rallyY = 4;
    own->RenderRallyFlag();
    other->RenderRallyFlag();
    ASSERT_EQ(DrawnModels(), std::vector<int32_t>{234});
    EXPECT_EQ(CBuildingDraw::GetDraws()[0].x, 3.5f);
    EXPECT_EQ(CBuildingDraw::GetDraws()[0].y, 4.5f);
}

TEST_F(DrawingBuildings, TheOutlineWalksTheFootprintEdgeOnce)
{
    CBuilding* house = m_World.Player(0).BuildingFactory(CastHouse, 0, 0, 0);
    ASSERT_NE(house, nullptr);
    house->x = 4;
    house->y = 7;
    std::vector<float> points;
    house->GetOutlinePoints(points);
    const std::vector<float> expected = {4, 7, 5, 7, 6, 7,  7, 7, 7, 8,  7, 9, 6, 9, 5, 9,  4, 9, 4, 8,  4, 7};
    EXPECT_EQ(points, expected);
    delete house;
}
}  // namespace
