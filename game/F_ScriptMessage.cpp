#include "game/F_ScriptMessage.h"

FScriptMessage::FScriptMessage()
    : firstValue(0)
{
}
