#include "game/F_Dialogs.h"

FDialogs::FDialogs()
    : firstValue(0)
{
}
