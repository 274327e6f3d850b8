#include "game/F_SaveGame.h"

FSaveGame::FSaveGame()
    : value1(0)
{
}
