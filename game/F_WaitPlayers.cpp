#include "game/F_WaitPlayers.h"

FWaitPlayers::FWaitPlayers()
    : firstValue(0)
{
}
