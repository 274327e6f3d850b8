#pragma once
// What the network object was handed to send, as the tests read it: the
// packets of a command, and the references the packets name objects by.

#include <cstdint>

#include "net/C_MultiplayerGame.h"

inline int32_t SentCommands(int32_t command)
{
    int32_t count = 0;
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        count += sent.packet.Command() == command ? 1 : 0;
    return count;
}

// The last packet of the command, or null.
inline const CMultiplayer::SSentPacket* LastSent(int32_t command)
{
    const auto& sent = g_MultiplayerGame.GetSent();
    for (auto it = sent.rbegin(); it != sent.rend(); ++it)
        if (it->packet.Command() == command)
            return &*it;
    return nullptr;
}

inline int32_t Ref(const CUnit* unit) { return CMultiplayer::GetUnitRef(unit); }
inline int32_t Ref(const CBuilding* building) { return CMultiplayer::GetBuildingRef(building); }
