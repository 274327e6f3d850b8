#include "buildings/C_BuildingDecorationGrave.h"

CDecorationGrave::CDecorationGrave(int32_t kind) : CDecoration(kind, DecorationClass::Grave) {}
