#pragma once
// A cave entrance.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationCaveEntrance : public CDecoration
{
public:
    explicit CDecorationCaveEntrance(int32_t kind);
};
