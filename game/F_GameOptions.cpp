#include "game/F_GameOptions.h"

FGameOptions::FGameOptions()
    : firstValue(0)
{
}
