#pragma once
// Stands in for the front-end subsystem: the credits controller.

#include <cstdint>

#include "core/C_Ctrl.h"
#include "core/C_String.h"

class CCtrlCredits : public CCtrl
{
public:
    CCtrlCredits() : value1(0) {}
    ~CCtrlCredits() = default;

    int32_t value1;
    CString text;
};

extern CCtrlCredits g_CtrlCredits;
