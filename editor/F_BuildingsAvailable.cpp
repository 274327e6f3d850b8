#include "editor/F_BuildingsAvailable.h"

FBuildingsAvailable::FBuildingsAvailable() : firstValue(0)
{
    entries.Allocate(kEntryGrowStep);
}
