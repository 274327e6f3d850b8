#pragma once
// Stands in for the in-game control subsystem: the in-game screen controller.

#include <cstdint>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_String.h"
#include "game/C_MENUMessage.h"

class CCtrlGame : public CCtrl
{
public:
    static constexpr int32_t kPlayerCount = 8;

    CCtrlGame();
    ~CCtrlGame() = default;

    // F11 takes a screenshot; the device-lost code pauses the game.
    void onKeyDown(int32_t key) override;

    uint8_t flag1;
    int32_t value1;
    CMENUMessage messageBar;
    uint8_t flag2;
    CConfig workingConfig;
    uint8_t flag3;
    int32_t value2;
    int32_t value3;
    uint8_t flag4;
    CString playerTexts[kPlayerCount];
    CString text;
    // 1 while the game stands still.
    uint8_t paused;

    // ---- Simulation step (C_CtrlGame_Simulation.cpp) ----------------------
    // Advances the world by the simulation ticks elapsed since the last
    // frame: every tick each unit turns, follows and animates; once per
    // frame the units walk their routes and the players perform due
    // actions; then the buildings produce and animate.
    static void SimulationStep(int32_t ticks);
};

extern CCtrlGame g_CtrlGame;
