#pragma once
// Stands in for the multiplayer networking subsystem: the network transport
// base, which does nothing while no network game runs.

#include <cstdint>

#include "core/C_String.h"
#include "net/C_NetPacket.h"

class CMultiplayer
{
public:
    static constexpr int32_t kMaxPlayers = 8;
    static constexpr int32_t kSendRingPackets = 1024;

    // One player's link with its queue of packets to send.
    struct SPlayerSlot
    {
        CNetPacket* sendRing = nullptr;
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

    CString name;
    SPlayerSlot* slots;
    int32_t maxPlayers;
};
