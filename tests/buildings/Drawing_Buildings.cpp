// What the buildings and sites draw, finished, collapsing and in winter.

#include <cmath>

#include "buildings/C_BuildingDraw.h"
#include "buildings/C_BuildingResource.h"
#include "buildings/C_BuildingResourceTree.h"
#include "game/C_BuildingPanel.h"
#include "media/C_ModelRecord.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
class DrawingBuildings : public ::testing::Test
{
protected:
    DrawingBuildings() { CBuildingDraw::ClearDraws(); }
    ~DrawingBuildings() override { CBuildingDraw::ClearDraws(); }
    static Ints DrawnModels()
    {
        Ints models;
        for (const SModelDraw& draw : CBuildingDraw::GetDraws())
            models.push_back(draw.model);
        CBuildingDraw::ClearDraws();
        return models;
    }

    CBuildingWorld m_World;
    SGlobalModels m_Models;
};

TEST_F(DrawingBuildings, ACollapsingBuildingShakesAndSinksWithoutItsBanners)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    GetGlobalModel(233)->object.frameCount = 20;
    barracks->animTime = 7.5f;
    barracks->Render(0.0f);
    // The model, then two banners at frames 7 + 16 and 7 + 24, modulo 20.
    const std::vector<SModelDraw> draws = CBuildingDraw::GetDraws();
    ASSERT_EQ(DrawnModels(), (Ints{115, 233, 233}));
    EXPECT_TRUE(draws[1].frame == 3 && draws[2].frame == 11);
    EXPECT_FLOAT_EQ(draws[1].x, 10.8f);
    EXPECT_FLOAT_EQ(draws[1].y, 15.4f);
    EXPECT_FLOAT_EQ(draws[1].height, draws[0].height + 70.0f);
    barracks->Render(0.5f);
    const SModelDraw sinking = CBuildingDraw::GetDraws()[0];
    ASSERT_EQ(DrawnModels(), Ints{115});
    EXPECT_FLOAT_EQ(sinking.x, 10.0f + 0.02f * std::sin(250.0f));
    EXPECT_FLOAT_EQ(sinking.y, 10.0f + 0.02f * std::cos(250.0f));
    EXPECT_FLOAT_EQ(sinking.height, g_GameMap.GetHeight(10.0f, 10.0f) - 125.0f);
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
    EXPECT_EQ(Floats({float(draw.frame), draw.x, draw.y, draw.facing}), Floats({1.0f, 5.5f, 6.5f, 90.0f}));
    EXPECT_EQ(GetGlobalModel(210)->object.currentTexture, 2);
    // Sites are not drawn while collapsing.
    tree.Render(0.3f);
    CResource rock;
    rock.Render(0.3f);
    EXPECT_EQ(CBuildingDraw::GetDraws().size(), 1u);
}

// Whatever owner 9 stands for, its town buildings, walls, traps and decorations draw with the
// renderer's pulse as their model's tint; other owners leave the tint alone.
TEST_F(DrawingBuildings, ObjectsOfThePulsingOwnerTakeThePulseAsTheirModelsTint)
{
    g_BuildingPanel.pulse = 0.375f;
    const struct { int32_t cast, decorationKind; } objects[] = {
        {CastHouse, 0}, {CastBarracks, 0}, {CastWall, 0}, {CastTrap, 0}, {CastDecoration, 2}, {CastDecoration, 1}};
    for (const auto& object : objects)
    {
        CBuilding* drawn = object.cast == CastDecoration
                               ? m_World.Track(m_World.Player(0).BuildingFactory(CastDecoration, 0, 0,
                                                                                   object.decorationKind))
                               : m_World.Make(0, object.cast, 10, 10);
        drawn->x = drawn->y = 10;
        const int32_t owner = drawn->owner;
        for (const int32_t drawnFor : {owner, 8, 9})
        {
            drawn->owner = drawnFor;
            GetGlobalModel(drawn->model)->tint = -1.0f;
            drawn->Render(0.0f);
            EXPECT_EQ(GetGlobalModel(drawn->model)->tint, drawnFor == 9 ? 0.375f : -1.0f)
                << object.cast << " kind " << object.decorationKind << " owner " << drawnFor;
        }
        drawn->owner = owner;
    }
    g_BuildingPanel = CBuildingPanel();
}

TEST_F(DrawingBuildings, TheRallyFlagIsTheLocalOwnersOnlyAndTheOutlineWalksTheFootprintEdgeOnce)
{
    CBuilding* own = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    CBuilding* other = m_World.PlaceFinished(1, CastBarracks, 20, 10);
    own->RenderRallyFlag();
    EXPECT_TRUE(CBuildingDraw::GetDraws().empty());
    own->rallyX = other->rallyX = 3;
    own->rallyY = other->rallyY = 4;
    own->RenderRallyFlag();
    other->RenderRallyFlag();
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 1u);
    EXPECT_TRUE(CBuildingDraw::GetDraws()[0].x == 3.5f && CBuildingDraw::GetDraws()[0].y == 4.5f);
    EXPECT_EQ(DrawnModels(), Ints{234});

    CBuilding* house = m_World.Player(0).BuildingFactory(CastHouse, 0, 0, 0);
    house->x = 4;
    house->y = 7;
    Floats points;
    house->GetOutlinePoints(points);
    EXPECT_EQ(points, (Floats{4, 7, 5, 7, 6, 7, 7, 7, 7, 8, 7, 9, 6, 9, 5, 9, 4, 9, 4, 8, 4, 7}));
    delete house;
}
}  // namespace
