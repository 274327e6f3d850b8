#pragma once
// A statue.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationStatue : public CDecoration
{
public:
    explicit CDecorationStatue(int32_t kind);
};
