#pragma once
// Stands in for the multiplayer networking subsystem: the network transport
// base.  No link is ever opened yet, so what is sent is kept in order where
// the tests (and later the links) read it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_String.h"
#include "net/C_NetPacket.h"

class CBuilding;
class CUnit;

class CMultiplayer
{
public:
    static constexpr int32_t kMaxPlayers = 8;
    static constexpr int32_t kSendRingPackets = 1024;
    // Target of a packet meant for every other machine.
    static constexpr int32_t AllMachines = -1;
    // The host's slot, which also arbitrates the contested steps.
    static constexpr int32_t HostSlot = 0;
    // Network roles of this machine.
    static constexpr int32_t RoleSinglePlayer = 0;
    static constexpr int32_t RoleHost = 1;
    static constexpr int32_t RoleClient = 2;
    // Reference of no unit or building.
    static constexpr int32_t NoRef = -1;
    // The largest unique id a unit reference can carry in 32 bits.
    static constexpr int32_t kMostUniqueId = 0x7FFFF;
    // The record of sent packets keeps only the most recent ones, so that a
    // long game does not grow it for ever: at the limit the older half goes.
    static constexpr size_t kMostSent = 8192;

    // One player's link with its queue of packets to send.
    struct SPlayerSlot
    {
        CNetPacket* sendRing = nullptr;
    };

    // A packet handed to SendPacket: its target (a slot, or AllMachines) and
    // the name it shows under in the packet dump (null for none).
    struct SSentPacket
    {
        CNetPacket packet;
        int32_t target;
        const char* label;
    };

    CMultiplayer();
    ~CMultiplayer();

    CMultiplayer(const CMultiplayer&) = delete;
    CMultiplayer& operator=(const CMultiplayer&) = delete;

    // One step on every pass of the message pump: sends the queued packets
    // and receives on every link; returns at once while no game runs.
    void Update();
    // Leaves or ends a network game and closes its links.
    void Shutdown();

    // The network reference of a unit: ((unique id x 16 + owner) x 256 +
    // index in the owner's unit list); a unit outside the list (a tower
    // archer) gives index 255.  NoRef for none.
    static int32_t GetUnitRef(const CUnit* unit);
    // The network reference of a building: x x 65536 + y of its corner
    // block.  NoRef for none.
    static int32_t GetBuildingRef(const CBuilding* building);
    // The unit or building a reference names on this machine, or null.  The
    // list index is only a hint (two machines' lists may be ordered apart);
    // the owner and the unique id decide.
    static CUnit* FindUnitByRef(int32_t ref);
    // The owning player a unit reference carries, -1 for none.
    static int32_t GetUnitRefOwner(int32_t ref);
    // The unit of that owner with that unique id, listed or in a tower, or
    // null.
    static CUnit* FindUnit(int32_t owner, int32_t uniqueId);
    static CBuilding* FindBuildingByRef(int32_t ref);

    // Stamps this machine's slot into the packet and queues it for `target`:
    // one slot, or AllMachines.  `label` names the packet in the dump.
    void SendPacket(const CNetPacket& packet, int32_t target, const char* label = nullptr);
    const std::vector<SSentPacket>& GetSent() const { return m_Sent; }
    void ClearSent() { m_Sent.clear(); }

    CString name;
    SPlayerSlot* slots;
    int32_t maxPlayers;

private:
    std::vector<SSentPacket> m_Sent;
};

// Network role of this machine (0 single player, 1 host, 2 client) and
// whether this machine owns the objects of a player: in a single-player
// game it owns all of them, in a network game those of its own slot.
bool IsNetworkGame();
bool IsOwnedHere(int32_t playerIndex);
// Whether a machine of the game plays the slot: the host's, and a human
// player's.  A computer player, a defeated player and an empty slot have
// none, so nothing is sent from them.
bool IsPlayedByAMachine(int32_t slot);
// The slot whose machine decides a building's health and end: its owner's
// when a machine plays it, else (neutral, or no machine's player) the
// host's.
int32_t DecidingSlotOf(int32_t owner);
