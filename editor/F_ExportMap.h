#pragma once
// Stands in for the world editor subsystem: the map export form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FExportMap : public CGUIInterface
{
public:
    FExportMap();

    CStringArray fileNames;
    int32_t value1;
};

extern FExportMap g_FExportMap;
