#pragma once
// Stands in for the world editor subsystem: the buildings-available form.

#include <cstdint>

#include "core/T_Array.h"
#include "media/C_GUIInterface.h"
#include "world/C_MapPlayerSettings.h"

class FBuildingsAvailable : public CGUIInterface
{
public:
    struct SEntry
    {
        int32_t values[3] = {};
    };

    static constexpr int kEntryGrowStep = 2731;
    static constexpr int32_t kPlayerCount = 8;

    FBuildingsAvailable();

    int32_t firstValue;
    T_Array<SEntry> entries;
    CMapPlayerSettings players[kPlayerCount];
};

extern FBuildingsAvailable g_FBuildingsAvailable;
