#include "buildings/C_BuildingDecorationCaveWall.h"

CDecorationCaveWall::CDecorationCaveWall(int32_t kind) : CDecoration(kind, DecorationClass::CaveWall) {}
