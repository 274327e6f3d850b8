#pragma once
// Setting a unit off along the route the path finder has just written into
// it, the same for every unit that searches its own target (the king's
// keep, the worker's resource, storage or site, the ship's coast).

#include <cstdint>

class CUnit;

class CFoundRoute
{
public:
    // With steps to walk (at most the route's capacity are kept) the unit
    // walks them toward (endX, endY); with none it is beside its target
    // already and acts on its next pass.
    static void Walk(CUnit& unit, int32_t steps, int32_t endX, int32_t endY);
};
