#include "frontend/F_Briefing.h"

FBriefing::FBriefing() = default;
