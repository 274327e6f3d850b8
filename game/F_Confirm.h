#pragma once
// Stands in for the in-game control subsystem: the confirmation form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FConfirm : public CGUIInterface
{
public:
    FConfirm();

    int32_t firstValue;
    CString text;
    int32_t value1;
    int32_t value2;
};

extern FConfirm g_FConfirm;
