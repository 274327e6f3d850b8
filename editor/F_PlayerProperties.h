#pragma once
// Stands in for the world editor subsystem: the player properties form.

#include <cstdint>

#include "media/C_GUIInterface.h"
#include "world/C_MapPlayerSettings.h"

class FPlayerProperties : public CGUIInterface
{
public:
    static constexpr int32_t kPlayerCount = 8;

    FPlayerProperties();

    int32_t firstValue;
    int32_t value1;
    CMapPlayerSettings players[kPlayerCount];
};

extern FPlayerProperties g_FPlayerProperties;
