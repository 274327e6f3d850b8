#pragma once
// A torch; its flame burns from placement on.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationTorch : public CDecoration
{
public:
    explicit CDecorationTorch(int32_t kind);

    int32_t flameEmitter = -1;   // flame particle, -1 none
};
