#pragma once
// Stands in for the world editor subsystem: the message form with OK.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FEditorMessage : public CGUIInterface
{
public:
    FEditorMessage();

    int32_t firstValue;
    CString text;
};

extern FEditorMessage g_FEditorMessage;
