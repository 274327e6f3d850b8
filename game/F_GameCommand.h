#pragma once
// Stands in for the in-game control subsystem: the game command form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FGameCommand : public CGUIInterface
{
public:
    FGameCommand();

    int32_t firstValue;
    CString text1;
    CString text2;
    int32_t value1;
};

extern FGameCommand g_FGameCommand;
