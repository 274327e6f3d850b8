#pragma once
// Stands in for the in-game control subsystem: the in-game options form.

#include <cstdint>

#include "core/C_Config.h"
#include "media/C_GUIInterface.h"

class FGameOptions : public CGUIInterface
{
public:
    FGameOptions();

    int32_t firstValue;
    CConfig workingConfig;
};

extern FGameOptions g_FGameOptions;
