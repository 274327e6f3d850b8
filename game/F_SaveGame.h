#pragma once
// Stands in for the in-game control subsystem: the save-game form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FSaveGame : public CGUIInterface
{
public:
    FSaveGame();

    CStringArray fileNames;
    int32_t value1;
};

extern FSaveGame g_FSaveGame;
