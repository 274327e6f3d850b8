// The visible-block list against a brute-force scan of every block, and the
// minimap diamond turned with the camera.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <utility>

#include "core/GlobalFunc.h"
#include "world/C_GameMap.h"
#include "world/RangeTables.h"

namespace
{
using BlockSet = std::set<std::pair<int32_t, int32_t>>;

// Every block with its four corners in front of the camera and not all of
// them beyond one edge of the view (x 205 .. 1023, y 0 .. 767).
BlockSet BruteForceVisible()
{
    BlockSet visible;
    for (int32_t x = 0; x < g_GameMap.width; ++x)
        for (int32_t y = 0; y < g_GameMap.height; ++y)
        {
            int32_t low[2] = {1 << 30, 1 << 30};
            int32_t high[2] = {-(1 << 30), -(1 << 30)};
            bool inFront = true;
            for (int32_t c = 0; c < 4 && inFront; ++c)
            {
                const int32_t cx = x + (c & 1);
                const int32_t cy = y + (c >> 1);
                float view[3];
                g_GameMap.ProjectToScreenAtHeight(float(cx), float(cy), float(g_GameMap.CornerHeight(cx, cy)), view);
                int32_t screen[2] = {0, 0};
                inFront = view[2] > 0.0f;
                GlobalFunc::ProjectToScreen(view[0], view[1], view[2], screen);
                for (int axis = 0; axis < 2; ++axis)
                {
                    low[axis] = std::min(low[axis], screen[axis]);
                    high[axis] = std::max(high[axis], screen[axis]);
                }
            }
            if (inFront && high[0] >= 205 && high[1] >= 0 && low[0] < 1024 && low[1] < 768)
                visible.insert({x, y});
        }
    return visible;
}
} // namespace

class CameraView : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { AllocRangeTables(); }
    static void TearDownTestSuite() { FreeRangeTables(); }
    void SetUp() override
    {
        g_GameMap.width = g_GameMap.height = 64;
        g_GameMap.ResetCamera();
    }
    void TearDown() override
    {
        std::memset(g_GameMap.cornerHeights, 0, sizeof(g_GameMap.cornerHeights));
        g_GameMap.width = g_GameMap.height = 0;
        g_GameMap.ResetCamera();
    }
};

// Tilted planes keep straight ground lines straight on the screen, so the
// view is one convex patch that the column walk must find exactly.
TEST_F(CameraView, TheListEqualsABruteForceScanFor200Cameras)
{
    std::mt19937 random(1105);
    std::uniform_int_distribution<int32_t> slope(-3, 3), level(-40, 60), heading(0, 359), distance(3, 8);
    std::uniform_real_distribution<float> place(0.0f, 64.0f);
    int32_t views = 0;
    for (int run = 0; run < 200; ++run)
    {
        if (run % 20 == 0)
        {
            const int32_t sx = slope(random), sy = slope(random), base = level(random);
            for (int32_t x = 0; x <= 64; ++x)
                for (int32_t y = 0; y <= 64; ++y)
                    g_GameMap.CornerHeight(x, y) = base + sx * x + sy * y;
        }
        g_GameMap.cameraTargetX = place(random);
        g_GameMap.cameraTargetY = place(random);
        g_GameMap.cameraHeading = float(heading(random));
        g_GameMap.cameraDistance = float(distance(random) * 100);
        g_GameMap.viewTranslation[2] =
            g_GameMap.GetHeight(g_GameMap.cameraTargetX, g_GameMap.cameraTargetY) + g_GameMap.cameraDistance;
        g_GameMap.UpdateVisibleBlocks();
        BlockSet listed;
        for (int32_t i = 0; i < g_GameMap.visibleBlockCount; ++i)
            listed.insert({g_GameMap.visibleBlocks[i].x, g_GameMap.visibleBlocks[i].y});
        ASSERT_EQ(size_t(g_GameMap.visibleBlockCount), listed.size()) << "a block listed twice, run " << run;
        ASSERT_EQ(listed, BruteForceVisible()) << "run " << run;
        views += listed.empty() ? 0 : 1;
    }
    EXPECT_GT(views, 180);
}

TEST_F(CameraView, AViewWithNothingInFrontGivesAnEmptyList)
{
    g_GameMap.viewTranslation[2] = -2000.0f;
    g_GameMap.UpdateVisibleBlocks();
    EXPECT_EQ(g_GameMap.visibleBlockCount, 0);
}

TEST_F(CameraView, TheMinimapCornersStandForTheMapCornersByHeading)
{
    g_GameMap.height = 32;
    const int32_t diamond[4][2] = {{129, 60}, {258, 135}, {129, 210}, {0, 135}};
    const float mapCorner[4][2] = {{0, 0}, {64, 0}, {64, 32}, {0, 32}};
    // The diamond corner of map corner (0, 0) per heading; the others follow clockwise.
    for (auto [heading, origin] : {std::pair{0.0f, 0}, {320.0f, 0}, {90.0f, 3}, {180.0f, 2}, {270.0f, 1}})
    {
        g_GameMap.cameraHeading = heading;
        for (int32_t k = 0; k < 4; ++k)
        {
            float x = -1.0f, y = -1.0f;
            const int32_t* pixel = diamond[(origin + k) % 4];
            ASSERT_TRUE(g_GameMap.MinimapToMap(pixel[0], pixel[1], &x, &y));
            EXPECT_NEAR(x, mapCorner[k][0], 1e-3f) << heading << " corner " << k;
            EXPECT_NEAR(y, mapCorner[k][1], 1e-3f) << heading << " corner " << k;
        }
    }
    for (auto [x, y] : {std::pair{0, 0}, {258, 60}, {129, 59}, {259, 135}})
        EXPECT_FALSE(g_GameMap.MinimapClick(x, y)) << x << "," << y;
    // A click moves the target and sets the eye at once: ground 30 + 500.
    for (int32_t& height : g_GameMap.cornerHeights)
        height = 30;
    g_GameMap.cameraHeading = 0.0f;
    ASSERT_TRUE(g_GameMap.MinimapClick(129, 135));
    EXPECT_NEAR(g_GameMap.cameraTargetX, 32.0f, 1e-3f);
    EXPECT_NEAR(g_GameMap.cameraTargetY, 16.0f, 1e-3f);
    EXPECT_EQ(g_GameMap.viewTranslation[2], 530.0f);
}
