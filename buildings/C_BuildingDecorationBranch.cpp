#include "buildings/C_BuildingDecorationBranch.h"

CDecorationBranch::CDecorationBranch(int32_t kind) : CDecoration(kind, DecorationClass::Branch) {}
