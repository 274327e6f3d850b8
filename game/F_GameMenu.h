#pragma once
// Stands in for the in-game control subsystem: the game menu.

#include <cstdint>

#include "media/C_GUIInterface.h"

class FGameMenu : public CGUIInterface
{
public:
    FGameMenu();

    int32_t firstValue;
};

extern FGameMenu g_FGameMenu;
