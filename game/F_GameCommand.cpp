#include "game/F_GameCommand.h"

FGameCommand::FGameCommand()
    : firstValue(0),
      text2("24"),
      value1(0)
{
}
