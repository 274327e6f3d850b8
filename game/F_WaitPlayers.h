#pragma once
// Stands in for the in-game control subsystem: the form that waits for the other players.

#include <cstdint>

#include "media/C_GUIInterface.h"

class FWaitPlayers : public CGUIInterface
{
public:
    FWaitPlayers();

    int32_t firstValue;
};

extern FWaitPlayers g_FWaitPlayers;
