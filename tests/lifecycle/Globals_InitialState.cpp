// Before any screen has run: the main menu is the first controller, the
// forms hold their starting texts and the idle network object answers
// without a game.

#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "editor/F_UnitProperties.h"
#include "frontend/C_CtrlBriefing.h"
#include "frontend/C_CtrlMainMenu.h"
#include "net/C_MultiplayerGame.h"

TEST(GlobalsInitialState, MainMenuComesFirstAndTheNetworkIsIdle)
{
    EXPECT_EQ(&g_CtrlMainMenu, g_D3D8Game.controller);
    EXPECT_EQ(0, g_CtrlMainMenu.formCount);
    EXPECT_STREQ("Frontend\\Briefing\\Maps\\map-default.tga", g_CtrlBriefing.mapImage);
    EXPECT_STREQ("Not specified", g_FUnitProperties.text3);
    EXPECT_EQ(8, g_MultiplayerGame.maxPlayers);
    CNetPacket packet;
    EXPECT_FALSE(g_MultiplayerGame.PopPacket(packet));
    g_MultiplayerGame.Update();  // no game: nothing happens
}
