#include "buildings/C_BuildingDecorationColumn.h"

CDecorationColumn::CDecorationColumn(int32_t kind) : CDecoration(kind, DecorationClass::Column) {}
