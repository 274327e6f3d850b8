#include "buildings/C_BuildingDecorationCaveEntrance.h"

CDecorationCaveEntrance::CDecorationCaveEntrance(int32_t kind) : CDecoration(kind, DecorationClass::CaveEntrance) {}
