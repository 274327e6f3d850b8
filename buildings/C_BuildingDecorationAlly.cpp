#include "buildings/C_BuildingDecorationAlly.h"

CDecorationAlly::CDecorationAlly(int32_t kind) : CDecoration(kind, DecorationClass::Ally) {}
