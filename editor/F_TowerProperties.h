#pragma once
// Stands in for the world editor subsystem: the tower properties form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FTowerProperties : public CGUIInterface
{
public:
    FTowerProperties();

    int32_t firstValue;
    CString text1;
    CString text2;
};

extern FTowerProperties g_FTowerProperties;
