#pragma once
// Stands in for the world editor subsystem: the unit properties form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FUnitProperties : public CGUIInterface
{
public:
    FUnitProperties();

    int32_t firstValue;
    CString text1;
    CString text2;
    CString text3;
};

extern FUnitProperties g_FUnitProperties;
