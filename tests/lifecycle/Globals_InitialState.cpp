// What every global screen, form and set-up object holds before any screen
// has run.

#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "editor/C_CtrlEditor.h"
#include "editor/F_UnitProperties.h"
#include "frontend/C_CtrlBriefing.h"
#include "frontend/C_CtrlMainMenu.h"
#include "frontend/C_PlayerProfiles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MissionObjectives.h"
#include "game/F_GameCommand.h"
#include "net/C_CtrlMultiplayerWait.h"
#include "net/C_MultiplayerGame.h"
#include "randommap/C_CtrlRandomGame.h"

TEST(GlobalsInitialState, NothingRunsBeforeTheFirstScreen)
{
    EXPECT_EQ(&g_CtrlMainMenu, g_D3D8Game.controller);
    EXPECT_EQ(0, g_PlayerProfiles.count);
    EXPECT_EQ(-1, g_PlayerProfiles.current);
    EXPECT_EQ(-1, g_MissionObjectives.campaignId);
    EXPECT_EQ(0, g_MissionObjectives.objectives.GetCount());
    const CCtrl* controllers[] = {&g_CtrlGame, &g_CtrlEditor, &g_CtrlMainMenu, &g_CtrlBriefing,
                                  &g_CtrlRandomGame, &g_CtrlMultiplayerWait};
    for (const CCtrl* controller : controllers)
    {
        EXPECT_EQ(0, controller->formCount);
        EXPECT_EQ(0, controller->state);
    }
    EXPECT_NE(nullptr, g_CtrlGame.messageBar.history);
    EXPECT_NE(nullptr, g_CtrlEditor.decorations.buffer);
    EXPECT_STREQ("Frontend\\Briefing\\Maps\\map-default.tga", g_CtrlBriefing.mapImage);
    EXPECT_STREQ("Not specified", g_FUnitProperties.text3);
    EXPECT_EQ(-1, g_FGameCommand.focus);
}

TEST(GlobalsInitialState, NetworkObjectIsIdle)
{
    EXPECT_EQ(8, g_MultiplayerGame.maxPlayers);
    EXPECT_EQ(0, g_MultiplayerGame.hostCount);
    CNetPacket packet;
    EXPECT_FALSE(g_MultiplayerGame.PopPacket(packet));
    g_MultiplayerGame.Update();  // no game: nothing happens
}
