#pragma once
// Stands in for the world editor subsystem: the editor screen controller.

#include "core/C_Ctrl.h"
#include "editor/C_DecorBuildList.h"

class CCtrlEditor : public CCtrl
{
public:
    CCtrlEditor() = default;
    ~CCtrlEditor() = default;

    CDecorBuildList decorations;
};

extern CCtrlEditor g_CtrlEditor;
