#pragma once
// Stands in for the in-game control subsystem: the script message form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FScriptMessage : public CGUIInterface
{
public:
    FScriptMessage();

    int32_t firstValue;
    CString text;
    CStringArray lines;
};

extern FScriptMessage g_FScriptMessage;
