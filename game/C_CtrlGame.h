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
};

extern CCtrlGame g_CtrlGame;
