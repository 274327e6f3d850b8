#include "buildings/C_BuildingDecorationStatue.h"

CDecorationStatue::CDecorationStatue(int32_t kind) : CDecoration(kind, DecorationClass::Statue) {}
