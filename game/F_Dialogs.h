#pragma once
// Stands in for the in-game control subsystem: the dialog history form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FDialogs : public CGUIInterface
{
public:
    FDialogs();

    int32_t firstValue;
    CStringArray lines;
};

extern FDialogs g_FDialogs;
