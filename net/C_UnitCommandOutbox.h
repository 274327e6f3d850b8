#pragma once
// Stands in for the network game's unit commands: records each command a
// unit sends, in order, instead of putting it on the wire.

#include <cstdint>
#include <vector>

class CUnit;

class CUnitCommandOutbox
{
public:
    static constexpr int32_t CommandUnitHealth = 31;
    static constexpr int32_t CommandUnitDied = 32;
    static constexpr int32_t CommandUnitStop = 36;

    struct SCommand
    {
        int32_t command;
        const CUnit* unit;
        float value;
    };

    // Command 31: the unit's health.
    void SendUnitHealth(const CUnit* unit, float health);
    // Command 32: the unit died; value is its torn-apart flag.
    void SendUnitDied(const CUnit* unit, bool tornApart);
    // Command 36: the unit stopped.
    void SendUnitStop(const CUnit* unit);

    void Clear() { m_Sent.clear(); }
    const std::vector<SCommand>& GetSent() const { return m_Sent; }

private:
    std::vector<SCommand> m_Sent;
};

extern CUnitCommandOutbox g_UnitCommandOutbox;

// Network role of this machine (0 single player, 1 host, 2 client) and
// whether this machine owns the objects of a player: in a single-player
// game it owns all of them, in a network game those of its own slot.
bool IsNetworkGame();
bool IsOwnedHere(int32_t playerIndex);
