#pragma once
// A gate that opens and closes.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationGate : public CDecoration
{
public:
    explicit CDecorationGate(int32_t kind);

    int32_t gateState = 0;
};
