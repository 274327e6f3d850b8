// Screen rectangles and hit tests of a model's group, without a device.
// The cube of half side 16 placed at depth 100 shows its side toward the
// camera (depth 84) as its outline: x from (1 - 1.4 x 16 / 84) x 512 =
// 375.47 to 648.53, y from (1 - 1.6 x 16 / 84) x 384 = 266.97 to 501.03.

#include <gtest/gtest.h>

#include <vector>

#include "core/C_Config.h"
#include "media/C_3DObject.h"
#include "tests/media/ModelBytes.h"

namespace
{
constexpr float Identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
// Heading 45 degrees about the vertical axis.
constexpr float Turned[9] = {0.70710678f, 0, -0.70710678f, 0, 1, 0, 0.70710678f, 0, 0.70710678f};

class ModelPicking : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_SavedHwTnL = g_Config.hardwareTnL;
        g_Config.hardwareTnL = 0;
        const std::vector<uint8_t> bytes = BuildModel(CubeLayout(16.0f));
        ASSERT_TRUE(m_Cube.LoadFromMemory(bytes.data(), bytes.size(), "cube.okm", 0));
    }
    void TearDown() override { g_Config.hardwareTnL = m_SavedHwTnL; }

    // The three ways a draw leaves the corners: CPU transform of every
    // vertex, CPU transform of the corners only, hardware transform.
    void Place(int way, const float (&r)[9])
    {
        g_Config.hardwareTnL = way == 0 ? 0 : 1;
        if (way == 2)
            m_Cube.SetHWTNLTransform(0, 0, 0, 0, r, Identity);
        else
            m_Cube.Transform(0, r, Identity);
    }

    C3DObject m_Cube;
    uint8_t m_SavedHwTnL = 0;
};
} // namespace

TEST_F(ModelPicking, RectangleAndHitTestFollowTheProjectedBox)
{
    const struct Case
    {
        int32_t x, y;
        bool hit;
    } cases[] = {{512, 384, true}, {380, 300, true}, {647, 500, true}, {370, 384, false},
                 {512, 510, false}, {650, 384, false}, {512, 260, false}};
    for (int way = 0; way < 3; ++way)
    {
        SCOPED_TRACE(way);
        Place(way, Identity);
        int32_t topLeft[2], bottomRight[2];
        ASSERT_TRUE(m_Cube.GetGroupScreenRect(0, 0, 100, 0, topLeft, bottomRight));
        EXPECT_EQ(topLeft[0], 375);
        EXPECT_EQ(topLeft[1], 266);
        EXPECT_EQ(bottomRight[0], 648);
        EXPECT_EQ(bottomRight[1], 501);
        for (const Case& c : cases)
            EXPECT_EQ(m_Cube.HitTestGroup(0, 0, 100, 0, c.x, c.y), c.hit) << c.x << "," << c.y;
        Place(way, Turned);
        EXPECT_TRUE(m_Cube.HitTestGroup(0, 0, 100, 0, 512, 384));
        EXPECT_FALSE(m_Cube.HitTestGroup(0, 0, 100, 0, 300, 384));
    }
}

TEST_F(ModelPicking, CornersAtOrBehindTheCameraGiveNoRectangleAndNoHit)
{
    Place(0, Identity);
    int32_t topLeft[2], bottomRight[2];
    // At depth 10 the near corners lie at -6; at 16 exactly on the plane.
    for (float depth : {10.0f, 16.0f, -100.0f})
    {
        EXPECT_FALSE(m_Cube.GetGroupScreenRect(0, 0, depth, 0, topLeft, bottomRight));
        EXPECT_GT(topLeft[0], bottomRight[0]);
        EXPECT_GT(topLeft[1], bottomRight[1]);
        EXPECT_FALSE(m_Cube.HitTestGroup(0, 0, depth, 0, 512, 384));
    }
    // Just in front of the plane the corners project far off the screen,
    // and the side test still works in range.
    ASSERT_TRUE(m_Cube.GetGroupScreenRect(0, 0, 16.0001f, 0, topLeft, bottomRight));
    EXPECT_LT(topLeft[0], -1000000);
    EXPECT_TRUE(m_Cube.HitTestGroup(0, 0, 16.0001f, 0, 512, 384));
    // A group the model lacks.
    EXPECT_FALSE(m_Cube.HitTestGroup(0, 0, 100, 1, 512, 384));
    EXPECT_FALSE(m_Cube.GetGroupScreenRect(0, 0, 100, -1, topLeft, bottomRight));
}
