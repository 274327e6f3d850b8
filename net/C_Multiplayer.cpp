#include "net/C_Multiplayer.h"

CMultiplayer::CMultiplayer() : slots(new SPlayerSlot[kMaxPlayers]), maxPlayers(kMaxPlayers)
{
    for (int32_t i = 0; i < kMaxPlayers; ++i)
        slots[i].sendRing = new CNetPacket[kSendRingPackets]();
}

CMultiplayer::~CMultiplayer()
{
    for (int32_t i = 0; i < kMaxPlayers; ++i)
    {
        delete[] slots[i].sendRing;
        slots[i].sendRing = nullptr;
    }
    delete[] slots;
    slots = nullptr;
}

// No network game is ever started yet, so there is nothing to send, receive
// or close.
void CMultiplayer::Update() {}
void CMultiplayer::Shutdown() {}
