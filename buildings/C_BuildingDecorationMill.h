#pragma once
// The mill decoration; always kind 1.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationMill : public CDecoration
{
public:
    explicit CDecorationMill(int32_t kind);
    int32_t GetDecorationKind() const override { return 1; }
};
