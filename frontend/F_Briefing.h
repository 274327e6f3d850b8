#pragma once
// Stands in for the front-end subsystem: the briefing form.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_GUIInterface.h"

class FBriefing : public CGUIInterface
{
public:
    FBriefing();

    CStringArray lines;
};

extern FBriefing g_FBriefing;
