#pragma once
// The fountain; always kind 70.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationFountain : public CDecoration
{
public:
    explicit CDecorationFountain(int32_t kind);
    int32_t GetDecorationKind() const override { return 70; }

    int32_t waterEmitter = -1;   // water particle, -1 none
};
