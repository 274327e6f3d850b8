#pragma once
// The codes of a unit's action buffer: the commands it carries out, the kind
// of target it aims at and the standing order it returns to after a fight,
// with the labels the unit debug panel prints for them.  The buffer's fields
// themselves are members of CUnit.

#include <cstdint>

// TENUMUNITCOMMAND: negative codes are sub-tasks a unit gives itself,
// positive ones are orders.
enum TENUMUNITCOMMAND : int32_t
{
    CMD_FIND_UNGARRISON_COAST = -11,
    CMD_MOVE_TO_GARRISON = -10,
    CMD_MOVE_TO_DEFENSE_POS = -9,
    CMD_RETURN_TO_HARVEST_POINT = -8,
    CMD_RUNAWAY = -7,
    CMD_FIND_ENEMY = -6,
    CMD_FIND_UNCOMPLETED_BUILDING = -5,
    CMD_FIND_RESOURCE = -4,
    CMD_FIND_STORAGE = -3,
    CMD_MOVE_TO = -2,
    CMD_NONE = 0,
    CMD_ATTACK = 1,
    CMD_ATTACK_GROUND = 2,
    CMD_PATROL = 3,
    CMD_BUILD = 5,
    CMD_HARVEST = 7,
    CMD_REPAIR = 8,
    CMD_DISMANTLE = 9,
    CMD_RETURN_GOODS = 10,
    CMD_GARRISON_SHIP = 11,
    CMD_UNGARRISON = 12,
    CMD_UNGARRISON_ONE = 13,
    CMD_HEAL = 15,
    CMD_FOUND_SETTLEMENT = 16,
    CMD_CAST_MAGIC = 17,
    CMD_ENTER_KEEP = 18,
};

// What the buffered action aims at.
enum ETargetKind : int32_t
{
    TARGET_CHOOSE = -1,     // InitAction picks it from the targets given
    TARGET_NONE = 0,
    TARGET_UNIT = 1,
    TARGET_BUILDING = 2,
    TARGET_RESOURCE = 3,
    TARGET_BLOCK = 4,
};

// The standing order a unit goes back to after a fight.
enum ELastOrder : int32_t
{
    LAST_ORDER_NONE = 0,
    LAST_ORDER_GUARD = 1,
    LAST_ORDER_PATROL = 2,
};

class CUnitActionBuffer
{
public:
    // Panel label of a command; null for a code without one (the panel
    // then prints "Other command = " and the number).
    static const char* CommandLabel(int32_t command);
    // "None", "Unit", "Building", "Resource", "Block"; null for others.
    static const char* TargetKindLabel(int32_t kind);
    // "None", "Guard", "Patrol", else "Unknown".
    static const char* LastOrderLabel(int32_t order);
};
