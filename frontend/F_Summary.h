#pragma once
// Stands in for the front-end subsystem: the end-of-game summary form.

#include <cstdint>

#include "media/C_GUIInterface.h"

class FSummary : public CGUIInterface
{
public:
    FSummary();

};

extern FSummary g_FSummary;
