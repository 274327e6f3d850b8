#include "game/F_GameMenu.h"

FGameMenu::FGameMenu()
    : firstValue(0)
{
}
