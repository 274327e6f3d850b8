#pragma once
// Stands in for the multiplayer networking subsystem: the one network object
// with its host list, data cache and packet dump, idle while no network game
// runs.

#include <cstdint>

#include "core/C_MemoryBlock.h"
#include "core/C_String.h"
#include "core/T_Array.h"
#include "core/T_LinkedList.h"
#include "net/C_Multiplayer.h"
#include "net/C_NetPacket.h"

class CMultiplayerGame : public CMultiplayer
{
public:
    static constexpr int32_t kMaxHosts = 32;
    static constexpr int32_t kCachePackets = 1024;
    static constexpr int kDumpPacketGrowStep = 128;
    static constexpr int kDumpNameGrowStep = 32;
    static constexpr int kTransferBlockSize = 16384;

    // A host found by the discovery broadcast.
    struct CGameHostInfo
    {
        uint8_t address[4] = {};
        CString hostName;
        int32_t maxPlayers = 0;
        int32_t connectedPlayers = 0;
    };

    struct SPlayerInfo
    {
        CString name;
        int32_t value1 = 0;
        int32_t value2 = 0;
    };

    // The name under which a game command shows in the packet dump.
    struct SDumpName
    {
        int32_t command = 0;
        CString name;
    };

    CMultiplayerGame();
    ~CMultiplayerGame() = default;

    // Registers the dump names of the game commands.
    void InitDumpMessages();
    void ClearDumpMessages();
    // Takes the oldest packet out of the data cache; false when it is empty.
    bool PopPacket(CNetPacket& out);
    // Tells the other machines that this machine's player was defeated.
    void SendPlayerDefeated();

    int32_t value1;
    CGameHostInfo hosts[kMaxHosts];
    int32_t hostCount;
    CMemoryBlock transfer;
    T_LinkedList<CNetPacket, kCachePackets> cache;
    SPlayerInfo players[kMaxPlayers];
    T_Array<CNetPacket> dumpOutgoing;
    T_Array<CNetPacket> dumpIncoming;
    T_Array<SDumpName> dumpNames;
};

extern CMultiplayerGame g_MultiplayerGame;
