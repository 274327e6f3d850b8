#include "game/C_CtrlGame.h"

CCtrlGame::CCtrlGame()
    : flag1(0), value1(0), flag2(0), flag3(0), value2(0), value3(0), flag4(0), paused(0)
{
}
