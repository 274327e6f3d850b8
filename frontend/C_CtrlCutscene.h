#pragma once
// Stands in for the front-end subsystem: the cut-scene player controller.

#include "core/C_Ctrl.h"

class CCtrlCutscene : public CCtrl
{
public:
    CCtrlCutscene() = default;
    ~CCtrlCutscene() = default;
};

extern CCtrlCutscene g_CtrlCutscene;
