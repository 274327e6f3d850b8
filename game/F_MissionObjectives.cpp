#include "game/F_MissionObjectives.h"

FMissionObjectives::FMissionObjectives()
    : firstValue(0)
{
}
