#pragma once
// An alley of trees or stones.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationAlly : public CDecoration
{
public:
    explicit CDecorationAlly(int32_t kind);
};
