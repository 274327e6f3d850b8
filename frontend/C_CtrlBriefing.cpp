#include "frontend/C_CtrlBriefing.h"

CCtrlBriefing::CCtrlBriefing() : mapImage("Frontend\\Briefing\\Maps\\map-default.tga")
{
    missions.Allocate(kMissionGrowStep);
}

// The container's controls go last, after the controller's own records.
CCtrlBriefing::~CCtrlBriefing()
{
    missions.Free();
    container.DeleteAll();
}
