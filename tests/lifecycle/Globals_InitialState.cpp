// What every global screen, form and set-up object holds before any screen
// has run.

#include <gtest/gtest.h>

#include "core/C_D3D8Game.h"
#include "editor/C_CtrlEditor.h"
#include "editor/F_DependencyList.h"
#include "editor/F_UnitProperties.h"
#include "editor/F_UnitsAvailable.h"
#include "frontend/C_CtrlBriefing.h"
#include "frontend/C_CtrlMainMenu.h"
#include "frontend/C_PlayerProfiles.h"
#include "game/C_CtrlGame.h"
#include "game/C_MissionObjectives.h"
#include "game/F_GameCommand.h"
#include "net/C_CtrlMultiplayerWait.h"
#include "net/C_MultiplayerGame.h"
#include "randommap/C_CtrlRandomGame.h"

TEST(GlobalsInitialState, GameSetUpRecord)
{
    EXPECT_EQ(1, g_MissionObjectives.gameMode);
    EXPECT_EQ(0, g_MissionObjectives.result);
    EXPECT_EQ(0, g_MissionObjectives.gameType);
    EXPECT_EQ(-1, g_MissionObjectives.campaignId);
    EXPECT_EQ(0, g_MissionObjectives.objectives.GetCount());
    EXPECT_EQ(16, g_MissionObjectives.objectives.GetCapacity());
    EXPECT_EQ(16, g_MissionObjectives.objectives.GetGrowStep());
    EXPECT_EQ(16, g_MissionObjectives.dialogEvents.GetCapacity());
    EXPECT_EQ(1, g_MissionObjectives.savingAllowed);
    EXPECT_EQ(0, g_MissionObjectives.newDialogLine);
    EXPECT_EQ(0, g_MissionObjectives.shipsNeeded);
    EXPECT_TRUE(g_MissionObjectives.objectivesHint.IsEmpty());
    EXPECT_TRUE(g_MissionObjectives.gameFile.IsEmpty());
}

TEST(GlobalsInitialState, PlayerProfilesHoldNone)
{
    EXPECT_EQ(0, g_PlayerProfiles.count);
    EXPECT_EQ(-1, g_PlayerProfiles.current);
}

TEST(GlobalsInitialState, ApplicationObjectStartsOnTheMainMenu)
{
    EXPECT_EQ(&g_CtrlMainMenu, g_D3D8Game.controller);
}

TEST(GlobalsInitialState, MainMenuRandomGameSettingsAndCamera)
{
    const CCtrlMainMenu::SRandomGameSettings& settings = g_CtrlMainMenu.randomGame;
    const int32_t options[] = {0, 1, 2, 0, 0, 0, 1, 1, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(options[i], settings.options[i]) << i;
    EXPECT_EQ(0, settings.flag);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_EQ(i, settings.playerSlots[i]);
        EXPECT_EQ(0, settings.playerChoices[i]);
    }
    EXPECT_EQ(0, g_CtrlMainMenu.value2);
    EXPECT_EQ(2, g_CtrlMainMenu.value3);
    EXPECT_EQ(64, g_CtrlMainMenu.records.GetCapacity());
    EXPECT_EQ(0.0f, g_CtrlMainMenu.sceneTime);
    EXPECT_EQ(0.038f, g_CtrlMainMenu.cameraSpeed);
    EXPECT_EQ(4.0f, g_CtrlMainMenu.slideSpeed);
    EXPECT_EQ(-1, CCtrlMainMenu::SListRecord().eighth);
}

TEST(GlobalsInitialState, ControllersStartWithAnEmptyFormStack)
{
    const CCtrl* controllers[] = {&g_CtrlGame, &g_CtrlEditor, &g_CtrlMainMenu, &g_CtrlBriefing,
                                  &g_CtrlRandomGame, &g_CtrlMultiplayerWait};
    for (const CCtrl* controller : controllers)
    {
        EXPECT_EQ(0, controller->formCount);
        EXPECT_EQ(0, controller->state);
    }
}

TEST(GlobalsInitialState, ControllerFields)
{
    EXPECT_EQ(208, g_CtrlGame.messageBar.x);
    EXPECT_EQ(671, g_CtrlGame.messageBar.y);
    EXPECT_EQ(816, g_CtrlGame.messageBar.w);
    EXPECT_EQ(97, g_CtrlGame.messageBar.h);
    EXPECT_EQ(-1, g_CtrlGame.messageBar.value1);
    EXPECT_EQ(0, g_CtrlGame.messageBar.historyCount);
    EXPECT_NE(nullptr, g_CtrlGame.messageBar.history);
    EXPECT_STREQ("Frontend\\Briefing\\Maps\\map-default.tga", g_CtrlBriefing.mapImage);
    EXPECT_EQ(8, g_CtrlBriefing.missions.GetCapacity());
    EXPECT_EQ(1, g_CtrlRandomGame.progress.value1);
    EXPECT_EQ(1, g_CtrlRandomGame.progress.value2);
    EXPECT_EQ(100, g_CtrlRandomGame.progress.value3);
    EXPECT_EQ(16384, g_CtrlMultiplayerWait.players[7].data.GetCapacity());
    EXPECT_NE(nullptr, g_CtrlEditor.decorations.buffer);
    EXPECT_EQ(0, g_CtrlEditor.decorations.count);
}

TEST(GlobalsInitialState, FormTextsAndArrays)
{
    EXPECT_STREQ("Not specified", g_FUnitProperties.text3);
    EXPECT_TRUE(g_FUnitProperties.text1.IsEmpty());
    EXPECT_STREQ("24", g_FGameCommand.text2);
    EXPECT_TRUE(g_FGameCommand.text1.IsEmpty());
    EXPECT_EQ(2731, g_FUnitsAvailable.entries.GetCapacity());
    EXPECT_EQ(8193, g_FDependencyList.lists[2].GetCapacity());
    EXPECT_EQ(-1, g_FGameCommand.focus);
    EXPECT_EQ(-1, g_FGameCommand.defaultControl);
    EXPECT_EQ(0, g_FGameCommand.closeRequest);
}

TEST(GlobalsInitialState, NetworkObjectIsIdle)
{
    EXPECT_EQ(8, g_MultiplayerGame.maxPlayers);
    EXPECT_EQ(0, g_MultiplayerGame.hostCount);
    EXPECT_EQ(0, g_MultiplayerGame.cache.GetCount());
    EXPECT_EQ(0, g_MultiplayerGame.dumpNames.GetCount());
    EXPECT_EQ(32, g_MultiplayerGame.dumpNames.GetCapacity());
    EXPECT_EQ(128, g_MultiplayerGame.dumpOutgoing.GetCapacity());
    EXPECT_EQ(16384, g_MultiplayerGame.transfer.GetCapacity());
    CNetPacket packet;
    EXPECT_FALSE(g_MultiplayerGame.PopPacket(packet));
    g_MultiplayerGame.Update();  // no game: nothing happens
}
