#pragma once
// Stands in for the in-game control subsystem: the mission objectives form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FMissionObjectives : public CGUIInterface
{
public:
    FMissionObjectives();

    int32_t firstValue;
    CStringArray hintLines;
};

extern FMissionObjectives g_FMissionObjectives;
