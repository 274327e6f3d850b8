#include "buildings/C_BuildingDecorationMill.h"

CDecorationMill::CDecorationMill(int32_t kind) : CDecoration(kind, DecorationClass::Mill) {}
