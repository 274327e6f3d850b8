#pragma once
// Stands in for the world editor subsystem: the units-available form.

#include <cstdint>

#include "core/T_Array.h"
#include "media/C_GUIInterface.h"
#include "world/C_MapPlayerSettings.h"

class FUnitsAvailable : public CGUIInterface
{
public:
    struct SEntry
    {
        int32_t values[3] = {};
    };

    static constexpr int kEntryGrowStep = 2731;
    static constexpr int32_t kPlayerCount = 8;

    FUnitsAvailable();

    int32_t firstValue;
    T_Array<SEntry> entries;
    CMapPlayerSettings players[kPlayerCount];
};

extern FUnitsAvailable g_FUnitsAvailable;
