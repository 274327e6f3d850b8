#include "net/C_UnitMoveOutbox.h"

CUnitMoveOutbox g_UnitMoveOutbox;

namespace
{
constexpr int32_t HostSlot = 0;
}

void CUnitMoveOutbox::SendUnitDirection(const CUnit* unit, int32_t facing)
{
    m_Sent.push_back({CommandUnitDirection, unit, 0, 0, facing, 0, 0, AllMachines});
}

void CUnitMoveOutbox::SendUnitStopAction(const CUnit* unit)
{
    m_Sent.push_back({CommandUnitStopAction, unit, 0, 0, 0, 0, 0, AllMachines});
}

void CUnitMoveOutbox::RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction)
{
    m_Sent.push_back({CommandRequestMoveStep, unit, x, y, facing, direction, 0, HostSlot});
}

void CUnitMoveOutbox::SendMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction,
                                   int32_t result, int32_t receiver)
{
    m_Sent.push_back({CommandMoveStep, unit, x, y, facing, direction, result, receiver});
}
