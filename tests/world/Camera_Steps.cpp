// The camera step: scrolling by the heading's quarter, turning, zoom and eye.

#include <gtest/gtest.h>

#include <cstring>

#include "world/C_GameMap.h"

class CameraSteps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_GameMap.width = g_GameMap.height = 64;
        std::memset(g_GameMap.cornerHeights, 0, sizeof(g_GameMap.cornerHeights));
        g_GameMap.ResetCamera();
        g_GameMap.cameraTargetX = g_GameMap.cameraTargetY = 32.0f;
        g_GameMap.scrollVelocityX = g_GameMap.scrollVelocityY = 0.0f;
        g_GameMap.scrollInputX = g_GameMap.scrollInputY = 0;
    }
    void TearDown() override { g_GameMap.width = g_GameMap.height = 0; }
};

TEST_F(CameraSteps, ScrollingGrowsToAQuarterAndDiesAwayBelowATenth)
{
    g_GameMap.scrollInputX = 1;
    for (float speed : {0.1f, 0.13f, 0.169f, 0.2197f, 0.25f, 0.25f})
    {
        g_GameMap.Tick(1);
        EXPECT_NEAR(g_GameMap.scrollVelocityX, speed, 1e-5f);
    }
    // Released: 0.25 / 1.1^9 = 0.106 still moves, / 1.1^10 = 0.096 stops.
    g_GameMap.scrollInputX = 0;
    g_GameMap.Tick(9);
    EXPECT_NEAR(g_GameMap.scrollVelocityX, 0.106f, 1e-3f);
    g_GameMap.Tick(1);
    EXPECT_EQ(g_GameMap.scrollVelocityX, 0.0f);
}

TEST_F(CameraSteps, TheScreensAxesTurnWithTheHeadingsQuarterAndStayOnTheMap)
{
    struct Case
    {
        float heading;
        int32_t inputX, inputY;
        float moveX, moveY;
    };
    const Case cases[] = {{0, 1, 0, 0.1f, -0.1f},   {330, 0, 1, 0.1f, 0.1f},   {45, 1, 0, 0.1f, 0.1f},
                          {90, 0, 1, -0.1f, 0.1f},  {180, 1, 0, -0.1f, 0.1f},  {224, 0, 1, -0.1f, -0.1f},
                          {225, 1, 0, -0.1f, -0.1f}, {270, 0, 1, 0.1f, -0.1f}};
    for (const Case& c : cases)
    {
        SetUp();
        g_GameMap.cameraHeading = g_GameMap.cameraTargetHeading = c.heading;
        g_GameMap.scrollInputX = c.inputX;
        g_GameMap.scrollInputY = c.inputY;
        g_GameMap.Tick(1);
        EXPECT_NEAR(g_GameMap.cameraTargetX, 32.0f + c.moveX, 1e-5f) << c.heading;
        EXPECT_NEAR(g_GameMap.cameraTargetY, 32.0f + c.moveY, 1e-5f) << c.heading;
    }
    g_GameMap.cameraTargetX = 63.95f;
    g_GameMap.Tick(1);
    EXPECT_EQ(g_GameMap.cameraTargetX, 64.0f);
}

// Turning used to end on a heading of 45 with its target left at 405: the
// camera turned for ever and the keys stayed locked.
TEST_F(CameraSteps, ATurnEndsWrappedAndASecondPressWhileTurningIsIgnored)
{
    g_GameMap.OnKeyDown(45);
    g_GameMap.Tick(17);
    EXPECT_EQ(g_GameMap.cameraHeading, 400.0f);
    g_GameMap.OnKeyDown(45);
    g_GameMap.Tick(100);
    EXPECT_EQ(g_GameMap.cameraHeading, 45.0f);
    EXPECT_EQ(g_GameMap.cameraTargetHeading, 45.0f);
    g_GameMap.OnKeyDown(46);
    g_GameMap.OnKeyDown(46);
    g_GameMap.Tick(18);
    g_GameMap.OnKeyDown(46);
    g_GameMap.Tick(18);
    EXPECT_EQ(g_GameMap.cameraHeading, 225.0f);
    EXPECT_EQ(g_GameMap.cameraTargetHeading, 225.0f);
}

TEST_F(CameraSteps, ZoomStaysWithin300And800AndTheEyeFollowsByTenAStep)
{
    for (int i = 0; i < 9; ++i)
        g_GameMap.OnKeyDown(107);
    EXPECT_EQ(g_GameMap.cameraDistance, 300.0f);
    for (int i = 0; i < 9; ++i)
        g_GameMap.OnKeyDown(109);
    EXPECT_EQ(g_GameMap.cameraDistance, 800.0f);
    EXPECT_FALSE(g_GameMap.OnKeyDown(110));
    // Ground at 40: the eye climbs from 500 to 840.
    for (int32_t& height : g_GameMap.cornerHeights)
        height = 40;
    g_GameMap.Tick(1);
    EXPECT_EQ(g_GameMap.viewTranslation[2], 510.0f);
    g_GameMap.Tick(40);
    EXPECT_EQ(g_GameMap.viewTranslation[2], 840.0f);
}
