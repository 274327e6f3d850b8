#include "units/C_UnitActionBuffer.h"

const char* CUnitActionBuffer::CommandLabel(int32_t command)
{
    switch (command)
    {
    case CMD_FIND_UNGARRISON_COAST: return "Find ungarrison coast";
    case CMD_MOVE_TO_GARRISON: return "Move to garrison";
    case CMD_MOVE_TO_DEFENSE_POS: return "Move to defense pos";
    case CMD_RETURN_TO_HARVEST_POINT: return "Return to harvest point";
    case CMD_RUNAWAY: return "Runaway";
    case CMD_FIND_ENEMY: return "Find enemy";
    case CMD_FIND_UNCOMPLETED_BUILDING: return "Finding uncompleted building";
    case CMD_FIND_RESOURCE: return "Find resource";
    case CMD_FIND_STORAGE: return "Find storage";
    case CMD_MOVE_TO: return "Move to";
    case CMD_NONE: return "None";
    case CMD_ATTACK: return "Attack";
    case CMD_ATTACK_GROUND: return "Attack Ground";
    case CMD_PATROL: return "Patrol";
    case CMD_BUILD: return "Build";
    case CMD_HARVEST: return "Harvest";
    case CMD_REPAIR: return "Repair";
    case CMD_RETURN_GOODS: return "Return goods";
    case CMD_GARRISON_SHIP: return "Garrison ship";
    case CMD_UNGARRISON: return "Ungarrison";
    case CMD_UNGARRISON_ONE: return "Ungarrison 1 unit";
    case CMD_HEAL: return "Heal";
    case CMD_CAST_MAGIC: return "Cast magic";
    default: return nullptr;
    }
}

const char* CUnitActionBuffer::TargetKindLabel(int32_t kind)
{
    switch (kind)
    {
    case TARGET_NONE: return "None";
    case TARGET_UNIT: return "Unit";
    case TARGET_BUILDING: return "Building";
    case TARGET_RESOURCE: return "Resource";
    case TARGET_BLOCK: return "Block";
    default: return nullptr;
    }
}

const char* CUnitActionBuffer::LastOrderLabel(int32_t order)
{
    switch (order)
    {
    case LAST_ORDER_NONE: return "None";
    case LAST_ORDER_GUARD: return "Guard";
    case LAST_ORDER_PATROL: return "Patrol";
    default: return "Unknown";
    }
}
