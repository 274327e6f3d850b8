#include "editor/F_UnitsAvailable.h"

FUnitsAvailable::FUnitsAvailable() : firstValue(0)
{
    entries.Allocate(kEntryGrowStep);
}
