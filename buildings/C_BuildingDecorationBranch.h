#pragma once
// Fallen branches.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationBranch : public CDecoration
{
public:
    explicit CDecorationBranch(int32_t kind);
};
