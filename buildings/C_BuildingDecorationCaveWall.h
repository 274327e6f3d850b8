#pragma once
// A piece of cave wall; the one decoration that casts no shade.

#include <cstdint>

#include "buildings/C_BuildingDecoration.h"

class CDecorationCaveWall : public CDecoration
{
public:
    explicit CDecorationCaveWall(int32_t kind);
};
