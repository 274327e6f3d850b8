// The in-game controller's answer to the screenshot key and the lost device.

#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "game/C_CtrlGame.h"

TEST(CtrlGameDeviceKeys, F11AsksForAScreenshot)
{
    g_D3D8Game.screenShotRequested = 0;
    g_CtrlGame.onKeyDown(122);  // F11
    EXPECT_EQ(1, g_D3D8Game.screenShotRequested);
    g_D3D8Game.screenShotRequested = 0;
    g_CtrlGame.onKeyDown(121);  // F10 is not it
    EXPECT_EQ(0, g_D3D8Game.screenShotRequested);
}

TEST(CtrlGameDeviceKeys, LostDevicePausesAndNeverUnpauses)
{
    g_CtrlGame.paused = 0;
    g_CtrlGame.onKeyDown(1977);
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.onKeyDown(1977);
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.onKeyDown(19771216);  // back again: still paused
    EXPECT_EQ(1, g_CtrlGame.paused);
    g_CtrlGame.paused = 0;
}
