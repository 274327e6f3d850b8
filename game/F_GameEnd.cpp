#include "game/F_GameEnd.h"

FGameEnd::FGameEnd()
    : value0(0),
      flag(0)
{
}
