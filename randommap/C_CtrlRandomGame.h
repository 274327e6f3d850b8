#pragma once
// Stands in for the random map generator subsystem: the random-game screen
// controller.

#include "core/C_Ctrl.h"
#include "randommap/C_RandomGameProgress.h"

class CCtrlRandomGame : public CCtrl
{
public:
    CCtrlRandomGame() = default;
    ~CCtrlRandomGame() = default;

    CRandomGameProgress progress;
};

extern CCtrlRandomGame g_CtrlRandomGame;
