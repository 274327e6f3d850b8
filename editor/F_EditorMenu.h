#pragma once
// Stands in for the world editor subsystem: the editor menu.

#include <cstdint>

#include "media/C_GUIInterface.h"

class FEditorMenu : public CGUIInterface
{
public:
    FEditorMenu();

    int32_t firstValue;
};

extern FEditorMenu g_FEditorMenu;
