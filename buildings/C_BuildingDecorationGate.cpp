#include "buildings/C_BuildingDecorationGate.h"

CDecorationGate::CDecorationGate(int32_t kind) : CDecoration(kind, DecorationClass::Gate) {}
