#pragma once
// Stands in for the front-end subsystem: the end-of-game summary controller.

#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/C_String.h"

class CCtrlSummary : public CCtrl
{
public:
    CCtrlSummary();
    ~CCtrlSummary();

    CString text;
    uint8_t* buffer;
};

extern CCtrlSummary g_CtrlSummary;
