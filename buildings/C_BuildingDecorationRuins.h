#pragma once
// Ruins.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationRuins : public CDecoration
{
public:
    explicit CDecorationRuins(int32_t kind);
};
