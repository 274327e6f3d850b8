#include "tests/support/TestWalker.h"

#include "platform/SysClock.h"
#include "units/C_UnitActionBuffer.h"

CTestWalker::CTestWalker(float blocksPerTick) : CUnitOfType(UNIT_WARRIOR) { speed = blocksPerTick; }

void CTestWalker::onPerformAction()
{
    ++performCalls;
    if (!IsTargetReached())
    {
        StartPath();
        return;
    }
    pathFlag = 0;
    if (currentCommand == CMD_PATROL)
    {
        const int32_t formerAX = patrolAX, formerAY = patrolAY;
        InitAction(nullptr, nullptr, nullptr, patrolBX, patrolBY, CMD_PATROL, TARGET_BLOCK, true, false);
        patrolBX = formerAX, patrolBY = formerAY;
        return;
    }
    if (currentCommand != CMD_NONE) Stop();
}

void CTestWalker::onMoveEnd()
{
    // Cleared so that the action buffer keeps the deadline of the retry.
    performed = 0, orderState = 1, deadline = SysClock::TickCount() + 500;
}
