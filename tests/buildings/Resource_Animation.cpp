// The animate pass of a simulation step: trees sway and fall, gold mines
// and the castle family run their frames, unlisted objects move on as well
// as listed ones, each once per step.

#include <gtest/gtest.h>

#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingResourceTree.h"
#include "game/C_CtrlGame.h"
#include "media/C_ModelRecord.h"
#include "world/C_GameMap.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t FelledPineFrames = 10;

class ResourceAnimation : public ::testing::Test
{
protected:
    ResourceAnimation()
    {
        AllocGlobalModels();
        GetGlobalModel(211)->object.frameCount = FelledPineFrames;
    }
    ~ResourceAnimation() override { FreeGlobalModels(); }

    CBuilding* Site(int32_t kind, int32_t x, int32_t y)
    {
        CBuilding* site = m_World.Player(0).CreateResource(kind, x, y, 0, 1);
        if (site != nullptr)
            m_World.World().Track(site, true, false);
        return site;
    }

    CatalogueWorld m_World;
};

TEST_F(ResourceAnimation, StandingTreesSwayAndFelledOnesFallOnceAndRest)
{
    CBuilding* tree = Site(2, 12, 12);
    ASSERT_NE(tree, nullptr);
    CCtrlGame::SimulationStep(5);
    EXPECT_FLOAT_EQ(tree->animTime, 3.0f);

    // Drawn in this frame, it falls from frame 0.
    g_GameMap.Block(12, 12).frameStamp = g_GameMap.frameStamp;
    tree->SetResourceAmount(95);
    ASSERT_EQ(tree->model, 211);
    EXPECT_EQ(tree->animTime, 0.0f);
    CCtrlGame::SimulationStep(1);
    EXPECT_FLOAT_EQ(tree->animTime, 1.2f);
    CCtrlGame::SimulationStep(100);
    // It stops at the first frame not below frame count - 2.
    EXPECT_GE(tree->animTime, static_cast<float>(FelledPineFrames - 2));
    EXPECT_LT(tree->animTime, static_cast<float>(FelledPineFrames - 2) + 1.2f);
}

TEST_F(ResourceAnimation, ATreeFelledOutOfViewIsAlreadyLying)
{
    CBuilding* tree = Site(2, 12, 12);
    ASSERT_NE(tree, nullptr);
    g_GameMap.Block(12, 12).frameStamp = g_GameMap.frameStamp - 1;
    tree->SetResourceAmount(95);
    EXPECT_EQ(tree->animTime, static_cast<float>(FelledPineFrames - 1));
    CCtrlGame::SimulationStep(3);
    EXPECT_EQ(tree->animTime, static_cast<float>(FelledPineFrames - 1));
}

TEST_F(ResourceAnimation, MinesAndListedCastlesMoveOnOncePerTick)
{
    CBuilding* mine = Site(4, 30, 30);
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 30);
    CBuilding* house = m_World.PlaceFinished(0, CastHouse, 20, 30);
    ASSERT_TRUE(mine && barracks && house);
    CCtrlGame::SimulationStep(10);
    EXPECT_FLOAT_EQ(mine->animTime, 3.0f);
    EXPECT_FLOAT_EQ(barracks->animTime, 3.0f);
    EXPECT_FLOAT_EQ(house->animTime, 0.0f);
}
}  // namespace
