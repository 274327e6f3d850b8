#pragma once
// Stands in for the network game's movement commands of units: records each
// command a unit sends (facing, stop action, tile-step request and answer),
// in order, instead of putting it on the wire.

#include <cstdint>
#include <vector>

class CUnit;

class CUnitMoveOutbox
{
public:
    static constexpr int32_t CommandUnitDirection = 30;
    static constexpr int32_t CommandUnitStopAction = 35;
    static constexpr int32_t CommandRequestMoveStep = 57;
    static constexpr int32_t CommandMoveStep = 58;
    // Receiver of a packet meant for every other machine.
    static constexpr int32_t AllMachines = -1;

    struct SCommand
    {
        int32_t command;
        const CUnit* unit;
        int32_t x;
        int32_t y;
        int32_t facing;
        int32_t direction;
        int32_t result;     // command 58: 0 step, 1 retry, 2 give up
        int32_t receiver;   // machine slot, or AllMachines
    };

    // Command 30: the unit's facing, to every machine.
    void SendUnitDirection(const CUnit* unit, int32_t facing);
    // Command 35: "Unit stop action", to every machine.
    void SendUnitStopAction(const CUnit* unit);
    // Command 57: a client's unit asks the host (slot 0) for a tile step.
    void RequestMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction);
    // Command 58: the answer to a tile step, to one machine or to all.
    void SendMoveStep(const CUnit* unit, int32_t x, int32_t y, int32_t facing, int32_t direction, int32_t result,
                      int32_t receiver);

    void Clear() { m_Sent.clear(); }
    const std::vector<SCommand>& GetSent() const { return m_Sent; }

private:
    std::vector<SCommand> m_Sent;
};

extern CUnitMoveOutbox g_UnitMoveOutbox;
