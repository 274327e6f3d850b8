#include "buildings/C_BuildingDecorationTorch.h"

CDecorationTorch::CDecorationTorch(int32_t kind) : CDecoration(kind, DecorationClass::Torch) {}
