#pragma once
// A grave.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationGrave : public CDecoration
{
public:
    explicit CDecorationGrave(int32_t kind);
};
