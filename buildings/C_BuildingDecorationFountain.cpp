#include "buildings/C_BuildingDecorationFountain.h"

CDecorationFountain::CDecorationFountain(int32_t kind) : CDecoration(kind, DecorationClass::Fountain) {}
