#pragma once
// Stands in for the world editor subsystem: the save-map form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FSaveMap : public CGUIInterface
{
public:
    FSaveMap();

    CStringArray fileNames;
    int32_t value1;
    int32_t value2;
};

extern FSaveMap g_FSaveMap;
