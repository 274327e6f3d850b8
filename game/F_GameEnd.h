#pragma once
// Stands in for the in-game control subsystem: the victory and defeat form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FGameEnd : public CGUIInterface
{
public:
    FGameEnd();

    int32_t value0;
    uint8_t flag;
    CString text;
};

extern FGameEnd g_FGameEnd;
