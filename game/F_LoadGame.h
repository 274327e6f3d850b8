#pragma once
// Stands in for the in-game control subsystem: the load-game form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FLoadGame : public CGUIInterface
{
public:
    FLoadGame();

    CStringArray fileNames;
    int32_t value1;
};

extern FLoadGame g_FLoadGame;
