#include "game/C_BuildingCommand.h"

CBuildingCommand g_BuildingCommand;

void CBuildingCommand::Clear()
{
    item = nullptr;
    technology = NoTechnology;
    cancelSlot = NoCancel;
    commandCode = 0;
}
