#pragma once
// Stands in for the world editor subsystem: the identifier form with OK and Cancel.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FIdentifier : public CGUIInterface
{
public:
    FIdentifier();

    int32_t firstValue;
    CString text1;
    CString text2;
};

extern FIdentifier g_FIdentifier;
