// The local player's view of the map: explored levels, halved where unseen
// under fog of war and softened beside unseen blocks by the visibility mode.

#include <cstring>

#include <gtest/gtest.h>

#include "WorldDevice.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
class PlayerVisibility : public WorldDeviceTest
{
protected:
    void SetUp() override
    {
        WorldDeviceTest::SetUp();
        ASSERT_TRUE(g_GameMap.NewMap(32, 32, 0, NoTheme));
        std::memset(m_Player.exploredMap, 200, sizeof(m_Player.exploredMap));
        g_Config.fogOfWar = 1;
        g_Config.visibilityMode = 2;
    }
    void See(int x, int y) { m_Player.unitSightCounts[x * 256 + y] = 1; }
    void SeeSquare(int x0, int y0, int x1, int y1)
    {
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y)
                See(x, y);
    }

    CPlayer m_Player;
};
} // namespace

TEST_F(PlayerVisibility, WithoutFogTheExploredLevelShowsAndUnseenBlocksShowHalfUnderFog)
{
    g_Config.fogOfWar = 0;
    m_Player.exploredMap[3 * 257 + 4] = 17;
    EXPECT_EQ(m_Player.GetVisibility(3, 4), 17);
    EXPECT_EQ(m_Player.GetVisibility(10, 10), 200);
    EXPECT_TRUE(m_Player.IsCellSeen(10, 10));
    EXPECT_TRUE(m_Player.IsCellVisible(10, 10));
    m_Player.exploredMap[5 * 257 + 5] = 0;
    EXPECT_FALSE(m_Player.IsCellSeen(5, 5));
    EXPECT_FALSE(m_Player.IsCellVisible(5, 5));

    g_Config.fogOfWar = 1;
    EXPECT_EQ(m_Player.GetVisibility(10, 10), 100);
    m_Player.exploredMap[11 * 257 + 11] = 201;
    EXPECT_EQ(m_Player.GetVisibility(11, 11), 100);   // 201 x 50 / 100
    EXPECT_FALSE(m_Player.IsCellSeen(10, 10));
    EXPECT_FALSE(m_Player.IsCellVisible(10, 10));
    // Building sight counts too.
    m_Player.buildingSightCounts[20 * 256 + 20] = 2;
    EXPECT_TRUE(m_Player.IsCellSeen(20, 20));
    EXPECT_EQ(m_Player.GetVisibility(20, 20), 150);
}

TEST_F(PlayerVisibility, SeenBlocksAreSoftenedBesideUnseenOnes)
{
    SeeSquare(5, 5, 15, 15);
    EXPECT_EQ(m_Player.GetVisibility(10, 10), 200);   // all neighbours seen
    EXPECT_EQ(m_Player.GetVisibility(5, 10), 150);    // (200 + 100) / 2
    EXPECT_EQ(m_Player.GetVisibility(5, 5), 150);

    // Only a diagonal neighbour unseen: softened in mode 2 only.
    See(4, 4);
    See(4, 5);
    See(4, 6);
    See(5, 4);
    See(6, 4);
    m_Player.unitSightCounts[4 * 256 + 4] = 0;
    EXPECT_EQ(m_Player.GetVisibility(5, 5), 150);
    g_Config.visibilityMode = 1;
    EXPECT_EQ(m_Player.GetVisibility(5, 5), 200);
    EXPECT_EQ(m_Player.GetVisibility(5, 10), 150);
    g_Config.visibilityMode = 0;
    EXPECT_EQ(m_Player.GetVisibility(5, 10), 200);
    EXPECT_TRUE(m_Player.IsCellVisible(5, 10));
}

TEST_F(PlayerVisibility, CornersBeyondTheMapAreReadAtItsEdge)
{
    m_Player.exploredMap[31 * 257 + 0] = 40;
    See(31, 0);
    g_Config.visibilityMode = 0;
    EXPECT_EQ(m_Player.GetVisibility(32, -3), 40);
    EXPECT_EQ(m_Player.GetVisibility(500, 0), 40);
    EXPECT_FALSE(m_Player.IsCellSeen(-1, 0));
    EXPECT_FALSE(m_Player.IsCellVisible(300, 0));
}
