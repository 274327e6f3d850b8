#include "units/C_FoundRoute.h"

#include <algorithm>

#include "units/C_Unit.h"

void CFoundRoute::Walk(CUnit& unit, int32_t steps, int32_t endX, int32_t endY)
{
    if (steps <= 0)
    {
        unit.pathFlag = 0;
        unit.orderState = 1;
        return;
    }
    unit.routeEnd = std::min(steps, CUnit::RouteCapacity);
    unit.currentStep = unit.routeEnd;
    unit.retryCounter = 0;
    unit.stepTicks = 0;
    unit.pathFlag = 1;
    unit.moveDestX = endX;
    unit.moveDestY = endY;
}
