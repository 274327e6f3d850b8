#pragma once
// A column.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationColumn : public CDecoration
{
public:
    explicit CDecorationColumn(int32_t kind);
};
