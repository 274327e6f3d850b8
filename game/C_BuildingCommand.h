#pragma once
// Stands in for the command panel's pending building command: the panel
// fills it before it calls the selected building's OnPanelCommand, and the
// panel details write the cancel slot while the mouse is over a queue icon.
// Main thread only.

#include <cstdint>

class CUnitStats;

class CBuildingCommand
{
public:
    static constexpr int32_t NoTechnology = -1;
    static constexpr int32_t NoCancel = -1;
    static constexpr int32_t CancelDemolish = -2;
    static constexpr int32_t CancelCurrent = 0;
    static constexpr int32_t CodeUngarrisonKing = 19;

    // Nothing to queue, research or cancel, command code 0.
    void Clear();

    const CUnitStats* item = nullptr;      // record to queue, or null
    int32_t technology = NoTechnology;     // technology to research, -1 none
    // -1 none, -2 demolish, 0 the head item or the research, n > 0 entry n.
    int32_t cancelSlot = NoCancel;
    int32_t commandCode = 0;               // 19 brings the king out of the keep
};

extern CBuildingCommand g_BuildingCommand;
