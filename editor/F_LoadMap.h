#pragma once
// Stands in for the world editor subsystem: the load-map form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FLoadMap : public CGUIInterface
{
public:
    FLoadMap();

    CStringArray fileNames;
    int32_t value1;
    int32_t value2;
};

extern FLoadMap g_FLoadMap;
