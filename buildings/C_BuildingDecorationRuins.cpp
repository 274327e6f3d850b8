#include "buildings/C_BuildingDecorationRuins.h"

CDecorationRuins::CDecorationRuins(int32_t kind) : CDecoration(kind, DecorationClass::Ruins) {}
