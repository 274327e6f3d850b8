#include "game/F_LoadGame.h"

FLoadGame::FLoadGame()
    : value1(0)
{
}
